#include "mesh/Topography.h"
#include "mesh/Mesh.h"
#include "model/ModelData.h"
#include "platform/FileException.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

#include <numeric>
#include <utility>
#include <vector>

namespace {

using Points = std::vector<std::pair<double, double>>; // x, depth

// Ten rows of zStep from 0 down.
CMesh Mesh(std::vector<double> x, double zStep, int outer)
{
    CMesh m;
    m.nx = int(x.size()) - 1, m.nz = 10, m.outer = outer, m.xNodes = std::move(x);
    for (int k = 0; k <= 10; ++k)
        m.zNodes.push_back(k * zStep);
    return m;
}

CModelData Model(const Points& points, bool topography = true)
{
    CModelData m;
    m.m_topo.clear();
    for (const auto& [x, z] : points)
        m.m_topo.emplace_back(x, z);
    m.m_bTopography = topography;
    return m;
}

// The air counts of the mesh's columns under the model's surface, with the consistency checks.
std::vector<int> Air(CMesh& mesh, const CModelData& model)
{
    CTopographyFile profile;
    if (model.m_bTopography)
        profile = BuildExtendedProfile(model, mesh.xNodes.front(), mesh.xNodes.back());
    ComputeAirCells(mesh, profile);
    EXPECT_EQ(mesh.airPerColumn.size(), size_t(mesh.nx));
    EXPECT_EQ(mesh.airCells, std::accumulate(mesh.airPerColumn.begin(), mesh.airPerColumn.end(), 0));
    return mesh.airPerColumn;
}

TEST(TopographyTest, TheFileRepeatsTheEndPointsAtTheMeshEdges)
{
    CommaLocale comma;
    TempDir dir;
    CurrentDirGuard cwd(dir.Path());
    const CModelData m = Model({{0, 2}, {50, -5}, {150, 10.5}, {200, 0}});
    const CTopographyFile profile = WriteTopographyFile(m, -100, 300);
    EXPECT_EQ(ReadBytes(dir.File("topo2d.txt")), "6  0\r\n"
                                                 "-100 -2\r\n"
                                                 "0 -2\r\n"
                                                 "50 5\r\n"
                                                 "150 -10.5\r\n"
                                                 "200 0\r\n" // a depth of 0 is no "-0"
                                                 "300 0\r\n");
    EXPECT_EQ(profile.x, (std::vector<double>{-100, 0, 50, 150, 200, 300}));
    EXPECT_EQ(profile.elevation, (std::vector<double>{-2, -2, 5, -10.5, 0, 0}));

    std::filesystem::remove("topo2d.txt");
    std::filesystem::create_directory("topo2d.txt"); // in the way
    EXPECT_THROW(WriteTopographyFile(m, -100, 300), CFileException);
}

TEST(TopographyTest, AirCellsSnapTheColumnsMeanSurfaceToTheNearerNode)
{
    const struct {
        const char* name;
        Points points;
        bool topography;
        std::vector<int> air;
    } rows[] = {
        {"NoTopography", {{0, 3}, {32, 3}}, false, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"HalfwayBetweenNodes", {{0, 2.5}, {32, 2.5}}, true, {2, 2, 2, 2, 2, 2, 2, 2}},
        {"NearerTheLowerNode", {{0, 2.6}, {32, 2.6}}, true, {3, 3, 3, 3, 3, 3, 3, 3}},
        {"BelowTheDeepestNode", {{0, 12}, {32, 12}}, true, {10, 10, 10, 10, 10, 10, 10, 10}},
        {"AboveTheTopNode", {{0, -3}, {32, -3}}, true, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"SlopeContinuedFlatToTheEdges", {{0, 0}, {32, 8}}, true, {0, 0, 1, 3, 5, 7, 8, 8}},
        {"ValleyInsideOneColumn", {{0, 0}, {2, 0}, {4, 8}, {6, 0}, {32, 0}}, true, {0, 0, 2, 0, 0, 0, 0, 0}},
    };
    for (const auto& row : rows) {
        CMesh mesh = Mesh({-16, -8, 0, 8, 16, 24, 32, 40, 48}, 1, 2);
        EXPECT_EQ(Air(mesh, Model(row.points, row.topography)), row.air) << row.name;
    }
}

// Points beyond the mesh, in any order, must give the surface that the mesh sees between its
// edges, not a profile that runs backwards.
TEST(TopographyTest, PointsBeyondTheMeshAreMovedOntoItsEdges)
{
    const CModelData beyond = Model({{356, 2}, {-44, 1}, {600, 2}, {-300, 3}, {100, 4}, {-500, 3}});
    const CTopographyFile profile = BuildExtendedProfile(beyond, -100, 200);
    EXPECT_EQ(profile.x, (std::vector<double>{-100, -100, -100, -44, 100, 200, 200, 200}));
    EXPECT_EQ(profile.elevation,
              (std::vector<double>{-1.4375, -1.4375, -1.4375, -1, -4, -3.21875, -3.21875, -3.21875}));

    const CModelData clipped = Model({{-100, 1.4375}, {-44, 1}, {100, 4}, {200, 3.21875}});
    const std::vector<int> expected = {3, 2, 3, 3, 5, 7, 8, 7};
    for (const CModelData* m : {&beyond, &clipped}) {
        CMesh mesh = Mesh({-100, -70, -40, -20, 0, 50, 100, 150, 200}, 0.5, 2);
        EXPECT_EQ(Air(mesh, *m), expected) << (m == &beyond ? "points beyond the edges" : "points on the edges");
    }
}

TEST(TopographyTest, TheDiscretizedSurfaceFollowsTheAirOfTheCoreColumns)
{
    CMesh mesh = Mesh({-16, -8, 0, 8, 16, 24, 32, 40, 48}, 1, 2);
    Air(mesh, Model({{0, 0}, {32, 8}}));
    EXPECT_EQ(BuildDiscretizedSurface(mesh), (std::vector<std::pair<double, double>>{
                                                 {0, 1}, {8, 1}, {8, 3}, {16, 3}, {16, 5}, {24, 5}, {24, 7}, {32, 7}}));
}

} // namespace
