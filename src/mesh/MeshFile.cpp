#include "mesh/MeshFile.h"

#include "formats/FormatError.h"
#include "formats/MeshFile.h"
#include "mesh/Mesh.h"
#include "platform/FileException.h"
#include "platform/MessageBox.h"
#include "platform/TextFormat.h"

#include <algorithm>

CMeshFile MeshFileOf(const CMesh& mesh)
{
    CMeshFile file;
    file.x.nodes = mesh.xNodes;
    file.z.nodes = mesh.zNodes;
    const int nx = mesh.nx, outer = mesh.outer;
    for (int i = 1; i <= outer; ++i)
        file.x.segmentEnds.push_back(i);
    for (int i = nx - outer; i <= nx; ++i)
        file.x.segmentEnds.push_back(i);
    file.z.segmentEnds = {mesh.fineZ, mesh.fineZ + mesh.midZ};
    for (int i = mesh.fineZ + mesh.midZ + 1; i <= mesh.nz; ++i)
        file.z.segmentEnds.push_back(i);
    return file;
}

void WriteMeshFile(const CMesh& mesh, const std::string& fileName)
{
    MeshFileOf(mesh).Write(fileName);
}

namespace {

double SmallestStep(const std::vector<double>& nodes)
{
    double smallest = 1e30;
    for (size_t i = 0; i + 1 < nodes.size(); ++i)
        smallest = std::min(smallest, nodes[i + 1] - nodes[i]);
    return smallest;
}

} // namespace

bool ReadMeshFile(CMesh& mesh, const std::string& path, double x1, double& smallestWidth, double& smallestThickness)
{
    mesh = CMesh();
    const std::string invalid = "Error: Invalid mesh.\n";
    try {
        CMeshFile file = CMeshFile::Read(path);
        mesh.nx = file.x.Cells();
        mesh.nz = file.z.Cells();
        mesh.xNodes = std::move(file.x.nodes);
        mesh.zNodes = std::move(file.z.nodes);
    } catch (const CFileException&) {
        AfxMessageBox("Mesh file not found:\n" + path, MB_ICONERROR);
        return false;
    } catch (const CFormatError& e) {
        AfxMessageBox(invalid + e.what(), MB_ICONERROR);
        return false;
    }
    // The outer columns on the right mirror those on the left, so the core must lie in between.
    mesh.outer = NearestNode(mesh.xNodes, x1);
    if (2 * static_cast<long long>(mesh.outer) >= mesh.nx) {
        mesh = CMesh();
        AfxMessageBox(invalid + path +
                          FormatC("\nThe core area's left edge, x = %g, lies in the right half of the mesh.", x1),
                      MB_ICONERROR);
        return false;
    }
    smallestWidth = SmallestStep(mesh.xNodes);
    smallestThickness = SmallestStep(mesh.zNodes);
    return true;
}
