// The numerical parts of the forward-modelling program on their own: Bessel functions, the
// wavenumber rule, the grid under a drawn surface, the elements, and the electrode block of the
// inverse.
#include "engine/Bessel.h"
#include "engine/Discretization.h"
#include "engine/EngineError.h"
#include "engine/Grid.h"
#include "engine/SchurSolver.h"
#include "engine/WavenumberRule.h"
#include "mesh/Mesh.h"
#include "mesh/Topography.h"

#include <Eigen/Dense>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

TEST(Bessel, MatchesTheStandardLibraryAndStaysFiniteFarOut)
{
    for (double x = 1e-3; x < 200; x *= 1.37) {
        EXPECT_NEAR(BesselK0(x) / std::cyl_bessel_k(0.0, x), 1, 1e-13) << x;
        EXPECT_NEAR(BesselK1(x) / std::cyl_bessel_k(1.0, x), 1, 1e-13) << x;
        EXPECT_NEAR(ScaledBesselK0(x) / (std::exp(x) * std::cyl_bessel_k(0.0, x)), 1, 1e-13) << x;
    }
    // K1/K0 = 1 + 1/(2x) - 1/(8x^2) + ... where both underflow.
    EXPECT_NEAR(BesselK1OverK0(1e4), 1 + 0.5e-4 - 0.125e-8, 1e-12);
}

double SumK0(const CWavenumberRule& rule, double r)
{
    double sum = 0;
    for (size_t i = 0; i < rule.k.size(); ++i)
        sum += rule.w[i] * BesselK0(rule.k[i] * r);
    return sum;
}

// The rule, and its check: the check's additions plus half the rule are a rule of half the
// spacing, whose error is the square of the rule's.
TEST(WavenumberRule, IntegratesK0ToOneOverTwoRWithPositiveWeightsAndItsCheckFarBetter)
{
    const double ranges[][2] = {{10, 70}, {10, 120}, {2.5, 250}, {1, 1e4}};
    for (const auto& range : ranges) {
        const CWavenumberRule rule = CWavenumberRule::Design(range[0], range[1]);
        const CWavenumberRule additions = rule.CheckAdditions();
        EXPECT_GT(*std::min_element(rule.w.begin(), rule.w.end()), 0);
        for (double r = range[0]; r <= range[1]; r *= 1.07) {
            const std::string at = "r = " + std::to_string(r) + " in " + std::to_string(range[1]);
            EXPECT_NEAR(SumK0(rule, r) * 2 * r, 1, 3e-5) << at;
            EXPECT_NEAR((SumK0(additions, r) + 0.5 * SumK0(rule, r)) * 2 * r, 1, 1e-7) << at;
        }
        EXPECT_LT(rule.MaxError(range[0], range[1]), 3e-5);
        // Only the two wavenumbers whose weights hold the continuation below are solved again.
        int again = 0;
        for (double k : additions.k)
            again += std::count(rule.k.begin(), rule.k.end(), k);
        EXPECT_EQ(again, 2);
        EXPECT_LT(additions.k.size(), 1.6 * rule.k.size());
    }
}

CMesh DefaultMesh()
{
    CMesh mesh;
    mesh.Design(0, 200, 0, 50, 70, 10.0 / 3, 10.0 / 6, 0); // pole-dipole n = 6, a = 10
    return mesh;
}

TEST(Grid, AirTakesTheGroundBelowAndAColumnOfAirTheNearestGround)
{
    CMesh mesh;
    mesh.nx = 4;
    mesh.nz = 3;
    const std::vector<int> cells = EffectiveCells(mesh, {1, 0, 3, 3});
    // Rows from the top: column 0 has one air cell, columns 2 and 3 are air to the bottom and
    // take column 1's cells, row by row.
    EXPECT_EQ(cells, (std::vector<int>{4, 1, 1, 1, 4, 5, 5, 5, 8, 9, 9, 9}));
    EXPECT_THROW(EffectiveCells(mesh, {3, 3, 3, 3}), CEngineError);
}

// A valley and a block over the default mesh, electrodes off the mesh's nodes.
struct ValleyScene {
    CMesh mesh = DefaultMesh();
    std::vector<double> sigma;
    CGridModel model;
    std::vector<double> electrodes{1, 11.5, 21, 31, 52.5, 100, 107};

