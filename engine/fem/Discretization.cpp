#include "engine/fem/Discretization.h"

#include "engine/fem/Bessel.h"
#include "engine/fem/Grid.h"
#include "engine/linalg/DerivativeKernels.h"
#include "engine/linalg/NestedDissection.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <numeric>
#include <stdexcept>

namespace {

// A turn of the surface by more than this at an electrode is a kink.
constexpr double kKinkAngle = 5 * M_PI / 180;

int Corners(const CGrid::CElement& e)
{
    return e.Triangle() ? 3 : 4;
}

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

// Local node a of a quadrilateral: 0 top left, 1 top right, 2 bottom left, 3 bottom right.
double RectangleStiffness(int a, int b, double w, double h)
{
    const int ax = a & 1, az = a >> 1, bx = b & 1, bz = b >> 1;
    return Stiffness1(ax, bx, w) * Mass1(az, bz, h) + Mass1(ax, bx, w) * Stiffness1(az, bz, h);
}

double RectangleMass(int a, int b, double w, double h)
{
    return Mass1(a & 1, b & 1, w) * Mass1(a >> 1, b >> 1, h);
}

using Corner = double[4];
using Matrix4 = double[16];

// The linear triangle: exact stiffness, consistent mass.
void TriangleMatrices(const Corner& x, const Corner& z, Matrix4& K, Matrix4& M)
{
    const double area2 = (x[1] - x[0]) * (z[2] - z[0]) - (x[2] - x[0]) * (z[1] - z[0]);
    const double area = 0.5 * std::fabs(area2);
    double b[3], c[3];
    for (int a = 0; a < 3; ++a) {
        b[a] = z[(a + 1) % 3] - z[(a + 2) % 3];
        c[a] = x[(a + 2) % 3] - x[(a + 1) % 3];
    }
    for (int a = 0; a < 3; ++a)
        for (int d = 0; d < 3; ++d) {
            K[a * 4 + d] = (b[a] * b[d] + c[a] * c[d]) / (4 * area);
            M[a * 4 + d] = a == d ? area / 4 : area / 24;
        }
}

bool Rectangle(const Corner& x, const Corner& z)
{
    return x[0] == x[2] && x[1] == x[3] && z[0] == z[1] && z[2] == z[3];
}

void RectangleMatrices(const Corner& x, const Corner& z, Matrix4& K, Matrix4& M)
{
    const double w = x[1] - x[0], h = z[2] - z[0];
    for (int a = 0; a < 4; ++a)
        for (int d = 0; d < 4; ++d) {
            K[a * 4 + d] = RectangleStiffness(a, d, w, h);
            M[a * 4 + d] = RectangleMass(a, d, w, h);
        }
}

// One point (xi, eta) of the reference square's rule, with weight a quarter.
void AddQuadraturePoint(double xi, double eta, const Corner& x, const Corner& z, Matrix4& K, Matrix4& M)
{
    const double weight = 0.25; // a half along each axis
    double n[4], dXi[4], dEta[4];
    double xXi = 0, xEta = 0, zXi = 0, zEta = 0;
    for (int a = 0; a < 4; ++a) {
        const double sx = (a & 1) ? 1 : -1, sz = (a >> 1) ? 1 : -1;
        n[a] = 0.25 * (1 + sx * xi) * (1 + sz * eta);
        dXi[a] = 0.25 * sx * (1 + sz * eta);
        dEta[a] = 0.25 * sz * (1 + sx * xi);
        xXi += dXi[a] * x[a];
        xEta += dEta[a] * x[a];
        zXi += dXi[a] * z[a];
        zEta += dEta[a] * z[a];
    }
    const double det = xXi * zEta - xEta * zXi;
    double gx[4], gz[4];
    for (int a = 0; a < 4; ++a) {
        gx[a] = (zEta * dXi[a] - zXi * dEta[a]) / det;
        gz[a] = (-xEta * dXi[a] + xXi * dEta[a]) / det;
    }
    for (int a = 0; a < 4; ++a)
        for (int d = 0; d < 4; ++d) {
            K[a * 4 + d] += weight * (gx[a] * gx[d] + gz[a] * gz[d]) * det;
            M[a * 4 + d] += weight * n[a] * n[d] * det;
        }
}

// Any other quadrilateral, mapped from the reference square and integrated with, along each
// axis, the mean of the two-point Gauss and trapezoidal rules: what the closed form is on a
// rectangle.
void MappedMatrices(const Corner& x, const Corner& z, Matrix4& K, Matrix4& M)
{
    std::fill(K, K + 16, 0.0);
    std::fill(M, M + 16, 0.0);
    static const double g = 1 / std::sqrt(3.0);
    static const double points[4] = {-g, g, -1, 1};
    for (double xi : points)
        for (double eta : points)
            AddQuadraturePoint(xi, eta, x, z, K, M);
}

// Stiffness and mass of one element for a unit conductivity, as 4 x 4 arrays; the number of
// nodes is returned.
int ElementMatrices(const CGrid& grid, const CGrid::CElement& element, Matrix4& K, Matrix4& M)
{
    Corner x, z;
    const int count = Corners(element);
    for (int a = 0; a < count; ++a) {
        x[a] = grid.NodeX(element.nodes[a]);
        z[a] = grid.NodeZ(element.nodes[a]);
    }
    if (count == 3)
        TriangleMatrices(x, z, K, M);
    else if (Rectangle(x, z))
        RectangleMatrices(x, z, K, M);
    else
        MappedMatrices(x, z, K, M);
    return count;
}

// The outward normal of the edge p-q where it lies on the left or right side or the bottom of
// the grid; false for any other edge.
bool BoundaryNormal(const CGrid& grid, int p, int q, double& normalX, double& normalZ)
{
    const int stride = grid.Columns() + 1, nx = grid.Columns(), nz = grid.Rows();
    const int ip = p % stride, iq = q % stride, kp = p / stride, kq = q / stride;
    normalX = normalZ = 0;
    if (ip == 0 && iq == 0)
        normalX = -1;
    else if (ip == nx && iq == nx)
        normalX = 1;
    else if (kp == nz && kq == nz)
        normalZ = 1;
    else
        return false;
    return true;
}

} // namespace

