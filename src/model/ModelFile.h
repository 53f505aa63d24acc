#pragma once

#include <string>

struct CModelData;

// The model file: core area, both block lists with their backgrounds, and the topography.
// Both functions show their own messages and report success.

// Reads path into model, with the discretization parameters from the header of the locations
// file beside it. The model changes only when the whole file was read; on a refused name, a
// file error or a read error it stays exactly as it was.
bool ReadModelFile(const std::string& path, CModelData& model);

// Writes model to path. A failed write leaves any previous file at path as it was.
bool WriteModelFile(const std::string& path, const CModelData& model);
