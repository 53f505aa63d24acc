#pragma once

#include <vector>

struct CModelData;

// The rectangular tensor mesh of one discretization: cell boundaries along x (left to right)
// and along z (depth, top to bottom), the columns outside the core and the air cells.
class CMesh {
public:
    // Designs the mesh for the core area [x1, x2] x [z1, z2], array length L, smallest cell
    // width dx and thickness dz (both > 0) and mean topography depth T: a uniform region of dx
    // over the core plus four cells each side with 3 to 10 padding cells growing by 1.5 outside
    // it; dz cells down to L/2 below the mean surface, 1.5 dz cells down to the core bottom, then
    // 3 to 10 growing padding cells. Every fill but the air counts.
    // Counts that would come out negative are taken as 0. False, and an empty mesh, when the
    // mesh would exceed the cell limits, an input is not a finite positive size, or the cells are
    // too small to tell apart at the core's distance from the origin.
    bool Design(double x1, double x2, double z1, double z2, double L, double dx, double dz, double T);

    int nx = 0;
    int nz = 0;
    std::vector<double> xNodes; // nx + 1
    std::vector<double> zNodes; // nz + 1
    int airCells = 0;
    int outer = 0; // columns outside the core on each side; xNodes[outer] is the core's left edge
    int padZ = 0;
    int fineZ = 0;
    int midZ = 0;
    std::vector<int> airPerColumn; // nx: air cells at the top of each column
};

// Index of the node nearest to position: 0 for an empty list or a position at or before the
// first node, the last index beyond the last node; an exact tie goes to the lower index.
// The nodes must be increasing.
int NearestNode(const std::vector<double>& nodes, double position);

// Mean depth of the topography over the core width (trapezoids between consecutive points in
// list order); 0 when the model has no topography.
double MeanTopographyDepth(const CModelData& model);