    ValleyScene()
    {
        model.mesh = &mesh;
        model.profile.x = {mesh.xNodes.front(), 30, 100, 170, mesh.xNodes.back()};
        model.profile.elevation = {0, 0, -9, 0, 0};
        ComputeAirCells(mesh, model.profile);
        model.airPerColumn = mesh.airPerColumn;
        sigma.assign(static_cast<size_t>(mesh.nx) * mesh.nz, 0.01);
        for (int k = 0; k < mesh.nz; ++k)
            for (int i = 0; i < mesh.nx; ++i)
                if (mesh.xNodes[i] >= 60 && mesh.xNodes[i + 1] <= 80 && mesh.zNodes[k] >= 10 &&
                    mesh.zNodes[k + 1] <= 20)
                    sigma[static_cast<size_t>(k) * mesh.nx + i] = 0.1;
        model.values = model.conductivity = {&sigma};
    }

    double Profile(double x) const { return -model.profile.ElevationAt(x); }
};

// Ground under an electrode below the mesh, or higher above the mesh than the mesh is deep, is
// refused; just within that height the grid is made.
TEST(Grid, RefusesGroundBelowOrFarAboveTheMesh)
{
    const CMesh mesh = DefaultMesh();
    const double top = mesh.zNodes.front(), height = mesh.zNodes.back() - top;
    const std::pair<double, const char*> rows[] = {
        {-top + 0.99 * height, ""},
        {-top + 1.01 * height, "The surface point at x = 100 ("},
        {-mesh.zNodes.back() - 1, "There is no ground under the electrode at x = 100"},
    };
    for (const auto& [elevation, says] : rows) {
        ValleyScene scene;
        scene.model.profile.elevation[2] = elevation;
        std::string message;
        try {
            const CGrid grid(scene.model, scene.electrodes, {});
        } catch (const CEngineError& e) {
            message = e.what();
        }
        EXPECT_TRUE(*says ? message.starts_with(says) : message.empty()) << elevation << ": " << message;
    }
}

double Area(const CGrid& grid, const CGrid::CElement& e)
{
    auto cross = [&](int a, int b, int c) {
        return (grid.NodeX(b) - grid.NodeX(a)) * (grid.NodeZ(c) - grid.NodeZ(a)) -
               (grid.NodeX(c) - grid.NodeX(a)) * (grid.NodeZ(b) - grid.NodeZ(a));
    };
    const auto& n = e.nodes;
    if (e.Triangle())
        return 0.5 * std::fabs(cross(n[0], n[1], n[2]));
    // Top left, top right, bottom left, bottom right: both triangles must turn the same way.
    const double first = cross(n[0], n[1], n[2]), second = cross(n[3], n[2], n[1]);
    return first > 0 && second > 0 ? 0.5 * (first + second) : -1;
}

