#include "mesh/Limits.h"
#include "mesh/Mesh.h"
#include "model/ModelData.h"
#include "platform/TextFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct Inputs {
    double x1 = 0, x2 = 200, z1 = 0, z2 = 50, L = 70, dx = 10.0 / 3, dz = 5.0 / 3, T = 0; // the defaults
};

bool Design(CMesh& mesh, const Inputs& in)
{
    return mesh.Design(in.x1, in.x2, in.z1, in.z2, in.L, in.dx, in.dz, in.T);
}

bool IsEmpty(const CMesh& m)
{
    return m.nx == 0 && m.nz == 0 && m.xNodes.empty() && m.zNodes.empty();
}

::testing::AssertionResult Increasing(const std::vector<double>& nodes)
{
    for (size_t i = 1; i < nodes.size(); ++i)
        if (!(nodes[i] > nodes[i - 1]))
            return ::testing::AssertionFailure() << "node " << i << " at " << nodes[i] << " after " << nodes[i - 1];
    return ::testing::AssertionSuccess();
}

// What every designed mesh must satisfy for the file writer and the rasteriser to work on it.
::testing::AssertionResult IsUsable(const CMesh& m, const Inputs& in)
{
    auto fail = [] { return ::testing::AssertionFailure(); };
    if (m.nx <= 0 || m.nz <= 0 || m.xNodes.size() != size_t(m.nx) + 1 || m.zNodes.size() != size_t(m.nz) + 1)
        return fail() << "nx " << m.nx << " nz " << m.nz << " nodes " << m.xNodes.size() << ", " << m.zNodes.size();
    if (m.nx > kMaxAxisCells || m.nz > kMaxAxisCells || (long long)m.nx * m.nz > kMaxMeshCells)
        return fail() << "beyond the limits: " << m.nx << " x " << m.nz;
    if (auto r = Increasing(m.xNodes); !r)
        return fail() << "x " << r.message();
    if (auto r = Increasing(m.zNodes); !r)
        return fail() << "z " << r.message();
    if (m.outer < 7 || m.outer > 14 || 2 * m.outer >= m.nx || m.xNodes[m.outer] != in.x1)
        return fail() << "outer " << m.outer << " of " << m.nx;
    if (m.padZ < 3 || m.padZ > 10 || m.fineZ < 0 || m.midZ < 0 || m.fineZ + m.midZ + m.padZ != m.nz)
        return fail() << "z counts " << m.fineZ << " + " << m.midZ << " + " << m.padZ << " for " << m.nz;
    if (m.zNodes[0] != in.z1)
        return fail() << "top node at " << m.zNodes[0];
    return ::testing::AssertionSuccess();
}

TEST(MeshDesignTest, CountsFollowTheArrayTheCoreAndTheTopography)
{
    const struct {
        const char* name;
        Inputs in;
        int nx, nz, outer, fineZ, midZ, padZ;
        double coreEnd; // xNodes[nx - outer]
    } rows[] = {
        {"Defaults", {}, 82, 35, 11, 21, 7, 7, 200}, // the worked mesh; its nodes are the mesh file's
        {"ShortArray", {0, 10.4, 0, 5, 1, 1, 1, 0}, 24, 7, 7, 1, 3, 3, 10},
        {"CoreOfTenAndAHalfCells", {0, 10.6, 0, 5, 1, 1, 1, 0}, 25, 7, 7, 1, 3, 3, 11},
        {"LongArray", {0, 10, 0, 5, 1e4, 1, 1, 0}, 38, 6677, 14, 5000, 1667, 10, 10},
        {"SurfaceFiveBelowTheTop", {0, 200, 0, 50, 70, 10.0 / 3, 5.0 / 3, 5}, 82, 38, 11, 24, 7, 7, 200},
        {"DeepCore", {0, 200, 0, 100, 70, 10.0 / 3, 5.0 / 3, 0}, 82, 54, 11, 21, 26, 7, 200},
        {"SurfaceFarAboveTheTop", {0, 200, 0, 50, 70, 10.0 / 3, 5.0 / 3, -100}, 82, 27, 11, 0, 20, 7, 200},
        {"SurfaceAt-1e12", {0, 200, 0, 50, 70, 10.0 / 3, 5.0 / 3, -1e12}, 82, 27, 11, 0, 20, 7, 200},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CMesh m;
        ASSERT_TRUE(Design(m, row.in));
        EXPECT_TRUE(IsUsable(m, row.in));
        EXPECT_EQ((std::vector<int>{m.nx, m.nz, m.outer, m.fineZ, m.midZ, m.padZ}),
                  (std::vector<int>{row.nx, row.nz, row.outer, row.fineZ, row.midZ, row.padZ}));
        if (m.nx == row.nx) {
            EXPECT_NEAR(m.xNodes[m.nx - m.outer], row.coreEnd, 1e-9);
        }
        if (m.fineZ == 0 && m.nz > 0) {
            EXPECT_NEAR(m.zNodes[1] - m.zNodes[0], 1.5 * row.in.dz, 1e-12) << "no fine cells";
        }
    }
}