CDiscretization::CDiscretization(const CGrid& grid, bool congruence) : m_grid(grid)
{
    const int n = NumberUnknowns();
    FindNeighbourhoods();
    m_congruent = congruence && ElectrodesApart(n);
    BuildPattern(n);
    LocateElements();
    AddBoundaryTerms();
    Order(n);
}

// Numbers the nodes that some element touches; returns how many.
int CDiscretization::NumberUnknowns()
{
    const int stride = m_grid.Columns() + 1;
    m_unknown.assign(static_cast<size_t>(stride) * (m_grid.Rows() + 1), -1);
    for (const CGrid::CElement& e : m_grid.elements)
        for (int node : e.nodes)
            if (node >= 0)
                m_unknown[node] = 0;
    int n = 0;
    for (int& u : m_unknown)
        if (u == 0)
            u = n++;
    return n;
}

// Each electrode's elements and neighbourhood: the nodes of the elements around it.
void CDiscretization::FindNeighbourhoods()
{
    const auto& elements = m_grid.elements;
    std::vector<int> electrodeOf(m_unknown.size(), -1);
    for (size_t e = 0; e < m_grid.electrodeNodes.size(); ++e) {
        electrodeOf[m_grid.electrodeNodes[e]] = static_cast<int>(e);
        m_electrodes.push_back(m_unknown[m_grid.electrodeNodes[e]]);
    }
    m_electrodeElements.resize(m_electrodes.size());
    m_neighbourhoods.resize(m_electrodes.size());
    for (size_t j = 0; j < elements.size(); ++j)
        for (int a = 0; a < Corners(elements[j]); ++a)
            if (const int e = electrodeOf[elements[j].nodes[a]]; e >= 0) {
                m_electrodeElements[e].push_back(static_cast<int>(j));
                for (int b = 0; b < Corners(elements[j]); ++b)
                    m_neighbourhoods[e].push_back(m_unknown[elements[j].nodes[b]]);
            }
    for (auto& hood : m_neighbourhoods) {
        std::sort(hood.begin(), hood.end());
        hood.erase(std::unique(hood.begin(), hood.end()), hood.end());
    }
}

