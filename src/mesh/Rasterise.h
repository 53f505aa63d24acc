#pragma once

#include "platform/Refusal.h"

#include "model/ModelData.h"

#include <string>
#include <vector>

class CMesh;

// Values of every cell, row by row from the top, each row left to right.
std::vector<float> RasteriseGrid(const CMesh& mesh, EModelKind kind, float background, CElementList& blocks, double cx1,
                                 double cz1, double s, bool& allFitted);

// Paints the background and then the blocks in list order onto the mesh, marks the air, copies
// the core's edge columns into the ground of the outer ones (the edge column's top ground value
// where the edge column is air) and writes the model file (conductivity for DC,
// values 10^v; chargeability for IP). Stores in every block the cells it occupies, in logical
// units. Gives a warning when a block is too small for the mesh. The mesh must carry its air counts.
// Raises CFileException when the file cannot be written, CFormatError when a value is not finite.
CWarnings RasteriseModel(const CMesh& mesh, EModelKind kind, float background, CElementList& blocks,
                         const std::string& fileName, double cx1, double cz1, double s);
