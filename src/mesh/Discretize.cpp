#include "mesh/Discretize.h"

#include "formats/FormatError.h"
#include "formats/ForwardInputFile.h"
#include "formats/MeshFile.h"
#include "mesh/Limits.h"
#include "mesh/Locations.h"
#include "mesh/Mesh.h"
#include "mesh/MeshFile.h"
#include "mesh/Rasterise.h"
#include "mesh/Topography.h"
#include "model/ModelData.h"
#include "platform/FileException.h"
#include "platform/FilePath.h"
#include "platform/MessageBox.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cmath>

bool CheckDiscretizeChoice(const CDiscretizeChoice& c, double maxASpacing)
{
    auto refuse = [](const std::string& message) {
        AfxMessageBox(message);
        return false;
    };
    if (c.aSpacing > maxASpacing)
        return refuse("a-spacing is too huge.");
    if (c.aSpacing <= 0)
        return refuse("a-spacing should be greater than 0.");
    if (c.n <= 0)
        return refuse("n should be greater than 0.");
    switch (c.meshType) {
    case 0:
        if (c.cellsPerElectrode < 1)
            return refuse("# of cells between electrodes should be greater than 1.");
        if (c.cellsPerElectrode > 4)
            AfxMessageBox("Warning: more than 4 cells between electrodes might\nproduce huge models.");
        if (c.aspectRatio < 1 || c.aspectRatio > 5)
            return refuse("aspect ratio should be between 1 and 5.");
        break;
    case 1:
        if (c.dx <= 0 || c.dz <= 0)
            return refuse("Cell size should be positive.");
        if (c.dx > 0.5 * c.aSpacing)
            AfxMessageBox("Warning: large cell size could give inaccurate results.");
        if (c.dz > c.dx)
            AfxMessageBox("Warning: dx should not be smaller than dz.");
        break;
    default:
        if (c.existingMesh.empty())
            return refuse("Mesh file is missing.");
        // The forward input file names the mesh on a line of its own.
        if (!CForwardInputFile::CanHold(c.existingMesh))
            return refuse("Mesh file:\n" + c.existingMesh +
                          "\nholds a line break, which the forward-modelling input file cannot hold.");
        if (!FileExists(c.existingMesh))
            return refuse("Mesh file:\n" + c.existingMesh + "\nnot found.");
        break;
    }
    return true;
}

bool CheckChargeabilities(const CModelData& model)
{
    if (model.m_fwdType != 0 && model.m_ipModel.empty())
        AfxMessageBox("IP forward modelling is selected, but chargeability model is empty.");
    // The background too: the forward run refuses it, where the user cannot see why.
    if (model.m_fwdType == 1 &&
        (model.m_ipBackground >= 1.0f || std::any_of(model.m_ipModel.begin(), model.m_ipModel.end(),
                                                     [](const CElement& e) { return e.m_value >= 1.0f; }))) {
        AfxMessageBox("Chargeability should be between 0 and 1.\nFor greater values, make sure IPL option is selected "
                      "when forward modelling.");
        return false;
    }
    return true;
}

namespace {

// The array length the locations file will give: n lowered to the separations the core holds,
// in a-spacings, as WriteLocationsFile lowers it. Negative when it will refuse the a-spacing.
double ArrayLength(const CModelData& m, double a)
{
    const int type = m.m_arrayType;
    const double R = (m.m_coreX2 - m.m_coreX1) / a;
    const double room = type == 0 ? R : type == 1 ? R - 2 : R - 1;
    if (!(room < kMaxTransmitters + 1.0))
        return -1;
    const int n = std::min(m.m_n, std::max(0, static_cast<int>(std::trunc(room))));
    return (type == 0 ? n : type == 1 ? n + 2 : n + 1) * a;
}

} // namespace

void RemovePreviousResults(const CModelData& m)
{
    for (const std::string* name :
         {&m.m_obsDCFileName, &m.m_obsIPFileName, &m.m_obsIPLFileName, &m.m_inpFileName, &m.m_logFileName})
        if (FileExists(*name))
            RemoveFile(*name);
}