// The congruence needs the corrections of different electrodes to be independent, so no
// electrode may lie in another's neighbourhood, and none may reach the boundary terms.
bool CDiscretization::ElectrodesApart(int n) const
{
    const int nx = m_grid.Columns(), nz = m_grid.Rows();
    std::vector<char> isElectrode(n, 0), onBoundary(n, 0);
    for (int u : m_electrodes)
        isElectrode[u] = 1;
    for (int k = 0; k <= nz; ++k)
        for (int i = 0; i <= nx; ++i)
            if ((i == 0 || i == nx || k == nz) && m_unknown[m_grid.NodeId(i, k)] >= 0)
                onBoundary[m_unknown[m_grid.NodeId(i, k)]] = 1;
    for (size_t e = 0; e < m_electrodes.size(); ++e)
        for (int u : m_neighbourhoods[e])
            if ((u != m_electrodes[e] && isElectrode[u]) || onBoundary[u])
                return false;
    return true;
}

// Every pair (row <= column) of nodes of an element and, with the congruence, every pair in an
// electrode's neighbourhood.
template <class Visit>
void CDiscretization::VisitPairs(Visit&& visit) const
{
    for (const CGrid::CElement& e : m_grid.elements)
        for (int a = 0; a < Corners(e); ++a)
            for (int b = 0; b < Corners(e); ++b) {
                const int ua = m_unknown[e.nodes[a]], ub = m_unknown[e.nodes[b]];
                if (ua <= ub)
                    visit(ua, ub);
            }
    if (m_congruent)
        for (const auto& hood : m_neighbourhoods)
            for (size_t a = 0; a < hood.size(); ++a)
                for (size_t b = a; b < hood.size(); ++b)
                    visit(hood[a], hood[b]);
}

// The pattern, column by column: the pairs counted first, then filled, sorted and made unique.
void CDiscretization::BuildPattern(int n)
{
    std::vector<int> starts(n + 1, 0);
    VisitPairs([&](int, int column) { ++starts[column + 1]; });
    for (int j = 0; j < n; ++j)
        starts[j + 1] += starts[j];
    std::vector<int> rows(starts.back()), fill(starts.begin(), starts.end() - 1);
    VisitPairs([&](int row, int column) { rows[fill[column]++] = row; });
    m_columnStarts.assign(1, 0);
    m_rowIndices.reserve(static_cast<size_t>(n) * 5);
    for (int j = 0; j < n; ++j) {
        const auto begin = rows.begin() + starts[j], end = rows.begin() + starts[j + 1];
        std::sort(begin, end);
        m_rowIndices.insert(m_rowIndices.end(), begin, std::unique(begin, end));
        m_columnStarts.push_back(static_cast<int>(m_rowIndices.size()));
    }
}

// Where each element's entries go in the pattern, so that assembling needs no search.
void CDiscretization::LocateElements()
{
    m_elementPositions.reserve(m_grid.elements.size());
    for (const CGrid::CElement& e : m_grid.elements) {
        std::array<int, 16> positions;
        positions.fill(-1);
        for (int a = 0; a < Corners(e); ++a)
            for (int b = 0; b < Corners(e); ++b) {
                const int ua = m_unknown[e.nodes[a]], ub = m_unknown[e.nodes[b]];
                if (ua <= ub)
                    positions[a * 4 + b] = Position(ua, ub);
            }
        m_elementPositions.push_back(positions);
    }
}

