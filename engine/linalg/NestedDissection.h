#pragma once

#include <vector>

// A fill-reducing elimination order for the nodes of a (columns + 1) x (rows + 1) grid whose
// operator couples each node with its eight neighbours: nested dissection by grid lines, which
// for such grids is about as good as general graph partitioning and takes linear time.
//
// include[k * (columns + 1) + i] says whether node (i, k) takes part; the result lists the ids
// of those that do, separators after the parts they separate. Separating lines avoid the columns in
// avoidColumns and the rows in avoidRows where they can: couplings added around those nodes
// reach across them.
std::vector<int> NestedDissection(int columns, int rows, const std::vector<char>& include,
                                  const std::vector<char>& avoidColumns, const std::vector<char>& avoidRows);
