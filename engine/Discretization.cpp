#include "engine/Discretization.h"

#include "engine/Bessel.h"
#include "engine/Grid.h"
#include "engine/NestedDissection.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace {

// One-dimensional element matrices of a cell of size h: stiffness, and the mean of the lumped and
// the consistent mass matrices, which makes the stencil the compact fourth-order one.
double Stiffness1(int a, int b, double h)
{
    return (a == b ? 1 : -1) / h;
}

double Mass1(int a, int b, double h)
{
    return h * (a == b ? 5.0 / 12 : 1.0 / 12);
}

// Local node a of a cell: 0 top left, 1 top right, 2 bottom left, 3 bottom right.
double ElementStiffness(int a, int b, double w, double h)
{
    const int ax = a & 1, az = a >> 1, bx = b & 1, bz = b >> 1;
    return Stiffness1(ax, bx, w) * Mass1(az, bz, h) + Mass1(ax, bx, w) * Stiffness1(az, bz, h);
}

double ElementMass(int a, int b, double w, double h)
{
    return Mass1(a & 1, b & 1, w) * Mass1(a >> 1, b >> 1, h);
}

} // namespace

CDiscretization::CDiscretization(const CGrid& grid, bool congruence) : m_grid(grid)
{
    const int nx = grid.Columns(), nz = grid.Rows(), stride = nx + 1;
    m_unknown.assign(static_cast<size_t>(stride) * (nz + 1), -1);
    auto cellNodes = [&](int cell) {
        const int i = cell % nx, k = cell / nx;
        return std::array<int, 4>{grid.NodeId(i, k), grid.NodeId(i + 1, k), grid.NodeId(i, k + 1),
                                  grid.NodeId(i + 1, k + 1)};
    };
    for (int cell = 0; cell < nx * nz; ++cell) {
        if (!grid.ground[cell])
            continue;
        m_cells.push_back(cell);
        for (int node : cellNodes(cell))
            m_unknown[node] = 0;
    }
    int n = 0;
    for (int& u : m_unknown)
        if (u == 0)
            u = n++;

    // Each electrode's neighbourhood: the nodes of the ground cells around it.
    for (int node : grid.electrodeNodes) {
        m_electrodes.push_back(m_unknown[node]);
        const int i = node % stride, k = node / stride;
        std::vector<int> hood;
        for (int ci = i - 1; ci <= i; ++ci)
            for (int ck = k - 1; ck <= k; ++ck)
                if (ci >= 0 && ci < nx && ck >= 0 && ck < nz && grid.ground[grid.CellId(ci, ck)])
                    for (int other : cellNodes(grid.CellId(ci, ck)))
                        hood.push_back(m_unknown[other]);
        std::sort(hood.begin(), hood.end());
        hood.erase(std::unique(hood.begin(), hood.end()), hood.end());
        m_neighbourhoods.push_back(hood);
    }
    std::vector<char> isElectrode(n, 0), onBoundary(n, 0);
    for (int u : m_electrodes)
        isElectrode[u] = 1;
    for (int k = 0; k <= nz; ++k)
        for (int i = 0; i <= nx; ++i)
            if ((i == 0 || i == nx || k == nz) && m_unknown[grid.NodeId(i, k)] >= 0)
                onBoundary[m_unknown[grid.NodeId(i, k)]] = 1;
    m_congruent = congruence;
    for (size_t e = 0; e < m_electrodes.size(); ++e)
        for (int u : m_neighbourhoods[e])
            if ((u != m_electrodes[e] && isElectrode[u]) || onBoundary[u])
                m_congruent = false;

    // The pattern, column by column: a node couples with the nodes of its ground cells (its
    // neighbours with smaller numbers: up left, up, up right, left) and, with the congruence,
    // with every node of an electrode's neighbourhood it belongs to.
    std::vector<std::pair<int, int>> extra; // (column, row)
    if (m_congruent)
        for (const auto& hood : m_neighbourhoods)
            for (size_t a = 0; a < hood.size(); ++a)
                for (size_t b = a; b < hood.size(); ++b)
                    extra.push_back({hood[b], hood[a]});
    std::sort(extra.begin(), extra.end());
    auto groundCell = [&](int ci, int ck) {
        return ci >= 0 && ci < nx && ck >= 0 && ck < nz && grid.ground[grid.CellId(ci, ck)];
    };
    m_columnStarts.assign(1, 0);
    m_rowIndices.reserve(static_cast<size_t>(n) * 5 + extra.size());
    size_t nextExtra = 0;
    std::vector<int> column;
    for (int k = 0; k <= nz; ++k)
        for (int i = 0; i <= nx; ++i) {
            const int u = m_unknown[grid.NodeId(i, k)];
            if (u < 0)
                continue;
            column.clear();
            const bool upLeft = groundCell(i - 1, k - 1), upRight = groundCell(i, k - 1);
            if (upLeft)
                column.push_back(m_unknown[grid.NodeId(i - 1, k - 1)]);
            if (upLeft || upRight)
                column.push_back(m_unknown[grid.NodeId(i, k - 1)]);
            if (upRight)
                column.push_back(m_unknown[grid.NodeId(i + 1, k - 1)]);
            if (upLeft || groundCell(i - 1, k))
                column.push_back(m_unknown[grid.NodeId(i - 1, k)]);
            column.push_back(u);
            for (; nextExtra < extra.size() && extra[nextExtra].first == u; ++nextExtra)
                column.push_back(extra[nextExtra].second);
            std::sort(column.begin(), column.end());
            column.erase(std::unique(column.begin(), column.end()), column.end());
            m_rowIndices.insert(m_rowIndices.end(), column.begin(), column.end());
            m_columnStarts.push_back(static_cast<int>(m_rowIndices.size()));
        }
    m_cellPositions.reserve(m_cells.size());
    for (int cell : m_cells) {
        const auto nodes = cellNodes(cell);
        std::array<int, 16> positions;
        for (int a = 0; a < 4; ++a)
            for (int b = 0; b < 4; ++b) {
                const int ua = m_unknown[nodes[a]], ub = m_unknown[nodes[b]];
                positions[a * 4 + b] = ua <= ub ? Position(ua, ub) : -1;
            }
        m_cellPositions.push_back(positions);
    }

    // The mixed boundary condition, measured from the electrodes' centre.
    double xLo = grid.x.back(), xHi = grid.x.front(), zc = 0;
    for (int node : grid.electrodeNodes) {
        xLo = std::min(xLo, grid.x[node % stride]);
        xHi = std::max(xHi, grid.x[node % stride]);
        zc += grid.z[node / stride];
    }
    const double xc = 0.5 * (xLo + xHi);
    zc /= grid.electrodeNodes.size();
    auto boundary = [&](int cell, int i, int k, double halfLength, double nxv, double nzv) {
        const double dx = grid.x[i] - xc, dz = grid.z[k] - zc;
        const double r = std::hypot(dx, dz);
        const double cosine = std::max(0.0, (dx * nxv + dz * nzv) / r);
        const int u = m_unknown[grid.NodeId(i, k)];
        m_robin.push_back({Position(u, u), cell, halfLength, r, cosine});
    };
    for (int k = 0; k < nz; ++k) {
        const double half = 0.5 * (grid.z[k + 1] - grid.z[k]);
        if (grid.ground[grid.CellId(0, k)]) {
            boundary(grid.CellId(0, k), 0, k, half, -1, 0);
            boundary(grid.CellId(0, k), 0, k + 1, half, -1, 0);
        }
        if (grid.ground[grid.CellId(nx - 1, k)]) {
            boundary(grid.CellId(nx - 1, k), nx, k, half, 1, 0);
            boundary(grid.CellId(nx - 1, k), nx, k + 1, half, 1, 0);
        }
    }
    for (int i = 0; i < nx; ++i) {
        const double half = 0.5 * (grid.x[i + 1] - grid.x[i]);
        if (grid.ground[grid.CellId(i, nz - 1)]) {
            boundary(grid.CellId(i, nz - 1), i, nz, half, 0, 1);
            boundary(grid.CellId(i, nz - 1), i + 1, nz, half, 0, 1);
        }
    }

    // Elimination order: nested dissection of all but the trailing unknowns, then those.
    if (m_congruent) {
        m_trailing = m_electrodes;
    } else {
        for (const auto& hood : m_neighbourhoods)
            m_trailing.insert(m_trailing.end(), hood.begin(), hood.end());
        std::sort(m_trailing.begin(), m_trailing.end());
        m_trailing.erase(std::unique(m_trailing.begin(), m_trailing.end()), m_trailing.end());
    }
    std::vector<char> trailing(n, 0);
    for (int u : m_trailing)
        trailing[u] = 1;
    std::vector<char> include(m_unknown.size(), 0), avoidColumns(stride, 0), avoidRows(nz + 1, 0);
    for (size_t node = 0; node < m_unknown.size(); ++node)
        include[node] = m_unknown[node] >= 0 && !trailing[m_unknown[node]];
    for (int node : grid.electrodeNodes) {
        avoidColumns[node % stride] = 1;
        avoidRows[node / stride] = 1;
    }
    for (int node : NestedDissection(nx, nz, include, avoidColumns, avoidRows))
        m_ordering.push_back(m_unknown[node]);
    m_ordering.insert(m_ordering.end(), m_trailing.begin(), m_trailing.end());
    assert(static_cast<int>(m_ordering.size()) == n);
}

