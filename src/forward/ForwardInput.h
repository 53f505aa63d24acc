#pragma once

#include <string>

struct CModelData;

// Writes the forward-modelling program's input file: the forward type, then the mesh,
// locations, conductivity and, as needed, chargeability and topography files, one keyword and
// one blank before each name. Raises CFileException when the file cannot be written.
void WriteForwardInputFile(const CModelData& model, const std::string& fileName);
