#pragma once

#include "mesh/Mesh.h"
#include "model/ModelData.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

// A block boundary that the mesh moves by more than a tenth of the block's width (left and
// right edges) or thickness (top and bottom), or a block left without any cell.
struct CMovedBoundary {
    enum EEdge { left, right, top, bottom, noCell };
    enum EShape { rectangle, layer, ellipse, sheared };

    EModelKind kind = EModelKind::dc; // of the block
    int block = 0;                    // counted from 1 in the model's order
    EShape shape = rectangle;
    EEdge edge = noCell;
    double drawn = 0;            // x of an edge, depth of a top or bottom
    double meshed = 0;           // where the cells the block got put it
    std::optional<double> depth; // a sheared edge: the depth of the row where it moves most
    // The cell width and thickness that keep it, 0 when none was found; only the one along the
    // edge's own direction for an edge.
    double dx = 0, dz = 0;
};

// The mesh designed again with other cell sizes; none when it cannot be.
using CRedesign = std::function<std::optional<CMesh>(double dx, double dz)>;

// Compares every block of the DC model, and of the IP model when withIP, with the cells the
// rasterisation gives it on the mesh. Edges outside the core or beyond the mesh do not count; a
// rectangle across the whole core is a layer, judged by its top and bottom. The cell size offered
// is the largest of two significant digits within a tenth of the block's size and below the
// mesh's own dx and dz; with a redesign it is halved until the redesigned mesh keeps the edge.
std::vector<CMovedBoundary> FindMovedBoundaries(const CMesh& mesh, const CModelData& model, bool withIP, double dx,
                                                double dz, const CRedesign& redesign);

// The summary's lines for them, one per boundary, the first `limit` of them and a count of the rest.
std::string DescribeMovedBoundaries(const std::vector<CMovedBoundary>& moved, size_t limit = 10);