TEST(Grid, FollowsTheSurfaceKeepsTheModelAndPutsElectrodesWhereTheyAre)
{
    const ValleyScene scene;
    CGrid::Options options;
    options.farDistance = 1000;
    const CGrid grid(scene.model, scene.electrodes, options);
    const int stride = grid.Columns() + 1;

    // Lines at every electrode, every kink and every change of value; none moved.
    for (double x : {1.0, 11.5, 21.0, 31.0, 52.5, 100.0, 107.0, 30.0, 170.0, 60.0, 80.0})
        EXPECT_TRUE(std::binary_search(grid.x.begin(), grid.x.end(), x)) << x;
    for (double z : {10.0, 20.0})
        EXPECT_TRUE(std::binary_search(grid.z.begin(), grid.z.end(), z)) << z;
    ASSERT_EQ(grid.electrodeNodes.size(), scene.electrodes.size());
    for (size_t e = 0; e < scene.electrodes.size(); ++e) {
        const int node = grid.electrodeNodes[grid.electrodeOfPosition[e]];
        EXPECT_EQ(grid.NodeX(node), scene.electrodes[e]);
        EXPECT_NEAR(grid.NodeZ(node), scene.Profile(scene.electrodes[e]), 1e-12);
    }
    EXPECT_GE(grid.x.front(), -1000 - 500);
    EXPECT_LE(grid.x.front(), 100 - 1000);
    // The block is ten times as conductive: cells shrink toward its corners, but not at 10, just
    // under the valley's bottom, and stay even beside an electrode the grading reaches.
    auto beside = [](const std::vector<double>& lines, double at) {
        const size_t i = std::lower_bound(lines.begin(), lines.end(), at) - lines.begin();
        return std::max(lines[i + 1] - at, at - lines[i - 1]);
    };
    for (double at : {60, 80})
        EXPECT_LT(beside(grid.x, at), 2 * options.endCell * grid.h) << at;
    EXPECT_LT(beside(grid.z, 20), 2 * options.endCell * grid.hz);
    EXPECT_GT(beside(grid.z, 10), 0.4 * grid.hz);
    for (double xe : {52.5, 100.0}) {
        const size_t i = std::lower_bound(grid.x.begin(), grid.x.end(), xe) - grid.x.begin();
        EXPECT_NEAR(grid.x[i + 1] - xe, xe - grid.x[i - 1], 1e-9) << xe;
    }

    // The elements tile the ground under the surface, every one turning the right way, and a
    // rectangle takes the value of the mesh cell it lies in.
    double area = 0;
    for (const CGrid::CElement& e : grid.elements) {
        const double a = Area(grid, e);
        ASSERT_GT(a, 0);
        area += a;
        const double cx = 0.5 * (grid.NodeX(e.nodes[0]) + grid.NodeX(e.nodes[1]));
        const double cz = 0.5 * (grid.NodeZ(e.nodes[0]) + grid.NodeZ(e.nodes[2]));
        const auto& mx = scene.mesh.xNodes;
        if (!e.Triangle() && grid.NodeZ(e.nodes[0]) == grid.NodeZ(e.nodes[1]) && cz > 0 &&
            cz < scene.mesh.zNodes.back() && cx > mx.front() && cx < mx.back()) {
            const int i = NearestNode(scene.mesh.xNodes, cx), k = NearestNode(scene.mesh.zNodes, cz);
            const int mi = scene.mesh.xNodes[i] > cx ? i - 1 : i, mk = scene.mesh.zNodes[k] > cz ? k - 1 : k;
            EXPECT_EQ(scene.sigma[e.meshCell], scene.sigma[static_cast<size_t>(mk) * scene.mesh.nx + mi])
                << cx << " " << cz;
        }
    }
    double expected = 0;
    for (int i = 0; i + 1 < stride; ++i) {
        const double w = grid.x[i + 1] - grid.x[i];
        expected += w * (grid.z.back() - 0.5 * (grid.surface[i] + grid.surface[i + 1]));
        EXPECT_NEAR(grid.surface[i], scene.Profile(grid.x[i]), 1e-9);
    }
    EXPECT_NEAR(area, expected, 1e-9 * expected);
}

// y = A u for a symmetric matrix given by its upper triangle on the discretization's pattern.
std::vector<double> Apply(const CDiscretization& d, const std::vector<double>& a, const std::vector<double>& u)
{
    std::vector<double> y(u.size(), 0);
    const std::vector<int>& starts = d.ColumnStarts();
    const std::vector<int>& rows = d.RowIndices();
    for (int j = 0; j < d.Unknowns(); ++j)
        for (int p = starts[j]; p < starts[j + 1]; ++p) {
            y[rows[p]] += a[p] * u[j];
            if (rows[p] != j)
                y[j] += a[p] * u[rows[p]];
        }
    return y;
}

// f(x, z) at every unknown.
template <class F>
std::vector<double> Sample(const CGrid& grid, const CDiscretization& d, F f)
{
    std::vector<double> values(d.Unknowns());
    for (int node = 0; node < (grid.Columns() + 1) * (grid.Rows() + 1); ++node)
        if (d.Unknown(node) >= 0)
            values[d.Unknown(node)] = f(grid.NodeX(node), grid.NodeZ(node));
    return values;
}

// On uniform cells, here twice as wide as thick, the operator applied to a smooth u differs
// from the mass operator applied to -div grad u + k^2 u by O(h^4) per unit area: halving the
// cells divides the difference by 16. The consistent or the lumped mass alone gives 4.
TEST(Discretization, CompactStencilIsFourthOrderOnUniformRectangles)
{
    const double k = 0.2;
    auto u = [](double x, double z) { return std::sin(0.3 * x + 0.5) * std::exp(-0.2 * z); };
    auto f = [&](double x, double z) { return (0.09 - 0.04 + k * k) * u(x, z); };
    double error[2];
    for (int level : {0, 1}) {
        const double h = 1.0 / (1 << level);
        CMesh mesh;
        mesh.nx = 40 << level;
        mesh.nz = 40 << level;
        for (int i = 0; i <= mesh.nx; ++i)
            mesh.xNodes.push_back(i * h);
        for (int j = 0; j <= mesh.nz; ++j)
            mesh.zNodes.push_back(j * h / 2);
        const std::vector<double> sigma(static_cast<size_t>(mesh.nx) * mesh.nz, 1.0);
        CGridModel model{&mesh, std::vector<int>(mesh.nx, 0), {&sigma}, {}, {}};
        CGrid::Options options;
        options.growth = 0; // cells of the mesh's size everywhere
        const CGrid grid(model, {10, 30}, options);
        const CDiscretization d(grid, false);
        const CDiscretization::COperator op = d.Assemble(std::vector<double>(grid.elements.size(), 1.0));
        std::vector<double> values;
        d.Values(op, k, values);
        const std::vector<double> au = Apply(d, values, Sample(grid, d, u));
        const std::vector<double> mf = Apply(d, op.mass, Sample(grid, d, f));
        const int i = static_cast<int>(std::lower_bound(grid.x.begin(), grid.x.end(), 20.0) - grid.x.begin());
        const int row = static_cast<int>(std::lower_bound(grid.z.begin(), grid.z.end(), 5.0) - grid.z.begin());
        ASSERT_NEAR(grid.x[i + 1] - grid.x[i - 1], 2 * h, 1e-12);
        ASSERT_NEAR(grid.z[row + 1] - grid.z[row - 1], h, 1e-12);
        const int node = d.Unknown(grid.NodeId(i, row));
        error[level] = std::fabs(au[node] - mf[node]) / (h * h / 2);
    }
    EXPECT_NEAR(error[0] / error[1], 16, 1.5);
}