bool RunDiscretization(CModelData& m, std::string& summary)
{
    try {
        // The mesh before any file: a mesh that is refused leaves the folder as it was.
        CMesh mesh;
        double dx = 0, dz = 0;
        if (m.m_meshType == 2) {
            if (!ReadMeshFile(mesh, m.m_existingMesh, m.m_coreX1, dx, dz))
                return false;
        } else {
            if (m.m_meshType == 0) {
                dx = m.m_aSpacing / m.m_cellsPerElectrode;
                dz = dx / m.m_aspectRatio;
            } else {
                dx = m.m_dx;
                dz = m.m_dz;
            }
            const double L = ArrayLength(m, m.m_aSpacing);
            if (L >= 0 &&
                !mesh.Design(m.m_coreX1, m.m_coreX2, m.m_coreZ1, m.m_coreZ2, L, dx, dz, MeanTopographyDepth(m))) {
                AfxMessageBox("The mesh would have more cells than this program can handle.\nChoose larger cells.");
                return false;
            }
            // Refused before any file is written, as a mesh too large is.
            if (!MeshFileOf(mesh).FitsItsDecimals()) {
                AfxMessageBox("The mesh's cells are too small for the mesh file, which keeps two decimals.\n"
                              "Work in smaller units, such as metres.");
                return false;
            }
        }

        int n = m.m_n;
        double L = 0;
        int transmitters = 0, data = 0;
        if (!WriteLocationsFile(m, n, L, m.m_aSpacing, transmitters, data))
            return false;
        if (m.m_meshType == 2) {
            m.m_meshFileName = m.m_existingMesh;
        } else {
            // An existing mesh chosen in an earlier run is never written over.
            m.m_meshFileName = CModelData::kMeshFileName;
            WriteMeshFile(mesh, m.m_meshFileName);
        }
        const int cells = mesh.nx * mesh.nz;
        if (cells > kQuickForwardCells)
            AfxMessageBox(FormatC("Warning: the mesh has %i cells, far more than a forward run handles quickly.\n"
                                  "It may take long and need much memory; larger cells or a shorter survey make it "
                                  "smaller.",
                                  cells));

        const int P = static_cast<int>(m.m_topo.size());
        std::vector<double> E(static_cast<size_t>(P) + 2), X(static_cast<size_t>(P) + 2);
        if (m.m_bTopography)
            WriteTopographyFile(m, P + 2, E, X, mesh.xNodes.front(), mesh.xNodes.back());
        ComputeAirCells(mesh, m.m_bTopography, E, X);

        const double s = m.LogicalScale();
        BuildDiscretizedSurface(mesh, m.m_meshSurface, s, m.m_coreX1, m.m_coreZ1);
        RasteriseModel(mesh, true, m.m_dcBackground, m.m_dcModel, m.m_conFileName, m.m_coreX1, m.m_coreZ1, s);
        if (m.m_fwdType != 0)
            RasteriseModel(mesh, false, m.m_ipBackground, m.m_ipModel, m.m_chgFileName, m.m_coreX1, m.m_coreZ1, s);

        summary = FormatC("Created locations file: %s\nnumber of transmitters: %i\nnumber of data: %i\n\n"
                          "Created mesh file: %s\nsmallest cell size: %g x %g\ntotal number of cells: %i x %i = %i\n\n"
                          "number of air cells: %i\nnumber of ground cells: %i\n\nCreated conductivity file: %s\n",
                          m.m_locFileName.c_str(), transmitters, data, m.m_meshFileName.c_str(), dx, dz, mesh.nx,
                          mesh.nz, cells, mesh.airCells, cells - mesh.airCells, m.m_conFileName.c_str());
        if (m.m_fwdType != 0)
            summary += FormatC("Created chargeability file: %s\n", m.m_chgFileName.c_str());
        if (m.m_bTopography)
            summary += FormatC("Created topography file: %s\n", m.m_topoFileName.c_str());
        return true;
    } catch (const CFileException& e) {
        e.ReportError();
        return false;
    } catch (const CFormatError& e) {
        AfxMessageBox(std::string("Cannot write\n") + e.what());
        return false;
    }
}
