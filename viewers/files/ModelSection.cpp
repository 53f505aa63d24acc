#include "files/ModelSection.h"

#include "mesh/MeshFile.h"
#include "platform/MessageBox.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Collects what the mesh reader would show in a box.
class CMessageCatcher {
public:
    CMessageCatcher()
        : m_previous(SetMessageBoxHandler([this](const std::string& text, unsigned) {
              m_text += m_text.empty() ? text : "\n" + text;
              return int(IDOK);
          }))
    {
    }
    ~CMessageCatcher() { SetMessageBoxHandler(m_previous); }
    CMessageCatcher(const CMessageCatcher&) = delete;
    CMessageCatcher& operator=(const CMessageCatcher&) = delete;

    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
    MessageBoxHandler m_previous;
};

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
    if (nodes.size() < 2 || !(position >= nodes.front()) || !(position < nodes.back()))
        return -1;
    return static_cast<int>(std::upper_bound(nodes.begin(), nodes.end(), position) - nodes.begin()) - 1;
}

} // namespace

std::string CModelSection::Load(const std::string& meshFile, const std::string& modelFile, bool ipModel)
{
    *this = CModelSection();
    ip = ipModel;
    meshPath = meshFile;
    modelPath = modelFile;
    {
        CMessageCatcher catcher;
        double width = 0, thickness = 0;
        // The viewer does not know the core's left edge; any position before the mesh will do.
        if (!ReadMeshFile(mesh, meshFile, -std::numeric_limits<double>::infinity(), width, thickness)) {
            std::string text = catcher.Text().empty() ? "Error: Invalid mesh." : catcher.Text();
            if (text.find(meshFile) == std::string::npos)
                text += "\n" + meshFile;
            return text;
        }
    }
    if (std::string error = ReadModelGrid(modelFile, grid); !error.empty())
        return error;
    if (grid.nx != mesh.nx || grid.nz != mesh.nz)
        return FormatC("The model does not fit its mesh: the model file has %i x %i cells, the mesh %i x %i.\n",
                       grid.nx, grid.nz, mesh.nx, mesh.nz) +
               modelFile + "\n" + meshFile;

    vMin = HUGE_VAL;
    vMax = -HUGE_VAL;
    for (size_t j = 0; j < grid.values.size(); ++j) {
        const double v = grid.values[j];
        if (!ip && !(v > 0))
            return FormatC("The conductivity of the cell in column %zu, row %zu is not above 0 (%g):\n",
                           j % grid.nx + 1, j / grid.nx + 1, v) +
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

    std::tie(coreColumn0, coreColumn1) = LongestFineRun(mesh.xNodes, 1.25);
    std::tie(coreRow0, coreRow1) = LongestFineRun(mesh.zNodes, 1.8);
    return "";
}

bool CModelSection::IsAir(double value) const
{
    // The files hold the float nearest to 1e-8, written with six digits.
    return ip ? value == -10 : static_cast<float>(value) == 1e-8f;
}

double CModelSection::ColourValue(double value) const
{
    return ip ? value : std::log10(value);
}

int CModelSection::ColumnAt(double x) const
{
    return CellAt(mesh.xNodes, x);
}

int CModelSection::RowAt(double z) const
{
    return CellAt(mesh.zNodes, z);
}
