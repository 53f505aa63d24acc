#include "engine/Grid.h"

#include "mesh/Mesh.h"

#include <algorithm>
#include <cmath>

namespace {

// How many equal parts a cell of size w at distance d from the electrodes is cut into.
int Parts(double w, double d, double h, double growth)
{
    const double allowed = h + growth * d;
    const double parts = std::ceil(w / allowed - 1e-9);
    return static_cast<int>(std::clamp(parts, 1.0, 64.0));
}

// Appends the parts of the segment a..b, without a.
void AppendParts(std::vector<double>& nodes, double a, double b, int parts)
{
    for (int j = 1; j < parts; ++j)
        nodes.push_back(a + (b - a) * j / parts);
    nodes.push_back(b);
}

} // namespace

CGrid::CGrid(const CMesh& mesh, const std::vector<int>& airPerColumn, const std::vector<int>& electrodeColumns,
             const std::vector<int>& electrodeRows, const Options& options)
    : meshColumns(mesh.nx)
{
    const auto& mx = mesh.xNodes;
    const auto& mz = mesh.zNodes;

    // The electrodes' reach: their span along x, their deepest node, and the size of the cells
    // around them, which the refinement never goes below.
    const int iLo = *std::min_element(electrodeColumns.begin(), electrodeColumns.end());
    const int iHi = *std::max_element(electrodeColumns.begin(), electrodeColumns.end());
    const int kDeep = *std::max_element(electrodeRows.begin(), electrodeRows.end());
    double hx = 0, hz = 0;
    for (int i = std::max(0, iLo - 1); i < std::min(mesh.nx, iHi + 1); ++i)
        hx = std::max(hx, mx[i + 1] - mx[i]);
    for (size_t e = 0; e < electrodeRows.size(); ++e)
        if (electrodeRows[e] < mesh.nz)
            hz = std::max(hz, mz[electrodeRows[e] + 1] - mz[electrodeRows[e]]);
    if (hz == 0)
        hz = mz[mesh.nz] - mz[mesh.nz - 1];

    const int extra = options.extraColumns;
    const double ratio = options.extraColumnRatio;

    // Along x: the added cells on the left, the mesh's cells (subdivided), the added cells on
    // the right.
    std::vector<double> inner{mx[0]};
    std::vector<int> innerColumn;
    xNodeOfMeshNode.assign(mesh.nx + 1, 0);
    for (int i = 0; i < mesh.nx; ++i) {
        const double d = std::max({0.0, mx[iLo] - mx[i + 1], mx[i] - mx[iHi]});
        const int parts = Parts(mx[i + 1] - mx[i], d, hx, options.growth);
        AppendParts(inner, mx[i], mx[i + 1], parts);
        innerColumn.insert(innerColumn.end(), parts, i);
        xNodeOfMeshNode[i + 1] = static_cast<int>(inner.size()) - 1;
    }
    std::vector<double> left;
    double w = inner[1] - inner[0];
    double at = inner[0];
    for (int j = 0; j < extra; ++j) {
        w *= ratio;
        at -= w;
        left.push_back(at);
    }
    std::reverse(left.begin(), left.end());
    x = left;
    x.insert(x.end(), inner.begin(), inner.end());
    w = inner[inner.size() - 1] - inner[inner.size() - 2];
    at = inner.back();
    for (int j = 0; j < extra; ++j) {
        w *= ratio;
        at += w;
        x.push_back(at);
    }
    meshColumn.assign(extra, 0);
    meshColumn.insert(meshColumn.end(), innerColumn.begin(), innerColumn.end());
    meshColumn.insert(meshColumn.end(), extra, mesh.nx - 1);
    for (int& i : xNodeOfMeshNode)
        i += extra;

    // Along z: the mesh's rows (subdivided below the electrodes), then the added rows.
    z.assign(1, mz[0]);
    zNodeOfMeshNode.assign(mesh.nz + 1, 0);
    for (int k = 0; k < mesh.nz; ++k) {
        const double d = std::max(0.0, mz[k] - mz[kDeep]);
        const int parts = Parts(mz[k + 1] - mz[k], d, hz, options.growth);
        AppendParts(z, mz[k], mz[k + 1], parts);
        meshRow.insert(meshRow.end(), parts, k);
        zNodeOfMeshNode[k + 1] = static_cast<int>(z.size()) - 1;
    }
    w = z[z.size() - 1] - z[z.size() - 2];
    for (int j = 0; j < options.extraRows; ++j) {
        w *= options.extraRowRatio;
        z.push_back(z.back() + w);
    }
    meshRow.insert(meshRow.end(), options.extraRows, mesh.nz - 1);

    const int nx = Columns(), nz = Rows();
    ground.assign(static_cast<size_t>(nx) * nz, 0);
    for (int k = 0; k < nz; ++k)
        for (int i = 0; i < nx; ++i)
            ground[CellId(i, k)] = meshRow[k] >= airPerColumn[meshColumn[i]];

    for (size_t e = 0; e < electrodeColumns.size(); ++e)
        electrodeNodes.push_back(NodeId(xNodeOfMeshNode[electrodeColumns[e]], zNodeOfMeshNode[electrodeRows[e]]));
}

int CGrid::MeshCell(int cell) const
{
    const int nx = Columns();
    return meshRow[cell / nx] * meshColumns + meshColumn[cell % nx];
}
