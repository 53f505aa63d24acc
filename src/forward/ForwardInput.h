#pragma once

#include <string>

struct CModelData;

// Whether every file name the input file would carry fits on its line. Shows a message naming
// the first one holding a line break and gives false.
bool CheckForwardInputNames(const CModelData& model);

// Writes the forward-modelling program's input file: the forward type, then the mesh,
// locations, conductivity and, as needed, chargeability and topography files, one keyword and
// one blank before each name. False, with nothing written, when CheckForwardInputNames refuses.
// Raises CFileException when the file cannot be written.
bool WriteForwardInputFile(const CModelData& model, const std::string& fileName);
