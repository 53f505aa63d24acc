#pragma once

#include <string>

class CMesh;
struct CMeshFile;

// The mesh file of a designed mesh: each outer column its own segment and the core one segment;
// along z the fine cells, the 1.5 dz cells, then each padding cell. The mesh must come from
// CMesh::Design.
CMeshFile MeshFileOf(const CMesh& mesh);

// Writes MeshFileOf(mesh). Raises CFileException when the file cannot be written.
void WriteMeshFile(const CMesh& mesh, const std::string& fileName);

// Reads an existing mesh file into mesh (nx, nz, the nodes and outer = the node nearest to x1)
// and gives its smallest cell width and thickness. On failure it shows "Mesh file not found:"
// or "Error: Invalid mesh." with the file and the reason, and gives false, the mesh left empty.
bool ReadMeshFile(CMesh& mesh, const std::string& path, double x1, double& smallestWidth, double& smallestThickness);
