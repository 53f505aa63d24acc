#pragma once

#include "mesh/Mesh.h"

#include <string>

struct CMeshFile;

// The mesh file of a designed mesh: each outer column its own segment and the core one segment;
// along z the fine cells, the 1.5 dz cells, then each padding cell. The mesh must come from
// CMesh::Design.
CMeshFile MeshFileOf(const CMesh& mesh);

// Writes MeshFileOf(mesh). Raises CFileException when the file cannot be written.
void WriteMeshFile(const CMesh& mesh, const std::string& fileName);

// Reads an existing mesh file (nx, nz, the nodes and outer = the node nearest to x1) and gives
// its smallest cell width and thickness. Raises CRefusal with "Mesh file not found:" or
// "Error: Invalid mesh." and the file and the reason.
CMesh ReadMeshFile(const std::string& path, double x1, double& smallestWidth, double& smallestThickness);
