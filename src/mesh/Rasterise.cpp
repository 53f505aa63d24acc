#include "mesh/Rasterise.h"

#include "formats/ValuesFile.h"
#include "mesh/Mesh.h"

#include <algorithm>
#include <cmath>

namespace {

// The value grid, row by row from the top; each block touches only the cells it covers.
class CGrid {
public:
    CGrid(int nx, int nz) : m_nx(nx), m_values(static_cast<size_t>(nx) * static_cast<size_t>(nz), 0.0f) {}

    float& At(int column, int row) { return m_values[static_cast<size_t>(row) * m_nx + column]; }

    void Fill(int i1, int i2, int k1, int k2, float v)
    {
        if (i2 <= i1)
            return;
        for (int k = k1; k < k2; ++k)
            std::fill_n(m_values.begin() + static_cast<std::ptrdiff_t>(k * m_nx + i1), i2 - i1, v);
    }

    std::vector<float> Take() { return std::move(m_values); }

private:
    size_t m_nx;
    std::vector<float> m_values;
};

void PaintRectangle(const CMesh& mesh, CGrid& grid, const CElement& b, float v, CBlockCells& cells, bool& fitted)
{
    const auto& x = mesh.xNodes;
    const auto& z = mesh.zNodes;
    const int i1 = NearestNode(x, b.m_x1), i2 = NearestNode(x, b.m_x2);
    const int k1 = NearestNode(z, b.m_z1), k2 = NearestNode(z, b.m_z2);
    if (i1 == i2 || k1 == k2)
        fitted = false;
    cells.rect = {x[i1], z[k1], x[i2], z[k2]};
    grid.Fill(i1, i2, k1, k2, v);
}

void PaintEllipse(const CMesh& mesh, CGrid& grid, const CElement& b, float v, CBlockCells& cells, bool& fitted)
{
    const auto& x = mesh.xNodes;
    const auto& z = mesh.zNodes;
    const int i1 = NearestNode(x, b.m_x1), i2 = NearestNode(x, b.m_x2);
    const int k1 = NearestNode(z, b.m_z1), k2 = NearestNode(z, b.m_z2);
    if (i1 == i2 || k1 == k2)
        fitted = false;
    const double cx = (b.m_x1 + b.m_x2) / 2, cz = (b.m_z1 + b.m_z2) / 2;
    const double rx = std::fabs(b.m_x1 - b.m_x2) / 2, rz = std::fabs(b.m_z1 - b.m_z2) / 2;
    // One cell beyond the snapped rectangle each way, as a centre can lie inside past a snapped edge.
    for (int i = std::max(0, i1 - 1); i <= std::min(mesh.nx - 1, i2); ++i) {
        const double u = ((x[i] + x[i + 1]) / 2 - cx) / rx;
        for (int k = std::max(0, k1 - 1); k <= std::min(mesh.nz - 1, k2); ++k) {
            const double w = ((z[k] + z[k + 1]) / 2 - cz) / rz;
            const double q = u * u + w * w;
            if (q <= 1) {
                grid.At(i, k) = v;
                if (q > 0.4)
                    cells.cells.push_back({x[i], z[k], x[i + 1], z[k + 1]});
            }
        }
    }
}

void PaintSheared(const CMesh& mesh, CGrid& grid, const CElement& b, float v, CBlockCells& cells)
{
    const auto& x = mesh.xNodes;
    const auto& z = mesh.zNodes;
    const int k1 = NearestNode(z, b.m_z1), k2 = NearestNode(z, b.m_z2);
    if (k2 > k1)
        cells.rows.reserve(static_cast<size_t>(k2 - k1));
    for (int k = k1; k < k2; ++k) {
        const double zc = (z[k] + z[k + 1]) / 2;
        const double shift = (zc - b.m_z1) * b.m_slope;
        const int il = NearestNode(x, b.m_xTop1 - shift), ir = NearestNode(x, b.m_xTop2 - shift);
        cells.rows.push_back({x[il], z[k], x[ir], z[k + 1]});
        grid.Fill(il, ir, k, k + 1, v);
    }
}

} // namespace

std::vector<float> RasteriseGrid(const CMesh& mesh, EModelKind kind, float background, const CElementList& blocks,
                                 bool& allFitted, std::vector<CBlockCells>* cells)
{
    const int nx = mesh.nx, nz = mesh.nz;
    CGrid grid(nx, nz);
    auto toValue = [kind](float v) {
        return kind == EModelKind::dc ? static_cast<float>(std::pow(10.0, static_cast<double>(v))) : v;
    };
    auto air = [&mesh, nz](int i) {
        return static_cast<size_t>(i) < mesh.airPerColumn.size() ? std::clamp(mesh.airPerColumn[i], 0, nz) : 0;
    };

    const float bg = toValue(background);
    for (int i = 0; i < nx; ++i)
        for (int k = air(i); k < nz; ++k)
            grid.At(i, k) = bg;

    allFitted = true;
    if (cells)
        cells->clear();
    for (const CElement& b : blocks) {
        const float v = toValue(b.m_value);
        CBlockCells taken;
        if (b.m_bEllipse)
            PaintEllipse(mesh, grid, b, v, taken, allFitted);
        else if (b.m_slope == 0)
            PaintRectangle(mesh, grid, b, v, taken, allFitted);
        else
            PaintSheared(mesh, grid, b, v, taken);
        if (cells)
            cells->push_back(std::move(taken));
    }

    // Air after the blocks, so that no block fills an air cell.
    const float airValue = kind == EModelKind::dc ? 1e-8f : -10.0f;
    for (int i = 0; i < nx; ++i)
        for (int k = 0; k < air(i); ++k)
            grid.At(i, k) = airValue;

    // The outer columns keep their own surface and repeat the core's edge column below it. Where
    // the outer surface lies higher, the edge column's top ground cell continues upward, so that
    // a valley's flanks are ground and not air.
    const int outer = mesh.outer;
    auto extend = [&](int i, int edge) {
        const int top = air(edge);
        for (int k = air(i); k < nz; ++k)
            grid.At(i, k) = top < nz ? grid.At(edge, std::max(k, top)) : bg;
    };
    if (outer > 0 && 2 * outer <= nx) {
        for (int i = 0; i < outer; ++i)
            extend(i, outer);
        for (int i = nx - outer; i < nx; ++i)
            extend(i, nx - outer - 1);
    }
    return grid.Take();
}

CRasterised RasteriseModel(const CMesh& mesh, EModelKind kind, float background, const CElementList& blocks,
                           const std::string& fileName)
{
    CRasterised result;
    bool allFitted = true;
    std::vector<float> values = RasteriseGrid(mesh, kind, background, blocks, allFitted, &result.blocks);
    CValuesFile::Write(fileName, mesh.nx, mesh.nz, values);
    if (!allFitted)
        result.warnings.push_back("Warning, block(s) could not fit in the mesh.");
    return result;
}
