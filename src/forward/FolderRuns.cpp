#include "forward/FolderRuns.h"

#include "formats/DataFile.h"
#include "formats/DoiFile.h"
#include "formats/ForwardInputFile.h"
#include "formats/LocationsFile.h"
#include "mesh/Discretize.h"
#include "mesh/MeshFile.h"
#include "model/ModelData.h"
#include "platform/FilePath.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Whether the data files of the forward type hold the locations' configurations, in order, and
// are not older than them.
bool ForwardRunMatches(const CModelData& m)
{
    std::error_code ec;
    const auto located = fs::last_write_time(m.m_locFileName, ec);
    if (ec)
        return false;
    std::vector<std::pair<std::string, bool>> files{{m.m_obsDCFileName, false}};
    if (m.m_discretize.forward == EForwardType::dcIp)
        files.emplace_back(m.m_obsIPFileName, true);
    else if (m.m_discretize.forward == EForwardType::dcIpl)
        files.emplace_back(m.m_obsIPLFileName, true);
    try {
        const CLocationsFile locations = CLocationsFile::Read(m.m_locFileName);
        for (const auto& [name, ip] : files) {
            const auto written = fs::last_write_time(name, ec);
            if (ec || written < located)
                return false;
            const CDataFile data = CDataFile::Read(name, ip);
            auto samePositions = [](const CDataRecord& d, const CQuadrupole& q) {
                return d.a == q.a && d.b == q.b && d.m == q.m && d.n == q.n;
            };
            if (!std::equal(data.data.begin(), data.data.end(), locations.data.begin(), locations.data.end(),
                            samePositions))
                return false;
        }
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

} // namespace

CFolderRuns RecogniseFolder(CModelData& m)
{
    CFolderRuns runs;
    if (!FileExists(m.m_locFileName) || !FileExists(m.m_conFileName))
        return runs;
    // The input file of the last run says its forward type and mesh; without one, a chargeability
    // file says IP.
    std::optional<CForwardInputFile> input;
    try {
        input = CForwardInputFile::Read(m.m_inpFileName);
    } catch (const std::exception&) {
    }
    CDiscretizeSettings d = m.m_discretize;
    d.forward = input                         ? static_cast<EForwardType>(input->type)
                : FileExists(m.m_chgFileName) ? EForwardType::dcIp
                                              : EForwardType::dc;
    std::vector<CDiscretizeSettings> tries;
    d.mesh = EMeshOption::cellsPerSpacing;
    tries.push_back(d);
    try {
        const std::string meshName = input ? input->meshFile : CModelData::kMeshFileName;
        ReadMeshFile(meshName, m.m_coreX1, d.dx, d.dz);
        d.mesh = EMeshOption::cellSize;
        tries.push_back(d);
        if (meshName != CModelData::kMeshFileName) {
            d.mesh = EMeshOption::existing;
            d.existingMesh = AbsolutePath(meshName);
            tries.push_back(d);
        }
    } catch (const std::exception&) {
    }
    for (const CDiscretizeSettings& settings : tries) {
        CModelData trial = m;
        trial.m_discretize = settings;
        std::optional<CDiscretizedShapes> shapes = DiscretizationMatches(trial);
        if (!shapes)
            continue;
        runs.discretized = true;
        runs.shapes = std::move(*shapes);
        runs.forwardDone = input && ForwardRunMatches(trial);
        trial.m_depthOfInvestigation.clear();
        if (runs.forwardDone && FileExists(kDoiFileName)) {
            try {
                for (const CDoiFile::CPoint& p : CDoiFile::Read(kDoiFileName).points)
                    trial.m_depthOfInvestigation.emplace_back(p.x, p.z);
            } catch (const std::exception&) {
                trial.m_depthOfInvestigation.clear();
            }
        }
        m = std::move(trial);
        return runs;
    }
    return runs;
}