// The mapped quadrilaterals and the triangles under a sloping surface pass the patch test: a
// linear field leaves no residual at the interior nodes, and its energy and the mass come out
// exactly.
TEST(Discretization, ElementsUnderASlopePassThePatchTest)
{
    const ValleyScene scene;
    CGrid::Options options;
    options.farDistance = 300;
    const CGrid grid(scene.model, scene.electrodes, options);
    const CDiscretization d(grid, false);
    const CDiscretization::COperator op = d.Assemble(std::vector<double>(grid.elements.size(), 1.0));
    double area = 0;
    int mapped = 0, triangles = 0;
    for (const CGrid::CElement& e : grid.elements) {
        area += Area(grid, e);
        triangles += e.Triangle();
        mapped += !e.Triangle() && grid.NodeZ(e.nodes[0]) != grid.NodeZ(e.nodes[1]);
    }
    ASSERT_GT(mapped, 20);
    ASSERT_GT(triangles, 0);
    const std::vector<double> u = Sample(grid, d, [](double x, double z) { return 2 + 0.3 * x - 0.7 * z; });
    const std::vector<double> ku = Apply(d, op.stiffness, u), m1 = Apply(d, op.mass, std::vector<double>(u.size(), 1));
    for (int i = 1; i < grid.Columns(); ++i)
        for (int k = grid.top[i] + 1; k < grid.Rows(); ++k)
            ASSERT_NEAR(ku[d.Unknown(grid.NodeId(i, k))], 0, 1e-10) << i << " " << k;
    double energy = 0, mass = 0;
    for (size_t j = 0; j < u.size(); ++j) {
        energy += u[j] * ku[j];
        mass += m1[j];
    }
    EXPECT_NEAR(energy, (0.09 + 0.49) * area, 1e-10 * area);
    EXPECT_NEAR(mass, area, 1e-10 * area);
}

// The electrode block B' A^-1 B from the trailing block of the factor, with and without turning
// each electrode into one unknown; the accuracy tests prove the first, the usual case.
TEST(SchurSolver, ElectrodeBlockIsTheSameWithAndWithoutTheCongruence)
{
    const ValleyScene scene;
    CGrid::Options options;
    options.farDistance = 300;
    const CGrid grid(scene.model, {0, 20, 40, 70, 100}, options);
    std::vector<double> sigma(grid.elements.size());
    for (size_t e = 0; e < sigma.size(); ++e)
        sigma[e] = 0.01 * (1 + (e * 7919 % 13)); // a patchwork of conductivities
    Eigen::MatrixXd block[2];
    for (int congruence : {1, 0}) {
        const CDiscretization d(grid, congruence);
        ASSERT_EQ(d.Congruent(), congruence == 1);
        const CDiscretization::COperator op = d.Assemble(sigma);
        std::vector<double> values;
        d.Values(op, 0.05, values);
        const CSchurSolver solver(d.ColumnStarts(), d.RowIndices(), d.Ordering(), d.Trailing());
        CSchurSolver::CWorker worker(solver);
        Eigen::MatrixXd y;
        std::string error;
        ASSERT_TRUE(worker.Factorise(values, op.functionals, y, error)) << error;
        block[congruence] = y.transpose() * y;
    }
    EXPECT_LT((block[1] - block[0]).norm(), 1e-10 * block[0].norm());
}

} // namespace
