#pragma once

#include "formats/TopographyFile.h"

#include <array>
#include <functional>
#include <vector>

class CMesh;

// What the grid must hold of the model: the mesh, its air cells, the cell values that must stay
// exact (conductivity, chargeability) and the ground surface.
struct CGridModel {
    const CMesh* mesh = nullptr;
    std::vector<int> airPerColumn;                  // air cells at the top of each mesh column
    std::vector<const std::vector<double>*> values; // per mesh cell, rows from the top
    CTopographyFile profile;                        // the surface; empty: the mesh's top
    // The conductivity models the run solves, per mesh cell: the grid is graded toward their
    // strong contrasts.
    std::vector<const std::vector<double>*> conductivity;
};

// The grid the equations are solved on. Its lines are the mesh's lines across which a value
// changes, a line at every electrode and at every kink of the surface, filled in with cells that
// are h wide among the electrodes (h: the mesh's cells there) and grow with the distance d from
// them to h + growth d; beyond the mesh further cells grow geometrically until the grid reaches
// farDistance from the electrodes. So the model is the mesh's, exactly, whatever the mesh's own
// lines, and no electrode is moved. Toward the corners of strong contrasts the cells shrink
// geometrically, and beside an electrode they reach the two cells stay equal.
//
// The ground surface is the profile, not the mesh's staircase of air cells: on every vertical
// line the node nearest the surface is moved onto it, so that the elements of the top row follow
// the profile (quadrilaterals, and triangles where the surface crosses a row between two lines).
// Ground above the staircase takes the value of the top ground cell of its column; nothing above
// the profile is part of the grid.
class CGrid {
public:
    struct Options {
        double growth = 0.1;      // a cell at distance d from the electrodes may be h + growth d
        double sideRatio = 1.25;  // growth of the cells beyond the mesh's sides
        double bottomRatio = 1.3; // and below it
        double farDistance = 0;   // how far from the electrodes the grid must reach; 0: the mesh
        double uniformDepth = 0;  // depth below the electrodes down to which rows stay uniform
        // Every cell size times this: 0.5 halves the cells everywhere, 2 doubles them, so that a
        // datum can be compared with itself on a finer or a coarser grid.
        double scale = 1;
        // Toward mesh lines across which a conductivity changes by contrast or more, cells shrink
        // to endCell of their size where such a line ends (corners) and to lineCell on the rest,
        // and grow back by gradingRatio; contrast 0: no grading. Straight contacts right across
        // are left alone: their uniform cells keep them fourth-order, and grading them made the
        // layered earths and the vertical contact up to six times worse.
        double contrast = 10;
        double endCell = 0.1;
        double lineCell = 1;
        double gradingRatio = 1.2;
    };

    // One element: a quadrilateral (nodes top left, top right, bottom left, bottom right) or a
    // triangle (three nodes, the fourth -1).
    struct CElement {
        std::array<int, 4> nodes;
        int meshCell; // whose values it takes
        bool Triangle() const { return nodes[3] < 0; }
    };

    // electrodes: the distinct electrode positions along x, increasing. check, when given, is
    // called with the numbers of columns and rows before the elements are made, and may raise.
    // Raises CEngineError for an electrode outside the mesh or where the surface lies below it, and
    // for a surface point higher above the mesh than the mesh is deep.
    CGrid(const CGridModel& model, const std::vector<double>& electrodes, const Options& options,
          const std::function<void(int columns, int rows)>& check = {});

    int Columns() const { return static_cast<int>(x.size()) - 1; }
    int Rows() const { return static_cast<int>(z.size()) - 1; }
    int NodeId(int i, int k) const { return k * (Columns() + 1) + i; }
    double NodeX(int node) const { return x[node % (Columns() + 1)]; }
    double NodeZ(int node) const;

    std::vector<double> x, z;    // grid lines
    std::vector<int> top;        // per vertical line: the row of its surface node
    std::vector<double> surface; // per vertical line: the surface's depth
    std::vector<CElement> elements;
    std::vector<int> electrodeNodes;      // the distinct electrode nodes
    std::vector<int> electrodeOfPosition; // per electrode position, its index in electrodeNodes
    std::vector<int> meshColumn;          // per grid column, the mesh column whose values it takes
    std::vector<double> shift;            // per vertical line: how far its surface node moved
    std::vector<int> fade;                // and over how many rows below the move fades out
    double h = 0, hz = 0;                 // the cell sizes among the electrodes
    int graded = 0;                       // lines of strong contrast the cells shrink toward

private:
    // The steps of the constructor, once the lines are drawn.
    void PlaceSurfaceNodes(const std::vector<char>& change);
    std::vector<int> ElectrodeAnchors(const std::vector<double>& electrodes) const;
    void FadeBesideElectrodes(const std::vector<double>& electrodes, const std::vector<char>& change);
    void MakeElements(const CMesh& mesh, const std::vector<int>& cell);
    void PlaceElectrodes(const std::vector<double>& electrodes);
};

// The mesh cell whose values hold at each mesh cell: the cell itself in the ground, the top
// ground cell of its column in the air (ground between the staircase and the surface), and the
// nearest column with ground in a column that is air to the bottom. Raises CEngineError when no
// column has ground.
std::vector<int> EffectiveCells(const CMesh& mesh, const std::vector<int>& airPerColumn);
