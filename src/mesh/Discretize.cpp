#include "mesh/Discretize.h"

#include "formats/DataFile.h"
#include "formats/FileNames.h"
#include "formats/FormatError.h"
#include "formats/ForwardInputFile.h"
#include "formats/Limits.h"
#include "formats/MeshFile.h"
#include "formats/Text.h"
#include "formats/TopographyFile.h"
#include "formats/ValuesFile.h"
#include "mesh/Limits.h"
#include "mesh/Locations.h"
#include "mesh/Mesh.h"
#include "mesh/MeshFile.h"
#include "mesh/MovedBoundaries.h"
#include "mesh/Rasterise.h"
#include "mesh/Topography.h"
#include "model/ModelData.h"
#include "platform/FileException.h"
#include "platform/FilePath.h"
#include "platform/Refusal.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cmath>

const char* const kEraseResultsQuestion =
    "Forward modeling has already been done in this folder.\nDo you want to erase previous results?";

CVerdict CheckDiscretizeSettings(const CDiscretizeSettings& c, double coreWidth)
{
    CVerdict v;
    if (c.aSpacing > coreWidth * 0.25)
        return v.Refuse("a-spacing is too huge.", &c.aSpacing);
    if (c.aSpacing <= 0)
        return v.Refuse("a-spacing should be greater than 0.", &c.aSpacing);
    if (c.n <= 0)
        return v.Refuse("n should be greater than 0.", &c.n);
    if (c.array == EArray::protocol) {
        if (c.protocolFile.empty())
            return v.Refuse("Protocol file is missing.", &c.protocolFile);
        if (!FileExists(c.protocolFile))
            return v.Refuse("Protocol file:\n" + c.protocolFile + "\nnot found.", &c.protocolFile);
    }
    switch (c.mesh) {
    case EMeshOption::cellsPerSpacing:
        if (c.cellsPerElectrode < 1)
            return v.Refuse("# of cells between electrodes should be greater than 1.", &c.cellsPerElectrode);
        if (c.cellsPerElectrode > 4)
            v.Warn("Warning: more than 4 cells between electrodes might\nproduce huge models.");
        if (c.aspectRatio < 1 || c.aspectRatio > 5)
            return v.Refuse("aspect ratio should be between 1 and 5.", &c.aspectRatio);
        break;
    case EMeshOption::cellSize:
        // The mesh file's reader refuses cells thinner than kMinLength.
        for (const double* d : {&c.dx, &c.dz}) {
            if (!(*d > 0))
                return v.Refuse("Cell size should be positive.", d);
            if (!(*d >= kMinLength))
                return v.Refuse(FormatC("Cell size should be at least %g.", kMinLength), d);
        }
        if (c.dx > 0.5 * c.aSpacing)
            v.Warn("Warning: large cell size could give inaccurate results.");
        if (c.dz > c.dx)
            v.Warn("Warning: dx should not be smaller than dz.");
        break;
    case EMeshOption::existing:
        if (c.existingMesh.empty())
            return v.Refuse("Mesh file is missing.", &c.existingMesh);
        // The forward input file names the mesh on a line of its own.
        if (!CForwardInputFile::CanHold(c.existingMesh))
            return v.Refuse("Mesh file:\n" + c.existingMesh +
                                "\nholds a line break, which the forward-modelling input file cannot hold.",
                            &c.existingMesh);
        if (!FileExists(c.existingMesh))
            return v.Refuse("Mesh file:\n" + c.existingMesh + "\nnot found.", &c.existingMesh);
        break;
    }
    return v;
}

CVerdict CheckChargeabilities(const CModelData& model)
{
    CVerdict v;
    const EForwardType type = model.m_discretize.forward;
    if (type != EForwardType::dc && model.m_ipModel.empty())
        v.Warn("IP forward modelling is selected, but chargeability model is empty.");
    // The background too: the forward run refuses it, where the user cannot see why.
    if (type == EForwardType::dcIp &&
        (model.m_ipBackground >= 1.0f || std::any_of(model.m_ipModel.begin(), model.m_ipModel.end(),
                                                     [](const CElement& e) { return e.m_value >= 1.0f; })))
        v.Refuse("Chargeability should be between 0 and 1.\nFor greater values, make sure IPL option is selected "
                 "when forward modelling.");
    return v;
}

bool HasPreviousResults()
{
    return FileExists(kDcDataFileName);
}

