#include "mesh/Mesh.h"

#include "platform/Numbers.h"

#include "mesh/Limits.h"
#include "model/Element.h"
#include "model/ModelData.h"

#include <algorithm>
#include <cmath>

namespace {

bool PositiveFinite(double v)
{
    return std::isfinite(v) && v > 0;
}

// A cell count from a real one, rounded as everywhere, never negative, and -1 beyond what any
// mesh may hold, so that a huge product can neither wrap nor size a list.
long long CellCount(double cells)
{
    if (!(cells < static_cast<double>(kMaxAxisCells) + 1))
        return -1;
    return std::max(0, RoundToInt(cells));
}

// The padding reaching 1.5 L: from 3 to 10 cells, the running width growing by 1.5^p w0.
int PaddingCount(double L, double startWidth, double w0)
{
    int p = 1;
    double w = startWidth;
    while (!(p >= 3 && 1.5 * L <= w) && p < 10) {
        ++p;
        w += std::pow(1.5, p) * w0;
    }
    return p;
}

} // namespace

bool CMesh::Design(double x1, double x2, double z1, double z2, double L, double dx, double dz, double T)
{
    *this = CMesh();
    if (!PositiveFinite(dx) || !PositiveFinite(dz) || !std::isfinite(x1) || !std::isfinite(z1) || !std::isfinite(z2) ||
        !(x2 > x1) || !std::isfinite(x2 - x1) || !std::isfinite(L) || !std::isfinite(T))
        return false;

    // Along x: padding counted from a running width that starts at dx.
    const int p = PaddingCount(L, dx, dx);
    const long long core = CellCount((x2 - x1) / dx);

    // Along z: dz cells to L/2 below the mean surface, 1.5 dz cells to the core bottom.
    const double h = 1.5 * dz;
    const long long fine = CellCount((0.5 * L + T) / dz);
    const double F = static_cast<double>(fine) * dz;
    const long long mid = CellCount((std::max(z2, 0.25 * L + F) - F) / h);
    const int q = PaddingCount(L, 1.5 * h, h);

    if (core < 0 || fine < 0 || mid < 0)
        return false;
    const long long cellsX = core + 2 * p + 8;
    const long long cellsZ = fine + mid + q;
    if (cellsX > kMaxAxisCells || cellsZ > kMaxAxisCells || cellsX * cellsZ > kMaxMeshCells)
        return false;

    nx = static_cast<int>(cellsX);
    xNodes.resize(static_cast<size_t>(nx) + 1);
    for (int i = p; i <= nx - p; ++i)
        xNodes[i] = x1 + (i - p - 4) * dx;
    double w = dx;
    for (int k = 1; k <= p; ++k) {
        w *= 1.5;
        xNodes[p - k] = xNodes[p - k + 1] - w;
        xNodes[nx - p + k] = xNodes[nx - p + k - 1] + w;
    }
    outer = p + 4;

    fineZ = static_cast<int>(fine);
    midZ = static_cast<int>(mid);
    padZ = q;
    nz = static_cast<int>(cellsZ);
    zNodes.resize(static_cast<size_t>(nz) + 1);
    for (int i = 0; i <= fineZ; ++i)
        zNodes[i] = z1 + i * dz;
    for (int i = fineZ + 1; i <= fineZ + midZ; ++i)
        zNodes[i] = zNodes[i - 1] + h;
    w = 1.5 * h;
    for (int i = fineZ + midZ + 1; i <= nz; ++i) {
        zNodes[i] = zNodes[i - 1] + w;
        w *= 1.5;
    }
    // Far from the origin a cell can be smaller than the spacing of doubles there.
    auto increasing = [](const std::vector<double>& v) {
        return std::adjacent_find(v.begin(), v.end(), [](double a, double b) { return !(b > a); }) == v.end();
    };
    if (!increasing(xNodes) || !increasing(zNodes)) {
        *this = CMesh();
        return false;
    }
    return true;
}

int NearestNode(const std::vector<double>& nodes, double position)
{
    if (nodes.empty())
        return 0;
    // The first node at or beyond the position.
    auto it = std::lower_bound(nodes.begin(), nodes.end(), position);
    if (it == nodes.begin())
        return 0;
    if (it == nodes.end())
        return static_cast<int>(nodes.size()) - 1;
    int i = static_cast<int>(it - nodes.begin());
    return position - nodes[i - 1] > nodes[i] - position ? i : i - 1;
}

double MeanTopographyDepth(const CModelData& model)
{
    if (!model.m_bTopography || model.m_topo.empty())
        return 0;
    double sum = 0;
    auto a = model.m_topo.begin();
    for (auto b = std::next(a); b != model.m_topo.end(); a = b++)
        sum += (b->m_x - a->m_x) * (a->m_z + b->m_z) * 0.5;
    return sum / (model.m_coreX2 - model.m_coreX1);
}
