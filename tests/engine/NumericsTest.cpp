// The numerical parts of the forward-modelling program on their own: Bessel functions, the
// wavenumber rule, electrode placement, and the electrode block of the inverse.
#include "engine/Bessel.h"
#include "engine/Discretization.h"
#include "engine/ElectrodePlacement.h"
#include "engine/EngineError.h"
#include "engine/Grid.h"
#include "engine/RunLog.h"
#include "engine/SchurSolver.h"
#include "engine/WavenumberRule.h"
#include "mesh/Mesh.h"

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

TEST(WavenumberRule, IntegratesK0ToOneOverTwoRWithPositiveWeights)
{
    const double ranges[][2] = {{10, 70}, {10, 120}, {2.5, 250}, {1, 1e4}};
    for (const auto& range : ranges) {
        const CWavenumberRule rule = CWavenumberRule::Design(range[0], range[1]);
        EXPECT_GT(*std::min_element(rule.w.begin(), rule.w.end()), 0);
        for (double r = range[0]; r <= range[1]; r *= 1.07) {
            double sum = 0;
            for (size_t i = 0; i < rule.k.size(); ++i)
                sum += rule.w[i] * BesselK0(rule.k[i] * r);
            EXPECT_NEAR(sum * 2 * r, 1, 3e-5) << "r = " << r << " in " << range[0] << " .. " << range[1];
        }
        EXPECT_LT(rule.MaxError(range[0], range[1]), 3e-5);
    }
}

CMesh DefaultMesh()
{
    CMesh mesh;
    mesh.Design(0, 200, 0, 50, 70, 10.0 / 3, 10.0 / 6, 0); // pole-dipole n = 6, a = 10
    return mesh;
}

TEST(ElectrodePlacement, NearestNodeAtTheTopOfTheGroundUnderAStep)
{
    const CMesh mesh = DefaultMesh();
    const int c = mesh.outer; // the node at x = 0
    std::vector<int> air(mesh.nx, 0);
    for (int i = c + 6; i < c + 12; ++i) // x 20 to 40: three air cells
        air[i] = 3;
    for (int i = c + 12; i < c + 15; ++i) // x 40 to 50: five
        air[i] = 5;
    for (int i = c + 30; i < c + 33; ++i) // x 100 to 110: all air
        air[i] = mesh.nz;
    CRunLog log;
    const std::vector<double> x{10, 20, 30, 40, 50, 55, 5.0 / 3, 11.0 / 3};
    const CElectrodePlacement p = PlaceElectrodes(mesh, air, x, log);
    const std::pair<int, int> nodes[] = {{c + 3, 0}, {c + 6, 0}, {c + 9, 3}, {c + 12, 3}, {c + 15, 0}, {c + 16, 0}, {c, 0}, {c + 1, 0}};
    ASSERT_EQ(p.ofPosition.size(), x.size());
    for (size_t j = 0; j < x.size(); ++j)
        EXPECT_EQ(std::pair(p.columns[p.ofPosition[j]], p.rows[p.ofPosition[j]]), nodes[j]) << "x = " << x[j];
    EXPECT_THROW(PlaceElectrodes(mesh, air, {105}, log), CEngineError);  // only air beside its node
    EXPECT_THROW(PlaceElectrodes(mesh, air, {-500}, log), CEngineError); // left of the mesh
}

// The electrode block B' A^-1 B from the trailing block of the factor, with and without turning
// each electrode into one unknown; the accuracy tests prove the first, the usual case.
TEST(SchurSolver, ElectrodeBlockIsTheSameWithAndWithoutTheCongruence)
{
    const CMesh mesh = DefaultMesh();
    std::vector<int> air(mesh.nx, 0);
    for (int i = mesh.outer + 10; i < mesh.outer + 20; ++i)
        air[i] = 2;
    CRunLog log;
    const CElectrodePlacement p = PlaceElectrodes(mesh, air, {0, 20, 40, 70, 100}, log);
    CGrid::Options options;
    options.extraColumns = options.extraRows = 3;
    const CGrid grid(mesh, air, p.columns, p.rows, options);
    std::vector<double> sigma(grid.Columns() * grid.Rows(), 0);
    for (int c = 0; c < static_cast<int>(sigma.size()); ++c)
        if (grid.ground[c])
            sigma[c] = 0.01 * (1 + (c * 7919 % 13)); // a patchwork of conductivities
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