void RemovePreviousResults()
{
    std::vector<std::string> names(std::begin(kRunDataFileNames), std::end(kRunDataFileNames));
    names.insert(names.end(), {kInputFileName, kLogFileName});
    names.insert(names.end(), std::begin(kSensitivityFileNames), std::end(kSensitivityFileNames));
    for (const std::string& name : names)
        if (FileExists(name))
            RemoveFile(name);
}

CDiscretizeSettings ProposedSettings(const CModelData& m)
{
    CDiscretizeSettings s = m.m_discretize;
    if (s.dx < 0) {
        s.dx = (m.m_coreX2 - m.m_coreX1) / 100;
        s.dz = s.dx * 0.5;
    }
    return s;
}

namespace {

// The mesh of the settings, and its smallest cells. Raises CRefusal or, for an existing mesh,
// CFormatError and CFileException.
CMesh DesignedMesh(const CModelData& m, const CSurveyPlan& survey, double& dx, double& dz)
{
    const CDiscretizeSettings& d = m.m_discretize;
    CMesh mesh;
    if (d.mesh == EMeshOption::existing)
        return ReadMeshFile(d.existingMesh, m.m_coreX1, dx, dz);
    if (d.mesh == EMeshOption::cellsPerSpacing) {
        dx = d.aSpacing / d.cellsPerElectrode;
        dz = dx / d.aspectRatio;
    } else {
        dx = d.dx;
        dz = d.dz;
    }
    if (!mesh.Design(m.m_coreX1, m.m_coreX2, m.m_coreZ1, m.m_coreZ2, survey.size.arrayLength, dx, dz,
                     MeanTopographyDepth(m)))
        throw CRefusal("The mesh would have more cells than this program can handle.\nChoose larger cells.");
    if (!MeshFileOf(mesh).FitsItsDecimals())
        throw CRefusal("The mesh's cells are too small for the mesh file, which keeps two decimals.\n"
                       "Work in smaller units, such as metres.");
    return mesh;
}

// Whether the text file at path holds text, line ends aside.
bool HoldsText(const std::string& path, std::string text)
{
    std::string bytes;
    try {
        bytes = ReadTextFile(path, kMaxValuesFileBytes);
    } catch (const std::exception&) {
        return false;
    }
    std::erase(bytes, '\r');
    std::erase(text, '\r');
    return bytes == text;
}

bool HoldsValues(const std::string& path, const CMesh& mesh, const std::vector<float>& values)
{
    try {
        const CValuesFile file = CValuesFile::Read(path);
        if (file.nx != mesh.nx || file.nz != mesh.nz || file.values.size() != values.size())
            return false;
        for (size_t j = 0; j < values.size(); ++j)
            if (static_cast<float>(file.values[j]) != values[j])
                return false;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

std::optional<CDiscretizedShapes> DiscretizationMatches(CModelData& model)
{
    CModelData m = model;
    const CDiscretizeSettings& d = m.m_discretize;
    CDiscretizedShapes shapes;
    try {
        const CSurveyPlan survey = PlanSurvey(m);
        if (!HoldsText(kLocationsFileName, survey.file.Format()))
            return std::nullopt;
        double dx = 0, dz = 0;
        CMesh mesh = DesignedMesh(m, survey, dx, dz);
        if (d.mesh != EMeshOption::existing && !HoldsText(kMeshFileName, MeshFileOf(mesh).Format()))
            return std::nullopt;
        CTopographyFile profile;
        if (m.m_bTopography) {
            profile = BuildExtendedProfile(m, mesh.xNodes.front(), mesh.xNodes.back());
            if (!HoldsText(kTopographyFileName, profile.Format()))
                return std::nullopt;
        }
        ComputeAirCells(mesh, profile);
        bool fitted = true;
        if (!HoldsValues(kConductivityFileName, mesh,
                         RasteriseGrid(mesh, EModelKind::dc, m.m_dcBackground, m.m_dcModel, fitted, &shapes.dc)))
            return std::nullopt;
        if (d.forward != EForwardType::dc &&
            !HoldsValues(kChargeabilityFileName, mesh,
                         RasteriseGrid(mesh, EModelKind::ip, m.m_ipBackground, m.m_ipModel, fitted, &shapes.ip)))
            return std::nullopt;
        shapes.surface = BuildDiscretizedSurface(mesh);
        if (d.mesh == EMeshOption::existing)
            m.m_meshFileName = d.existingMesh;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    model = std::move(m);
    return shapes;
}

CDiscretized RunDiscretization(CModelData& m, bool erasePreviousResults, CFolderLock* lock)
{
    CDiscretized result;
    const CDiscretizeSettings& d = m.m_discretize;
    try {
        // The survey and the mesh before any file: a refusal leaves the folder as it was.
        const CSurveyPlan survey = PlanSurvey(m);
        result.warnings = survey.size.warnings;
        double dx = 0, dz = 0;
        const double T = MeanTopographyDepth(m);
        CMesh mesh = DesignedMesh(m, survey, dx, dz);

        if (lock) {
            lock->Take();
            // Under the lock no writer of ours is at work here: what a killed one left goes.
            std::vector<std::string> written = {kMeshFileName,           kLocationsFileName,     kTopographyFileName,
                                                kConductivityFileName,   kChargeabilityFileName, kInputFileName,
                                                kDesignProtocolFileName, kDesignReportFileName};
            written.insert(written.end(), std::begin(kRunDataFileNames), std::end(kRunDataFileNames));
            written.insert(written.end(), std::begin(kSensitivityFileNames), std::end(kSensitivityFileNames));
            RemoveLeftTemporaryFiles(written);
        }
        if (erasePreviousResults)
            RemovePreviousResults();
        survey.file.Write(kLocationsFileName);
        if (d.mesh == EMeshOption::existing) {
            m.m_meshFileName = d.existingMesh;
        } else {
            // An existing mesh chosen in an earlier run is never written over.
            m.m_meshFileName = kMeshFileName;
            WriteMeshFile(mesh, m.m_meshFileName);
        }
        const int cells = mesh.nx * mesh.nz;
        if (cells > kQuickForwardCells)
            result.warnings.push_back(
                FormatC("Warning: the mesh has %i cells, far more than a forward run handles quickly.\n"
                        "It may take long and need much memory; larger cells or a shorter survey make it smaller.",
                        cells));

        CTopographyFile profile;
        if (m.m_bTopography)
            profile = WriteTopographyFile(m, mesh.xNodes.front(), mesh.xNodes.back());
        ComputeAirCells(mesh, profile);

        result.shapes.surface = BuildDiscretizedSurface(mesh);
        auto rasterise = [&](EModelKind kind, float background, const CElementList& blocks, const std::string& file) {
            CRasterised done = RasteriseModel(mesh, kind, background, blocks, file);
            for (std::string& w : done.warnings)
                result.warnings.push_back(std::move(w));
            return std::move(done.blocks);
        };
        result.shapes.dc = rasterise(EModelKind::dc, m.m_dcBackground, m.m_dcModel, kConductivityFileName);
        const bool ip = d.forward != EForwardType::dc;
        if (ip)
            result.shapes.ip = rasterise(EModelKind::ip, m.m_ipBackground, m.m_ipModel, kChargeabilityFileName);

        std::string& summary = result.summary;
        summary = FormatC("Created locations file: %s\nnumber of transmitters: %i\nnumber of data: %i\n\n"
                          "Created mesh file: %s\nsmallest cell size: %g x %g\ntotal number of cells: %i x %i = %i\n\n"
                          "number of air cells: %i\nnumber of ground cells: %i\n\nCreated conductivity file: %s\n",
                          kLocationsFileName, survey.size.transmitters, survey.size.data, m.m_meshFileName.c_str(), dx,
                          dz, mesh.nx, mesh.nz, cells, mesh.airCells, cells - mesh.airCells, kConductivityFileName);
        if (ip)
            summary += FormatC("Created chargeability file: %s\n", kChargeabilityFileName);
        if (m.m_bTopography)
            summary += FormatC("Created topography file: %s\n", kTopographyFileName);

        // A boundary moved by the mesh changes the data without a word otherwise; the offered
        // cell size is tried on the mesh that it would design.
        CRedesign redesign;
        if (d.mesh != EMeshOption::existing)
            redesign = [&](double otherDx, double otherDz) -> std::optional<CMesh> {
                CMesh other;
                if (!other.Design(m.m_coreX1, m.m_coreX2, m.m_coreZ1, m.m_coreZ2, survey.size.arrayLength, otherDx,
                                  otherDz, T))
                    return std::nullopt;
                return other;
            };
        const std::string moved = DescribeMovedBoundaries(FindMovedBoundaries(mesh, m, ip, dx, dz, redesign));
        if (!moved.empty())
            summary += "\n" + moved;
        return result;
    } catch (const CFormatError& e) {
        throw CRefusal(std::string("Cannot write\n") + e.what());
    }
}
