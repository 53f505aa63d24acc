#include "engine/program/SensitivityFiles.h"

#include "engine/general/EngineError.h"
#include "engine/modelling/ForwardModel.h"
#include "formats/ValuesFile.h"
#include "platform/FileException.h"
#include "platform/FilePath.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

double Value(const CSensitivities& s, int datum, int cell)
{
    return s.values[static_cast<size_t>(cell) * s.data + datum];
}

// The top of the ground in a mesh column: the bottom of its air cells.
double GroundTop(const CForwardInput& in, int column)
{
    const CMesh& mesh = in.mesh;
    return mesh.zNodes[in.airPerColumn.empty() ? 0 : std::min(in.airPerColumn[column], mesh.nz)];
}

// The depth range of each cell below the ground of its column.
struct CDepthRange {
    double top, bottom;
};
std::vector<CDepthRange> DepthRanges(const CForwardInput& in)
{
    const CMesh& mesh = in.mesh;
    std::vector<CDepthRange> ranges(static_cast<size_t>(mesh.nx) * mesh.nz);
    for (int i = 0; i < mesh.nx; ++i) {
        const double ground = GroundTop(in, i);
        for (int k = 0; k < mesh.nz; ++k)
            ranges[static_cast<size_t>(k) * mesh.nx + i] = {mesh.zNodes[k] - ground, mesh.zNodes[k + 1] - ground};
    }
    return ranges;
}

void AppendLittleEndian(std::string& bytes, const void* value, size_t size)
{
    char buffer[8];
    std::memcpy(buffer, value, size);
    if constexpr (std::endian::native == std::endian::big)
        std::reverse(buffer, buffer + size);
    bytes.append(buffer, size);
}

} // namespace

std::vector<float> CumulativeSensitivity(const CForwardInput& in, const CSensitivities& s)
{
    const CMesh& mesh = in.mesh;
    std::vector<double> sum(s.cells, 0.0);
    double largest = 0;
    for (int k = 0; k < mesh.nz; ++k)
        for (int i = 0; i < mesh.nx; ++i) {
            const int c = k * mesh.nx + i;
            double total = 0;
            for (int d = 0; d < s.data; ++d)
                total += std::fabs(Value(s, d, c));
            sum[c] = total / ((mesh.xNodes[i + 1] - mesh.xNodes[i]) * (mesh.zNodes[k + 1] - mesh.zNodes[k]));
            largest = std::max(largest, sum[c]);
        }
    std::vector<float> values(s.cells, 0.0f);
    for (int c = 0; c < s.cells && largest > 0; ++c)
        values[c] = static_cast<float>(sum[c] / largest);
    return values;
}

std::vector<double> MedianDepths(const CForwardInput& in, const CSensitivities& s)
{
    const std::vector<CDepthRange> ranges = DepthRanges(in);
    // Each cell's share spread evenly over its depth range; the breakpoints of all ranges.
    std::vector<double> breaks;
    for (const CDepthRange& r : ranges) {
        breaks.push_back(r.top);
        breaks.push_back(r.bottom);
    }
    std::sort(breaks.begin(), breaks.end());
    breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
    auto at = [&](double depth) { return std::lower_bound(breaks.begin(), breaks.end(), depth) - breaks.begin(); };
    std::vector<double> median(s.data, 0.0);
    std::vector<double> density(breaks.size());
    for (int d = 0; d < s.data; ++d) {
        std::fill(density.begin(), density.end(), 0.0);
        for (int c = 0; c < s.cells; ++c) {
            const double share = -Value(s, d, c);
            if (share == 0 || ranges[c].bottom <= ranges[c].top)
                continue;
            const double rate = share / (ranges[c].bottom - ranges[c].top);
            density[at(ranges[c].top)] += rate;
            density[at(ranges[c].bottom)] -= rate;
        }
        // Up from the shallowest break until half the whole lies above; -1 for a datum whose
        // sensitivities were left at 0.
        double rate = 0, above = 0;
        median[d] = -1;
        for (size_t b = 0; b + 1 < breaks.size(); ++b) {
            rate += density[b];
            const double width = breaks[b + 1] - breaks[b], next = above + rate * width;
            if (breaks[b + 1] > 0 && next >= 0.5 && rate > 0) {
                median[d] = std::max(0.0, breaks[b] + (0.5 - above) / rate);
                break;
            }
            above = next;
        }
    }
    return median;
}