// The mixed boundary condition on the edges along the sides and the bottom, measured from the
// middle of the electrodes' span at their mean depth.
void CDiscretization::AddBoundaryTerms()
{
    const CGrid& grid = m_grid;
    double xLo = grid.x.back(), xHi = grid.x.front(), zc = 0;
    for (int node : grid.electrodeNodes) {
        xLo = std::min(xLo, grid.NodeX(node));
        xHi = std::max(xHi, grid.NodeX(node));
        zc += grid.NodeZ(node);
    }
    const double xc = 0.5 * (xLo + xHi);
    zc /= grid.electrodeNodes.size();
    static const int quadEdges[4][2] = {{0, 1}, {2, 3}, {0, 2}, {1, 3}};
    static const int triangleEdges[3][2] = {{0, 1}, {1, 2}, {0, 2}};
    for (size_t j = 0; j < grid.elements.size(); ++j) {
        const CGrid::CElement& e = grid.elements[j];
        for (int edge = 0; edge < Corners(e); ++edge) {
            const int p = e.nodes[e.Triangle() ? triangleEdges[edge][0] : quadEdges[edge][0]];
            const int q = e.nodes[e.Triangle() ? triangleEdges[edge][1] : quadEdges[edge][1]];
            double normalX, normalZ;
            if (!BoundaryNormal(grid, p, q, normalX, normalZ))
                continue;
            const double half = 0.5 * std::hypot(grid.NodeX(p) - grid.NodeX(q), grid.NodeZ(p) - grid.NodeZ(q));
            for (int node : {p, q}) {
                const double dx = grid.NodeX(node) - xc, dz = grid.NodeZ(node) - zc;
                const double r = std::hypot(dx, dz);
                const double cosine = std::max(0.0, (dx * normalX + dz * normalZ) / r);
                const int u = m_unknown[node];
                m_robin.push_back({Position(u, u), node, static_cast<int>(j), half, r, cosine});
            }
        }
    }
}

