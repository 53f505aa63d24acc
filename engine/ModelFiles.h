#pragma once

#include <string>
#include <vector>

class CRunLog;

// Raises CEngineError unless path names a regular file, symbolic links followed: a device or a
// named pipe would never end or never start. description names the file in messages
// ("mesh file").
void RequireRegularFile(const std::string& path, const std::string& description);

// One value per mesh cell, rows from the top down, columns from left to right: cell (i, k) of
// an nx x nz mesh is values[k * nx + i].
using CCellValues = std::vector<double>;

// Reads a conductivity or chargeability file ("nx nz", then the values, rows from the top down)
// and checks that it matches the mesh's size. what names the file in messages ("conductivity").
// Reads no further than the values the mesh needs, whatever the file's size. Raises CEngineError
// on a missing or malformed file or a size that differs from the mesh's.
CCellValues ReadCellValues(const std::string& path, const char* what, int nx, int nz, const std::string& meshFile,
                           CRunLog& log);

// The extended surface profile of the topography file ("N 0", then N lines "x elevation" with
// x never decreasing). Raises CEngineError on a missing or malformed file.
void ReadTopography(const std::string& path, std::vector<double>& X, std::vector<double>& E, CRunLog& log);
