#pragma once

#include "formats/TopographyFile.h"

#include <utility>
#include <vector>

class CMesh;
struct CModelData;

// The surface continued flat to the mesh's edges: left, the topography points by increasing x,
// right; elevations are negated depths. Points beyond an edge are moved onto it with the
// surface's elevation there, so that x never decreases.
CTopographyFile BuildExtendedProfile(const CModelData& model, double left, double right);

// The extended profile, written as the topography file (kTopographyFileName). Raises
// CFileException when the file cannot be written.
CTopographyFile WriteTopographyFile(const CModelData& model, double left, double right);

// Counts the air cells of every column: the nodes above the column's mean surface elevation,
// snapped to the nearer node (a tie to the upper one). A profile of fewer than two points is flat
// ground on the mesh's top: no cell is air.
void ComputeAirCells(CMesh& mesh, const CTopographyFile& profile);

// The ground surface of the core columns in model units (x, depth), two points per column.
std::vector<std::pair<double, double>> BuildDiscretizedSurface(const CMesh& mesh);