TEST(MeshDesignTest, InputsBeyondTheLimitsGiveAnEmptyMesh)
{
    const struct {
        const char* name;
        Inputs in;
    } rows[] = {
        {"dx 0", {0, 200, 0, 50, 70, 0, 1, 0}},
        {"dz NaN", {0, 200, 0, 50, 70, 1, kNaN, 0}},
        {"dx 1e-320", {0, 200, 0, 50, 70, 1e-320, 1, 0}},
        {"core beyond the int range", {0, 1e12, 0, 50, 70, 1, 1, 0}},
        {"6.7e7 cells in all", {0, 1e4, 0, 1e4, 1, 1, 1, 0}},
        {"core 50 deep at depth 1e6", {0, 200, 1e6, 1e6 + 50, 70, 10.0 / 3, 5.0 / 3, 1e6}}, // 82 x 600035
        {"surface at 1e12", {0, 200, 0, 50, 70, 1, 1, 1e12}},
    };
    for (const auto& row : rows) {
        CMesh m;
        ASSERT_TRUE(Design(m, {}));
        EXPECT_FALSE(Design(m, row.in)) << row.name;
        EXPECT_TRUE(IsEmpty(m)) << row.name;
    }
}

// Whatever the inputs, a mesh that Design accepts must be one the later steps can use.
TEST(MeshDesignTest, AnAcceptedMeshIsAlwaysUsable)
{
    std::vector<std::pair<const char*, Inputs>> rows = {
        {"x1 NaN", {kNaN, 200, 0, 50, 70, 1, 1, 0}},
        {"x2 inf", {0, kInf, 0, 50, 70, 1, 1, 0}},
        {"x2 below x1", {0, -200, 0, 50, 70, 10.0 / 3, 5.0 / 3, 0}},
        {"z1 NaN", {0, 200, kNaN, 50, 70, 1, 1, 0}},
        {"core far from the origin", {1e17, 1e17 + 256, 0, 50, 70, 1, 1, 0}},
        {"z2 above z1", {0, 200, 50, -50, 70, 1, 1, 0}},
        {"surface NaN", {0, 200, 0, 50, 70, 1, 1, kNaN}},
        {"array length NaN", {0, 200, 0, 50, kNaN, 1, 1, 0}},
        {"array length -70", {0, 200, 0, 50, -70, 1, 1, 0}},
    };
    std::mt19937 random(7);
    auto uniform = [&](double a, double b) { return std::uniform_real_distribution<>(a, b)(random); };
    for (int i = 0; i < 2000; ++i) {
        Inputs in;
        in.x1 = uniform(-1000, 1000), in.x2 = in.x1 + uniform(1, 5000);
        in.z1 = uniform(-100, 100), in.z2 = in.z1 + uniform(1, 2000);
        in.L = uniform(0, 3000), in.T = uniform(-2000, 2000);
        in.dx = std::exp(uniform(std::log(0.05), std::log(50))), in.dz = in.dx / uniform(1, 5);
        rows.emplace_back("random", in);
    }
    int accepted = 0;
    for (const auto& [name, in] : rows) {
        CMesh m;
        const std::string trace =
            FormatC("%s: %g %g %g %g %g %g %g %g", name, in.x1, in.x2, in.z1, in.z2, in.L, in.dx, in.dz, in.T);
        const bool ok = Design(m, in);
        accepted += ok;
        EXPECT_TRUE(ok ? IsUsable(m, in) : ::testing::AssertionResult(IsEmpty(m))) << trace;
    }
    EXPECT_GT(accepted, 500);
}

TEST(MeshDesignTest, NearestNodeTiesGoToTheLowerIndex)
{
    const std::vector<double> nodes = {0, 1, 3, 6};
    const std::pair<double, int> rows[] = {{-5, 0}, {0.5, 0}, {0.5000001, 1}, {3, 2},
                                           {2, 1},  {4.5, 2}, {4.6, 3},       {1e300, 3}};
    for (const auto& [position, index] : rows)
        EXPECT_EQ(NearestNode(nodes, position), index) << position;
    EXPECT_EQ(NearestNode({}, 5), 0) << "empty list";
    EXPECT_EQ(NearestNode({5}, 7), 0) << "single node";
}

TEST(MeshDesignTest, MeanTopographyDepthNeedsTheFlagAndIsNotClipped)
{
    CModelData m;
    m.m_topo = {CTopoPt(0, 0), CTopoPt(100, 10), CTopoPt(200, 0)};
    EXPECT_EQ(MeanTopographyDepth(m), 0) << "flag not set";
    m.m_bTopography = true;
    EXPECT_DOUBLE_EQ(MeanTopographyDepth(m), 5);
    m.m_topo = {CTopoPt(-100, 10), CTopoPt(300, 10)};
    EXPECT_DOUBLE_EQ(MeanTopographyDepth(m), 20) << "the part beyond the core counts";
}

} // namespace
