#pragma once

#include <string>

struct CModelData;

// Whether every file name the input file would carry fits on its line. Raises CRefusal naming
// the first one holding a line break.
void CheckForwardInputNames(const CModelData& model);

// Writes the forward-modelling program's input file: the forward type, then the mesh,
// locations, conductivity and, as needed, chargeability and topography files, one keyword and
// one blank before each name. With designCount, the run chooses that many configurations that
// best resolve the core area, on the electrodes x1 + (k - 1) a, instead of computing data.
// Raises CRefusal, with nothing written, when CheckForwardInputNames does, and CFileException
// when the file cannot be written.
void WriteForwardInputFile(const CModelData& model, const std::string& fileName, int designCount = 0);
