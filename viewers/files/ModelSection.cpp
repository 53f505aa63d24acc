#include "files/ModelSection.h"

#include "files/Refusal.h"
#include "formats/MeshFile.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

// The longest run of cells no larger than factor times the smallest, as [first, last).
std::pair<int, int> LongestFineRun(const std::vector<double>& nodes, double factor)
{
    double smallest = HUGE_VAL;
    for (size_t i = 0; i + 1 < nodes.size(); ++i)
        smallest = std::min(smallest, nodes[i + 1] - nodes[i]);
    std::pair<int, int> best{0, 0};
    int start = -1;
    const int cells = static_cast<int>(nodes.size()) - 1;
    for (int i = 0; i <= cells; ++i) {
        const bool fine = i < cells && nodes[i + 1] - nodes[i] <= factor * smallest;
        if (fine && start < 0)
            start = i;
        if (!fine && start >= 0) {
            if (i - start > best.second - best.first)
                best = {start, i};
            start = -1;
        }
    }
    return best;
}

int CellAt(const std::vector<double>& nodes, double position)
{
    if (nodes.size() < 2 || !(position >= nodes.front()) || !(position <= nodes.back()))
        return -1;
    // The far edge belongs to the last cell, as the near edge to the first.
    const auto cells = static_cast<int>(nodes.size()) - 1;
    return std::min(static_cast<int>(std::upper_bound(nodes.begin(), nodes.end(), position) - nodes.begin()) - 1,
                    cells - 1);
}

} // namespace

std::string CModelSection::Load(const std::string& meshFile, const std::string& modelFile, EModelKind kind,
                                bool sensitivityModel)
{
    *this = CModelSection();
    ip = kind == EModelKind::ip;
    sensitivity = sensitivityModel;
    meshPath = meshFile;
    modelPath = modelFile;
    CMeshFile mesh;
    if (std::string error = Refusal([&] { mesh = CMeshFile::Read(meshFile); }, "Error: Invalid mesh."); !error.empty())
        return error;
    xNodes = std::move(mesh.x.nodes);
    zNodes = std::move(mesh.z.nodes);
    if (std::string error = Refusal([&] { grid = CValuesFile::Read(modelFile); }); !error.empty())
        return error;
    const int nx = static_cast<int>(xNodes.size()) - 1, nz = static_cast<int>(zNodes.size()) - 1;
    if (grid.nx != nx || grid.nz != nz)
        return FormatC("The model does not fit its mesh: the model file has %i x %i cells, the mesh %i x %i.\n",
                       grid.nx, grid.nz, nx, nz) +
               modelFile + "\n" + meshFile;

    vMin = HUGE_VAL;
    vMax = -HUGE_VAL;
    for (size_t j = 0; j < grid.values.size(); ++j) {
        const double v = grid.values[j];
        if (!ip && !sensitivity && !(v > 0))
            return FormatC("The conductivity of the cell in column %zu, row %zu is not above 0 (%g):\n",
                           j % grid.nx + 1, j / grid.nx + 1, v) +
                   modelFile;
        if (sensitivity && v < 0)
            return FormatC("The sensitivity of the cell in column %zu, row %zu is below 0 (%g):\n", j % grid.nx + 1,
                           j / grid.nx + 1, v) +
                   modelFile;
        if (IsAir(v))
            continue;
        anyGround = true;
        const double c = ColourValue(v);
        vMin = std::min(vMin, c);
        vMax = std::max(vMax, c);
    }
    if (!anyGround)
        vMin = vMax = 0;
    // Four decades below the largest: what the survey sees, the rest as the deepest colour.
    if (sensitivity)
        vMin = std::max(vMin, vMax - kSensitivityDecades);

    std::tie(coreColumn0, coreColumn1) = LongestFineRun(xNodes, 1.25);
    std::tie(coreRow0, coreRow1) = LongestFineRun(zNodes, 1.8);
    return "";
}

bool CModelSection::IsAir(double value) const
{
    // The files hold the float nearest to 1e-8, written with six digits.
    if (sensitivity)
        return !(value > 0);
    return ip ? value == -10 : static_cast<float>(value) == 1e-8f;
}

double CModelSection::ColourValue(double value) const
{
    return ip && !sensitivity ? value : std::log10(value);
}

int CModelSection::ColumnAt(double x) const
{
    return CellAt(xNodes, x);
}

int CModelSection::RowAt(double z) const
{
    return CellAt(zNodes, z);
}