int CDiscretization::Position(int row, int column) const
{
    const auto begin = m_rowIndices.begin() + m_columnStarts[column];
    const auto end = m_rowIndices.begin() + m_columnStarts[column + 1];
    const auto at = std::lower_bound(begin, end, row);
    assert(at != end && *at == row);
    return static_cast<int>(at - m_rowIndices.begin());
}

CDiscretization::COperator CDiscretization::Assemble(const std::vector<double>& cellConductivity) const
{
    const CGrid& grid = m_grid;
    const int nx = grid.Columns(), stride = nx + 1;
    COperator op;
    op.stiffness.assign(m_rowIndices.size(), 0);
    op.mass.assign(m_rowIndices.size(), 0);
    // An element matrix entry depends only on whether its two nodes differ in x, in z or both.
    static const int kind[4][4] = {{0, 1, 2, 3}, {1, 0, 3, 2}, {2, 3, 0, 1}, {3, 2, 1, 0}};
    for (size_t c = 0; c < m_cells.size(); ++c) {
        const int cell = m_cells[c];
        const int i = cell % nx, k = cell / nx;
        const double w = grid.x[i + 1] - grid.x[i], h = grid.z[k + 1] - grid.z[k];
        const double sigma = cellConductivity[cell];
        double stiffness[4], mass[4];
        for (int dx = 0; dx < 2; ++dx)
            for (int dz = 0; dz < 2; ++dz) {
                stiffness[dx + 2 * dz] = sigma * ElementStiffness(0, dx + 2 * dz, w, h);
                mass[dx + 2 * dz] = sigma * ElementMass(0, dx + 2 * dz, w, h);
            }
        for (int a = 0; a < 4; ++a)
            for (int b = 0; b < 4; ++b) {
                const int position = m_cellPositions[c][a * 4 + b];
                if (position < 0)
                    continue;
                op.stiffness[position] += stiffness[kind[a][b]];
                op.mass[position] += mass[kind[a][b]];
            }
    }
    for (const CRobinTerm& term : m_robin)
        op.robin.push_back(cellConductivity[term.cell] * term.halfLength);

    // The electrodes' weights: half the node, half its column of the conductivity-weighted mass
    // matrix scaled to a unit sum.
    const int m = Electrodes();
    std::vector<std::vector<double>> weights(m);
    for (int e = 0; e < m; ++e) {
        const auto& hood = m_neighbourhoods[e];
        std::vector<double>& s = weights[e];
        s.assign(hood.size(), 0);
        const int node = grid.electrodeNodes[e];
        const int i = node % stride, k = node / stride;
        double total = 0;
        for (int ci = i - 1; ci <= i; ++ci)
            for (int ck = k - 1; ck <= k; ++ck) {
                if (ci < 0 || ci >= nx || ck < 0 || ck >= grid.Rows() || !grid.ground[grid.CellId(ci, ck)])
                    continue;
                const int cell = grid.CellId(ci, ck);
                const double w = grid.x[ci + 1] - grid.x[ci], h = grid.z[ck + 1] - grid.z[ck];
                const double sigma = cellConductivity[cell];
                const int self = (i - ci) + 2 * (k - ck);
                const std::array<int, 4> nodes{grid.NodeId(ci, ck), grid.NodeId(ci + 1, ck), grid.NodeId(ci, ck + 1),
                                               grid.NodeId(ci + 1, ck + 1)};
                for (int b = 0; b < 4; ++b) {
                    const auto at = std::lower_bound(hood.begin(), hood.end(), m_unknown[nodes[b]]);
                    s[at - hood.begin()] += sigma * ElementMass(b, self, w, h);
                }
                total += sigma * w * h / 4;
            }
        for (size_t j = 0; j < hood.size(); ++j)
            s[j] = 0.5 * s[j] / total + (hood[j] == m_electrodes[e] ? 0.5 : 0.0);
    }

    if (m_congruent) {
        // A~ = R A R' with R = T^-1 = I - sum over electrodes of gamma e', gamma being
        // (1 - 1/d) at the electrode's own node and s_j / d at its neighbours, d the own weight.
        // Electrodes are not neighbours, so the corrections of different electrodes only add up.
        const std::vector<double> stiffness = op.stiffness, mass = op.mass;
        for (int e = 0; e < m; ++e) {
            const auto& hood = m_neighbourhoods[e];
            const int self = m_electrodes[e];
            const size_t selfAt = std::lower_bound(hood.begin(), hood.end(), self) - hood.begin();
            const double d = weights[e][selfAt];
            std::vector<double> gamma(hood.size());
            for (size_t j = 0; j < hood.size(); ++j)
                gamma[j] = j == selfAt ? 1 - 1 / d : weights[e][j] / d;
            auto original = [&](const std::vector<double>& values, int a, int b) {
                return values[Position(std::min(a, b), std::max(a, b))];
            };
            for (size_t p = 0; p < hood.size(); ++p)
                for (size_t q = p; q < hood.size(); ++q) {
                    const int position = Position(hood[p], hood[q]);
                    for (auto [source, target] : {std::pair{&stiffness, &op.stiffness}, std::pair{&mass, &op.mass}}) {
                        const double aSS = original(*source, self, self);
                        const double aSq = original(*source, self, hood[q]);
                        const double apS = original(*source, hood[p], self);
                        (*target)[position] += -gamma[p] * aSq - apS * gamma[q] + aSS * gamma[p] * gamma[q];
                    }
                }
        }
        op.functionals = Eigen::MatrixXd::Identity(m, m);
    } else {
        op.functionals = Eigen::MatrixXd::Zero(Trailing(), m);
        for (int e = 0; e < m; ++e)
            for (size_t j = 0; j < m_neighbourhoods[e].size(); ++j) {
                const auto at = std::lower_bound(m_trailing.begin(), m_trailing.end(), m_neighbourhoods[e][j]);
                op.functionals(at - m_trailing.begin(), e) = weights[e][j];
            }
    }
    return op;
}

void CDiscretization::Values(const COperator& op, double k, std::vector<double>& values) const
{
    const double k2 = k * k;
    values.resize(op.stiffness.size());
    for (size_t j = 0; j < values.size(); ++j)
        values[j] = op.stiffness[j] + k2 * op.mass[j];
    for (size_t t = 0; t < m_robin.size(); ++t) {
        const CRobinTerm& term = m_robin[t];
        values[term.position] += op.robin[t] * k * BesselK1OverK0(k * term.r) * term.cosine;
    }
}
