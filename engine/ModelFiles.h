#pragma once

#include <vector>

// One value per mesh cell, rows from the top down, columns from left to right: cell (i, k) of
// an nx x nz mesh is values[k * nx + i]. The files are read by formats/ValuesFile.h.
using CCellValues = std::vector<double>;
