#pragma once

#include "platform/Refusal.h"

#include "model/ModelData.h"

#include <string>
#include <vector>

class CMesh;

// A rectangle of mesh nodes, in model units.
struct CMeshBox {
    double x1 = 0, z1 = 0, x2 = 0, z2 = 0;
    friend bool operator==(const CMeshBox&, const CMeshBox&) = default;
};

// The cells a block took, in model units: the snapped rectangle of an upright block, a row per
// cell row of a sheared one, the cells along an ellipse's edge.
struct CBlockCells {
    CMeshBox rect;
    std::vector<CMeshBox> rows;
    std::vector<CMeshBox> cells;
};

// What the rasterisation of one model gives back besides its file: each block's cells in list
// order, and a warning when a block is too small for the mesh.
struct CRasterised {
    std::vector<CBlockCells> blocks;
    CWarnings warnings;
};

// Values of every cell, row by row from the top, each row left to right; the blocks' cells in
// list order go into cells when given.
std::vector<float> RasteriseGrid(const CMesh& mesh, EModelKind kind, float background, const CElementList& blocks,
                                 bool& allFitted, std::vector<CBlockCells>* cells = nullptr);

// Paints the background and then the blocks in list order onto the mesh, marks the air, copies
// the core's edge columns into the ground of the outer ones (the edge column's top ground value
// where the edge column is air) and writes the model file (conductivity for DC,
// values 10^v; chargeability for IP). The mesh must carry its air counts.
// Raises CFileException when the file cannot be written, CFormatError when a value is not finite.
CRasterised RasteriseModel(const CMesh& mesh, EModelKind kind, float background, const CElementList& blocks,
                           const std::string& fileName);