CDoiFile DepthOfInvestigation(const CForwardInput& in, const CSensitivities& s)
{
    const std::vector<double> median = MedianDepths(in, s);
    const CMesh& mesh = in.mesh;
    const std::vector<double>& positions = in.survey.positions;
    CDoiFile doi;
    for (int i = 0; i < mesh.nx; ++i) {
        const double x = 0.5 * (mesh.xNodes[i] + mesh.xNodes[i + 1]);
        if (positions.empty() || x < positions.front() || x > positions.back())
            continue;
        double deepest = -1;
        for (size_t d = 0; d < in.survey.data.size(); ++d) {
            if (median[d] < 0)
                continue;
            const CSurvey::Datum& datum = in.survey.data[d];
            const double lo = std::min({datum.a, datum.b, datum.m, datum.n});
            const double hi = std::max({datum.a, datum.b, datum.m, datum.n});
            if (x >= lo && x <= hi)
                deepest = std::max(deepest, median[d]);
        }
        if (deepest < 0)
            continue;
        doi.points.push_back({x, GroundTop(in, i) + deepest, deepest});
    }
    return doi;
}

void WriteJacobian(const std::string& path, const CForwardInput& in, const CSensitivities& s)
{
    CStdioFile file(path, CStdioFile::modeCreate | CStdioFile::modeWrite);
    std::string bytes = "FERROJAC";
    for (std::uint32_t field : {1u, static_cast<std::uint32_t>(s.data), static_cast<std::uint32_t>(in.mesh.nx),
                                static_cast<std::uint32_t>(in.mesh.nz)})
        AppendLittleEndian(bytes, &field, 4);
    file.Write(bytes.data(), bytes.size());
    for (int d = 0; d < s.data; ++d) {
        bytes.clear();
        for (int c = 0; c < s.cells; ++c) {
            const double value = Value(s, d, c);
            AppendLittleEndian(bytes, &value, 8);
        }
        file.Write(bytes.data(), bytes.size());
    }
    file.Close();
}

std::vector<std::string> SensitivityFileNames(const CForwardJob& job)
{
    std::vector<std::string> names;
    for (const std::string* name : {&job.sensitivityFile, &job.jacobianFile, &job.doiFile})
        if (!name->empty())
            names.push_back(*name);
    return names;
}

void CheckSensitivityFileNames(const CForwardJob& job, const std::string& inputFile,
                               const std::vector<std::string>& runFiles)
{
    std::vector<std::pair<std::string, std::string>> taken{{inputFile, "the input file"},
                                                           {job.meshFile, "the mesh file"},
                                                           {job.locationsFile, "the electrode locations file"},
                                                           {job.conductivityFile, "the conductivity file"},
                                                           {job.chargeabilityFile, "the chargeability file"},
                                                           {job.topographyFile, "the topography file"}};
    for (const std::string& name : runFiles)
        taken.emplace_back(name, "a file of the run");
    const std::pair<const std::string*, const char*> outputs[] = {{&job.sensitivityFile, "sensitivity file"},
                                                                  {&job.jacobianFile, "Jacobian file"},
                                                                  {&job.doiFile, "depth of investigation file"},
                                                                  {&job.protocolFile, "survey design's protocol"},
                                                                  {&job.designFile, "survey design's report"}};
    for (const auto& [name, what] : outputs) {
        if (name->empty())
            continue;
        for (const auto& [other, role] : taken)
            if (!other.empty() && (AbsolutePath(*name) == AbsolutePath(other) || IsSameFile(*name, other)))
                throw CEngineError(
                    FormatC("The %s %s is also %s: give it a name of its own.", what, name->c_str(), role.c_str()));
        taken.emplace_back(*name, std::string("the ") + what);
    }
}

void WriteSensitivityFiles(const CForwardInput& in, const CSensitivities& s)
{
    const CForwardJob& job = in.job;
    std::string current;
    try {
        if (!job.sensitivityFile.empty()) {
            current = job.sensitivityFile;
            CValuesFile::Write(current, in.mesh.nx, in.mesh.nz, CumulativeSensitivity(in, s));
        }
        if (!job.jacobianFile.empty()) {
            current = job.jacobianFile;
            WriteJacobian(current, in, s);
        }
        if (!job.doiFile.empty()) {
            current = job.doiFile;
            DepthOfInvestigation(in, s).Write(current);
        }
    } catch (const CFileException& e) {
        throw CEngineError("The file " + e.m_strFileName + " cannot be written: " + e.GetErrorMessage());
    } catch (const std::exception& e) {
        throw CEngineError("The file " + current + " cannot be written: " + e.what());
    }
}
