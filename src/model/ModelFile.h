#pragma once

#include <string>

struct CModelData;

// The model file: core area, both block lists with their backgrounds, and the topography.
// Both raise CRefusal for a refused name or a bad file and CFileException for a file error.

// Reads path into model, with the discretization parameters from the header of the locations
// file beside it. The model changes only when the whole file was read; on a refused name, a
// file error or a read error it stays exactly as it was.
void ReadModelFile(const std::string& path, CModelData& model);

// Writes model to path, or to the file a link at path points to. A failed write leaves any
// previous file at path as it was.
void WriteModelFile(const std::string& path, const CModelData& model);