// Nested dissection of all but the trailing unknowns, its separators clear of the electrodes'
// rows and columns, then the trailing unknowns.
void CDiscretization::Order(int n)
{
    const int nx = m_grid.Columns(), nz = m_grid.Rows(), stride = nx + 1;
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
    for (int node : m_grid.electrodeNodes) {
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

CDiscretization::COperator CDiscretization::Assemble(const std::vector<double>& elementConductivity) const
{
    COperator op;
    AddElementMatrices(elementConductivity, op);
    for (const CRobinTerm& term : m_robin)
        op.robin.push_back(elementConductivity[term.element] * term.halfLength);
    const int m = Electrodes();
    std::vector<std::vector<double>>& weights = op.weights;
    weights.resize(m);
    for (int e = 0; e < m; ++e)
        weights[e] = ElectrodeWeights(e, elementConductivity);
    if (m_congruent) {
        ApplyCongruence(weights, op);
        op.functionals = Eigen::MatrixXd::Identity(m, m);
    } else {
        op.functionals = TrailingFunctionals(weights);
    }
    return op;
}

void CDiscretization::AddElementMatrices(const std::vector<double>& elementConductivity, COperator& op) const
{
    op.stiffness.assign(m_rowIndices.size(), 0);
    op.mass.assign(m_rowIndices.size(), 0);
    double K[16], M[16];
    for (size_t j = 0; j < m_grid.elements.size(); ++j) {
        const int count = ElementMatrices(m_grid, m_grid.elements[j], K, M);
        const double sigma = elementConductivity[j];
        const auto& positions = m_elementPositions[j];
        for (int a = 0; a < count; ++a)
            for (int b = 0; b < count; ++b) {
                const int position = positions[a * 4 + b];
                if (position < 0)
                    continue;
                op.stiffness[position] += sigma * K[a * 4 + b];
                op.mass[position] += sigma * M[a * 4 + b];
            }
    }
}

// Electrode e's weights on its neighbourhood: half the node, half its column of the
// conductivity-weighted mass matrix scaled to a unit sum.
std::vector<double> CDiscretization::ElectrodeWeights(int e, const std::vector<double>& elementConductivity) const
{
    const auto& hood = m_neighbourhoods[e];
    std::vector<double> s(hood.size(), 0);
    const int node = m_grid.electrodeNodes[e];
    std::vector<int> hoodNodes(hood.size());
    double total = 0, K[16], M[16];
    for (int j : m_electrodeElements[e]) {
        const CGrid::CElement& element = m_grid.elements[j];
        const int count = ElementMatrices(m_grid, element, K, M);
        const int self =
            static_cast<int>(std::find(element.nodes.begin(), element.nodes.end(), node) - element.nodes.begin());
        const double sigma = elementConductivity[j];
        for (int b = 0; b < count; ++b) {
            const auto at = std::lower_bound(hood.begin(), hood.end(), m_unknown[element.nodes[b]]);
            s[at - hood.begin()] += sigma * M[b * 4 + self];
            hoodNodes[at - hood.begin()] = element.nodes[b];
            total += sigma * M[b * 4 + self];
        }
    }
    for (size_t j = 0; j < hood.size(); ++j)
        s[j] = 0.5 * s[j] / total + (hood[j] == m_electrodes[e] ? 0.5 : 0.0);
    CentreOnBisector(node, hoodNodes, s);
    return s;
}

// At a kink of the surface the mass column leans to one side of the ground's angle, which moves
// the electrode along the surface by a part of a cell: an error of first order that no refinement
// of the rows removes. The weights are tilted (keeping their sum) until their centre lies on the
// bisector of the angle, where the first of the wedge's modes vanishes. On flat ground and on
// planes the column is balanced already.
void CDiscretization::CentreOnBisector(int node, const std::vector<int>& hoodNodes, std::vector<double>& s) const
{
    const int stride = m_grid.Columns() + 1, i = node % stride;
    if (i == 0 || i == m_grid.Columns())
        return;
    const double xe = m_grid.x[i], ze = m_grid.NodeZ(node);
    const double lx = m_grid.x[i - 1] - xe, lz = m_grid.surface[i - 1] - ze;
    const double rx = m_grid.x[i + 1] - xe, rz = m_grid.surface[i + 1] - ze;
    const double turn = std::atan2(lx * rz - lz * rx, lx * rx + lz * rz);
    if (std::fabs(M_PI - std::fabs(turn)) < kKinkAngle)
        return;
    // The inward normals of the two flanks add up along the bisector.
    const double l = std::hypot(lx, lz), r = std::hypot(rx, rz);
    double bx = lz / l - rz / r, bz = -lx / l + rx / r;
    const double b = std::hypot(bx, bz);
    if (b < 1e-9)
        return;
    bx /= b;
    bz /= b;
    // Each neighbour's distance across the bisector, and the weights' centre.
    std::vector<double> across(s.size());
    for (size_t j = 0; j < s.size(); ++j)
        across[j] = -bz * (m_grid.NodeX(hoodNodes[j]) - xe) + bx * (m_grid.NodeZ(hoodNodes[j]) - ze);
    double mean = 0, spread = 0;
    for (size_t j = 0; j < s.size(); ++j)
        mean += s[j] * across[j];
    for (size_t j = 0; j < s.size(); ++j)
        spread += s[j] * (across[j] - mean) * (across[j] - mean);
    if (spread <= 0)
        return;
    for (size_t j = 0; j < s.size(); ++j)
        s[j] -= s[j] * mean / spread * (across[j] - mean);
}

// A~ = R A R' with R = T^-1 = I - sum over electrodes of gamma e', gamma being (1 - 1/d) at the
// electrode's own node and s_j / d at its neighbours, d the own weight. Electrodes are not
// neighbours, so the corrections of different electrodes only add up, each taken from A.
void CDiscretization::ApplyCongruence(const std::vector<std::vector<double>>& weights, COperator& op) const
{
    const std::vector<double> stiffness = op.stiffness, mass = op.mass;
    for (int e = 0; e < Electrodes(); ++e) {
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
}

void CDiscretization::UndoCongruence(const COperator& op, Eigen::MatrixXd& fields) const
{
    // R' = I - sum of e gamma', gamma as in ApplyCongruence: unknown a's values become
    // (y_a - sum over the neighbours j of s_j y_j) / d. Electrodes are not neighbours, so each
    // is taken from the fields as they came.
    for (int e = 0; e < Electrodes(); ++e) {
        const auto& hood = m_neighbourhoods[e];
        const int self = m_electrodes[e];
        Eigen::VectorXd column = fields.col(self);
        double d = 1;
        for (size_t j = 0; j < hood.size(); ++j) {
            if (hood[j] == self)
                d = op.weights[e][j];
            else
                column -= op.weights[e][j] * fields.col(hood[j]);
        }
        fields.col(self) = column / d;
    }
}

// Without the congruence, the weights themselves on the trailing unknowns.
Eigen::MatrixXd CDiscretization::TrailingFunctionals(const std::vector<std::vector<double>>& weights) const
{
    Eigen::MatrixXd functionals = Eigen::MatrixXd::Zero(Trailing(), Electrodes());
    for (int e = 0; e < Electrodes(); ++e)
        for (size_t j = 0; j < m_neighbourhoods[e].size(); ++j) {
            const auto at = std::lower_bound(m_trailing.begin(), m_trailing.end(), m_neighbourhoods[e][j]);
            functionals(at - m_trailing.begin(), e) = weights[e][j];
        }
    return functionals;
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

void CDiscretization::CombinationFields(const Eigen::MatrixXd& fields, bool combined, const CDerivativeData& d,
                                        double weight, std::vector<Eigen::MatrixXd>& neighbourhoods, float* out) const
{
    const int combinations = static_cast<int>(d.combinations.size()), n = static_cast<int>(fields.cols());
    // Every combination is a pole or a dipole: two terms, the second of a pole zero.
    std::vector<int> first(combinations), second(combinations);
    std::vector<double> firstCoefficient(combinations, 1.0), secondCoefficient(combinations, 0.0);
    for (int c = 0; c < combinations; ++c) {
        const CCombination& terms = d.combinations[c];
        if (terms.empty() || terms.size() > 2)
            throw std::logic_error("a combination is a pole or a dipole");
        first[c] = second[c] = combined ? c : terms[0].first;
        if (combined)
            continue;
        firstCoefficient[c] = terms[0].second;
        if (terms.size() > 1) {
            second[c] = terms[1].first;
            secondCoefficient[c] = terms[1].second;
        }
    }
    auto combine = [&](const double* f, int c) {
        return firstCoefficient[c] * f[first[c]] + secondCoefficient[c] * f[second[c]];
    };
    for (int u = 0; u < n; ++u) {
        const double* f = fields.col(u).data();
        float* r = out + static_cast<size_t>(u) * combinations;
        if (combined)
            for (int c = 0; c < combinations; ++c)
                r[c] = static_cast<float>(f[c]);
        else
            for (int c = 0; c < combinations; ++c)
                r[c] = static_cast<float>(combine(f, c));
    }
    neighbourhoods.resize(Electrodes());
    for (int e = 0; e < Electrodes(); ++e) {
        const auto& hood = m_neighbourhoods[e];
        Eigen::MatrixXd& sums = neighbourhoods[e];
        if (sums.rows() != combinations || sums.cols() != static_cast<int>(hood.size()))
            sums.setZero(combinations, static_cast<int>(hood.size()));
        for (size_t h = 0; h < hood.size(); ++h)
            for (int c = 0; c < combinations; ++c)
                sums(c, static_cast<int>(h)) += weight * combine(fields.col(hood[h]).data(), c);
    }
}

void CDiscretization::AddDerivatives(const std::vector<double>& k, const std::vector<double>& w,
                                     const std::vector<const float*>& fields, const CDerivativeData& d, int part,
                                     int parts, CZeroedFloats& out) const
{
    const int combinations = static_cast<int>(d.combinations.size()), wavenumbers = static_cast<int>(k.size());
    const size_t data = d.data.size();
    // The current combinations, each a row of the applied fields.
    std::vector<int> column(combinations, -1), currents;
    for (const auto& [current, potential] : d.data)
        if (column[current] < 0) {
            column[current] = static_cast<int>(currents.size());
            currents.push_back(current);
        }
    // The elements of each of this part's cells, and the boundary terms of each element at every
    // wavenumber. The parts take runs of cells in turn, as the elements crowd where the mesh is fine.
    constexpr int kRun = 64;
    int cells = 0;
    for (const CGrid::CElement& element : m_grid.elements)
        cells = std::max(cells, element.meshCell + 1);
    auto mine = [&](int cell) { return cell / kRun % parts == part; };
    std::vector<int> starts(cells + 1, 0), elements;
    for (const CGrid::CElement& element : m_grid.elements)
        if (mine(element.meshCell))
            ++starts[element.meshCell + 1];
    for (size_t c = 1; c < starts.size(); ++c)
        starts[c] += starts[c - 1];
    elements.resize(starts.back());
    std::vector<int> next(starts.begin(), starts.end() - 1);
    for (size_t j = 0; j < m_grid.elements.size(); ++j)
        if (mine(m_grid.elements[j].meshCell))
            elements[next[m_grid.elements[j].meshCell]++] = static_cast<int>(j);
    // The data in groups of at most eight with the same current combination, whose row each
    // group reads once; ordered by their potential combinations too, so that neighbouring groups
    // read the same rows.
    std::vector<int> order(data);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int i, int j) { return d.data[i] < d.data[j]; });
    std::vector<int> groupStarts;
    for (size_t i = 0; i < data; ++i)
        if (i == 0 || d.data[order[i]].first != d.data[order[i - 1]].first || i - groupStarts.back() == 8)
            groupStarts.push_back(static_cast<int>(i));
    groupStarts.push_back(static_cast<int>(data));
    std::vector<int> terms(m_robin.size());
    std::iota(terms.begin(), terms.end(), 0);
    std::sort(terms.begin(), terms.end(), [&](int a, int b) { return m_robin[a].element < m_robin[b].element; });
    std::vector<double> robin(m_robin.size() * wavenumbers);
    for (size_t t = 0; t < m_robin.size(); ++t)
        for (int j = 0; j < wavenumbers; ++j) {
            const CRobinTerm& term = m_robin[t];
            robin[t * wavenumbers + j] = term.halfLength * k[j] * BesselK1OverK0(k[j] * term.r) * term.cosine;
        }

    // Per cell, for every element, wavenumber and corner a slot. With the element's matrix
    // D = L diag(p) L' and the wavenumber's weight w, a datum's term is
    // (s L' f_potential) . (sign(w p) s L' f_current) for s = sqrt(|w p|): a row of transformed
    // fields for every combination, each datum one dot product of two rows. The signs are all
    // positive but where a weight is not: only then do the current combinations get rows of their
    // own.
    std::vector<float> transformed, applied, signs;
    double K[16], M[16], D[16], L[16], pivots[4];
    const std::vector<float> zeros(combinations, 0.0f);
    for (int cell = 0; cell < cells; ++cell) {
        const int from = starts[cell], to = starts[cell + 1];
        if (from == to)
            continue;
        // Rows padded to whole lanes, the padding zero.
        const int slots = 4 * wavenumbers * (to - from), stride = (slots + 7) / 8 * 8;
        transformed.resize(static_cast<size_t>(combinations) * stride);
        applied.resize(currents.size() * stride);
        signs.resize(slots);
        for (float* r = transformed.data(); r < transformed.data() + transformed.size(); r += stride)
            std::fill(r + slots, r + stride, 0.0f);
        int slot = 0;
        bool negative = false;
        for (int at = from; at < to; ++at) {
            const int j = elements[at];
            const CGrid::CElement& element = m_grid.elements[j];
            const int count = ElementMatrices(m_grid, element, K, M);
            const auto own = std::lower_bound(terms.begin(), terms.end(), j,
                                              [&](int t, int element) { return m_robin[t].element < element; });
            for (int q = 0; q < wavenumbers; ++q, slot += 4) {
                const double k2 = k[q] * k[q];
                for (int a = 0; a < 16; ++a)
                    D[a] = K[a] + k2 * M[a];
                for (auto t = own; t != terms.end() && m_robin[*t].element == j; ++t)
                    for (int a = 0; a < count; ++a)
                        if (element.nodes[a] == m_robin[*t].node)
                            D[a * 4 + a] += robin[static_cast<size_t>(*t) * wavenumbers + q];
                // D = L diag(pivots) L', L unit lower triangular; a triangle's fourth row is zero.
                std::fill(L, L + 16, 0.0);
                std::fill(pivots, pivots + 4, 0.0);
                for (int a = 0; a < count; ++a) {
                    double pivot = D[a * 4 + a];
                    for (int b = 0; b < a; ++b)
                        pivot -= L[a * 4 + b] * L[a * 4 + b] * pivots[b];
                    pivots[a] = pivot;
                    L[a * 4 + a] = 1;
                    for (int r = a + 1; r < count; ++r) {
                        double v = D[r * 4 + a];
                        for (int b = 0; b < a; ++b)
                            v -= L[r * 4 + b] * L[a * 4 + b] * pivots[b];
                        L[r * 4 + a] = pivot != 0 ? v / pivot : 0;
                    }
                }
                const float* f[4] = {nullptr, nullptr, nullptr, nullptr};
                for (int a = 0; a < count; ++a)
                    f[a] = fields[q] + static_cast<size_t>(m_unknown[element.nodes[a]]) * combinations;
                float scale[4];
                for (int a = 0; a < 4; ++a) {
                    scale[a] = static_cast<float>(std::sqrt(std::fabs(w[q] * pivots[a])));
                    signs[slot + a] = w[q] * pivots[a] < 0 ? -1.0f : 1.0f;
                    negative = negative || w[q] * pivots[a] < 0;
                }
                TransformedRows(f, L, scale, combinations, transformed.data() + slot, stride);
            }
        }
        const float* currentRows = transformed.data();
        std::vector<int> currentRow(column.size());
        for (size_t c = 0; c < column.size(); ++c)
            currentRow[c] = static_cast<int>(c);
        if (negative) {
            for (size_t c = 0; c < currents.size(); ++c) {
                const float* from = transformed.data() + static_cast<size_t>(currents[c]) * stride;
                float* into = applied.data() + c * stride;
                for (int a = 0; a < stride; ++a)
                    into[a] = a < slots ? signs[a] * from[a] : 0.0f;
            }
            currentRows = applied.data();
            currentRow = column;
        }
        float* row = out.data() + static_cast<size_t>(cell) * data;
        for (size_t g = 0; g + 1 < groupStarts.size(); ++g) {
            const int first = groupStarts[g], count = groupStarts[g + 1] - first;
            const float* b = currentRows + static_cast<size_t>(currentRow[d.data[order[first]].first]) * stride;
            const float* a[8];
            for (int l = 0; l < count; ++l)
                a[l] = transformed.data() + static_cast<size_t>(d.data[order[first + l]].second) * stride;
            double dots[8];
            SharedRowDots(b, a, count, stride, dots);
            for (int l = 0; l < count; ++l)
                row[order[first + l]] -= static_cast<float>(dots[l]);
        }
    }
}

void CDiscretization::AddWeightDerivatives(const std::vector<double>& elementConductivity,
                                           const std::vector<Eigen::MatrixXd>& neighbourhoods, const CDerivativeData& d,
                                           CZeroedFloats& out) const
{
    // By central differences: the weights are rational in the conductivities.
    const size_t data = d.data.size();
    std::vector<std::vector<std::pair<size_t, double>>> uses(Electrodes()); // (datum * 2 + side, coefficient)
    for (size_t i = 0; i < data; ++i)
        for (int side = 0; side < 2; ++side)
            for (const auto& [electrode, coefficient] : d.combinations[side == 0 ? d.data[i].first : d.data[i].second])
                uses[electrode].emplace_back(i * 2 + side, coefficient);
    std::vector<double> sigma = elementConductivity;
    constexpr double kStep = 1e-5;
    for (int e = 0; e < Electrodes(); ++e) {
        if (uses[e].empty())
            continue;
        for (int j : m_electrodeElements[e]) {
            const double original = sigma[j];
            sigma[j] = original * (1 + kStep);
            const std::vector<double> up = ElectrodeWeights(e, sigma);
            sigma[j] = original * (1 - kStep);
            const std::vector<double> down = ElectrodeWeights(e, sigma);
            sigma[j] = original;
            // The change of the weights times each combination's field on the neighbourhood.
            Eigen::VectorXd change = Eigen::VectorXd::Zero(static_cast<int>(d.combinations.size()));
            for (size_t h = 0; h < up.size(); ++h)
                change += (up[h] - down[h]) / (2 * kStep * original) * neighbourhoods[e].col(static_cast<int>(h));
            float* cell = out.data() + static_cast<size_t>(m_grid.elements[j].meshCell) * data;
            for (const auto& [use, coefficient] : uses[e]) {
                const size_t i = use / 2;
                const int other = use % 2 == 0 ? d.data[i].second : d.data[i].first;
                cell[i] += static_cast<float>(coefficient * change[other]);
            }
        }
    }
}
