#pragma once

#include <vector>

class CMesh;

// The grid the equations are solved on: every node of the mesh, the mesh's cells far from the
// electrodes subdivided so that cell sizes grow gently with distance, and further cells added
// outside the mesh on both sides and below so that the boundary conditions act far away. Each
// grid cell takes the values of the mesh cell it lies in; added cells take those of the nearest
// mesh cell. Only cells far from every electrode change, so the model is the mesh's, exactly.
class CGrid {
public:
    // Coarse cells growing fast far away shift the potential of distant electrodes (all the
    // more under a resistive basement), hence the gentle growth outside the mesh; the bottom,
    // whose rows cost most, grows a little faster.
    struct Options {
        double growth = 0.1;          // a cell at distance d from the electrodes may be h + growth d wide
        int extraColumns = 20;        // cells added on each side of the mesh
        double extraColumnRatio = 1.2; // each one that much wider than the one before
        int extraRows = 10;           // cells added below the mesh
        double extraRowRatio = 1.3;
    };

    // airPerColumn: the air cells at the top of each mesh column. electrodeColumns and
    // electrodeRows: the mesh node of each electrode (the caller has placed them).
    CGrid(const CMesh& mesh, const std::vector<int>& airPerColumn, const std::vector<int>& electrodeColumns,
          const std::vector<int>& electrodeRows, const Options& options);

    int Columns() const { return static_cast<int>(x.size()) - 1; }
    int Rows() const { return static_cast<int>(z.size()) - 1; }
    int NodeId(int i, int k) const { return k * (Columns() + 1) + i; }
    int CellId(int i, int k) const { return k * Columns() + i; }

    // The mesh cell (k * nx + i) under grid cell id.
    int MeshCell(int cell) const;

    std::vector<double> x, z;          // node positions
    std::vector<int> meshColumn;       // for each grid column, the mesh column it lies in
    std::vector<int> meshRow;          // for each grid row, the mesh row
    std::vector<int> xNodeOfMeshNode;  // grid column of each mesh x node
    std::vector<int> zNodeOfMeshNode;  // grid row of each mesh z node
    std::vector<char> ground;          // per grid cell: not air
    std::vector<int> electrodeNodes;   // grid node id of each electrode
    int meshColumns = 0;
};
