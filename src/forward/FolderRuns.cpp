#include "forward/FolderRuns.h"

#include "formats/DataFile.h"
#include "formats/DoiFile.h"
#include "formats/FileNames.h"
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
    const auto located = fs::last_write_time(kLocationsFileName, ec);
    if (ec)
        return false;
    const std::vector<std::string> names = DataFileNames(m.m_discretize.forward);
    try {
        const CLocationsFile locations = CLocationsFile::Read(kLocationsFileName);
        for (size_t i = 0; i < names.size(); ++i) {
            const auto written = fs::last_write_time(names[i], ec);
            if (ec || written < located)
                return false;
            const CDataFile data = CDataFile::Read(names[i], i == 0 ? EModelKind::dc : EModelKind::ip);
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
    if (!FileExists(kLocationsFileName) || !FileExists(kConductivityFileName))
        return runs;
    // The input file of the last run says its forward type and mesh; without one, a chargeability
    // file says IP.
    std::optional<CForwardInputFile> input;
    try {
        input = CForwardInputFile::Read(kInputFileName);
    } catch (const std::exception&) {
    }
    CDiscretizeSettings d = m.m_discretize;
    d.forward = input ? input->type : FileExists(kChargeabilityFileName) ? EForwardType::dcIp : EForwardType::dc;
    std::vector<CDiscretizeSettings> tries;
    d.mesh = EMeshOption::cellsPerSpacing;
    tries.push_back(d);
    try {
        const std::string meshName = input ? input->meshFile : kMeshFileName;
        ReadMeshFile(meshName, m.m_coreX1, d.dx, d.dz);
        d.mesh = EMeshOption::cellSize;
        tries.push_back(d);
        if (meshName != kMeshFileName) {
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
