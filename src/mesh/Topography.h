#pragma once

#include "platform/Geometry.h"

#include <vector>

class CMesh;
struct CModelData;

// The surface continued flat to the mesh's edges: left, the topography points by increasing x,
// right; elevations are negated depths. Points beyond an edge are moved onto it with the
// surface's elevation there, so that X never decreases. N = number of points + 2.
void BuildExtendedProfile(const CModelData& model, double left, double right, std::vector<double>& E,
                          std::vector<double>& X);

// Fills the extended profile (N entries) and writes it as the topography file (the model's
// kTopographyFileName). Raises CFileException when the file cannot be written.
void WriteTopographyFile(const CModelData& model, int N, std::vector<double>& E, std::vector<double>& X, double left,
                         double right);

// Counts the air cells of every column: the nodes above the column's mean surface elevation,
// snapped to the nearer node (a tie to the upper one). Without topography no cell is air.
void ComputeAirCells(CMesh& mesh, bool topography, const std::vector<double>& E, const std::vector<double>& X);

// The ground surface of the core columns in logical units, two points per column.
void BuildDiscretizedSurface(const CMesh& mesh, std::vector<CPoint>& surface, double s, double cx1, double cz1);
