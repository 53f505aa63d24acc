#include "mesh/MeshFile.h"
#include "mesh/Discretize.h"
#include "mesh/Mesh.h"
#include "model/ModelData.h"
#include "platform/Refusal.h"
#include "support/MessageLog.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class MeshFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_default.Design(0, 200, 0, 50, 70, 10.0 / 3, 5.0 / 3, 0)); }

    bool Read(const std::string& bytes, CMesh& mesh, double x1)
    {
        WriteBytes(m_dir.File("mesh.txt"), bytes);
        return Attempt([&] { mesh = ReadMeshFile(m_dir.File("mesh.txt"), x1, m_width, m_thickness); });
    }

    TempDir m_dir;
    MessageLog m_log;
    CommaLocale m_locale;
    double m_width = -1, m_thickness = -1;
    CMesh m_default;
};

TEST_F(MeshFileTest, TheDefaultMeshIsWrittenByteForByte)
{
    std::vector<std::string> lines = {"23", "-174.2 -117.2 1"};
    for (const char* x :
         {"-79.27", "-53.96", "-37.08", "-25.83", "-18.33", "-13.33", "-10.00", "-6.67", "-3.33", "0.00"})
        lines.push_back(std::string("    ") + x + " 1");
    lines.push_back("    200.00 60");
    for (const char* x :
         {"203.33", "206.67", "210.00", "213.33", "218.33", "225.83", "237.08", "253.96", "279.27", "317.24", "374.19"})
        lines.push_back(std::string("    ") + x + " 1");
    lines.insert(lines.end(), {"", "9", "0.00 35.00 21", "    52.50 7"});
    for (const char* z : {"56.25", "61.88", "70.31", "82.97", "101.95", "130.43", "173.14"})
        lines.push_back(std::string("    ") + z + " 1");

    WriteMeshFile(m_default, m_dir.File("mesh2d.txt"));
    EXPECT_EQ(ReadBytes(m_dir.File("mesh2d.txt")), CrLf(lines));
}

TEST_F(MeshFileTest, ADesignedMeshReadsBackTheSame)
{
    const struct {
        const char* name;
        double x1, x2, z1, z2, L, dx, dz, T;
    } rows[] = {
        {"NoFineCells", 0, 200, 0, 50, 70, 10.0 / 3, 5.0 / 3, -100},
        {"OffsetFractionalCore", -37.5, 162.9, 3, 80, 40, 2.5, 1.25, 4},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CMesh designed, read;
        ASSERT_TRUE(designed.Design(row.x1, row.x2, row.z1, row.z2, row.L, row.dx, row.dz, row.T));
        WriteMeshFile(designed, m_dir.File("mesh2d.txt"));
        ASSERT_TRUE(Attempt([&] { read = ReadMeshFile(m_dir.File("mesh2d.txt"), row.x1, m_width, m_thickness); }))
            << m_log.Last();
        EXPECT_EQ((std::vector<int>{read.nx, read.nz, read.outer}),
                  (std::vector<int>{designed.nx, designed.nz, designed.outer}));
        ASSERT_EQ(read.xNodes.size(), designed.xNodes.size());
        ASSERT_EQ(read.zNodes.size(), designed.zNodes.size());
        for (size_t i = 0; i < read.xNodes.size(); ++i) // one decimal for the first two, two for the rest
            ASSERT_NEAR(read.xNodes[i], designed.xNodes[i], i < 2 ? 0.0501 : 0.00501) << "x node " << i;
        for (size_t k = 0; k < read.zNodes.size(); ++k)
            ASSERT_NEAR(read.zNodes[k], designed.zNodes[k], 0.00501) << "z node " << k;
    }
    EXPECT_TRUE(m_log.Empty()) << m_log.Last();
}

// The reader's refusals are the mesh file's own; here how they reach the user.
TEST_F(MeshFileTest, ARefusedOrMissingFileIsNamedWithTheReason)
{
    const std::string z = "1\n0 5 5\n", path = m_dir.File("mesh.txt");
    CMesh m = m_default;
    EXPECT_FALSE(Read("1\n0 10 4\n" + z, m, 5));
    EXPECT_EQ(m_log.Texts(), std::vector<std::string>{"Error: Invalid mesh.\n" + path +
                                                      "\nThe core area's left edge, x = 5, lies in the right half "
                                                      "of the mesh."});
    EXPECT_TRUE(m_log.Empty() || m_log.Boxes()[0].style == MB_ICONERROR);
    m_log.Clear();
    ASSERT_TRUE(Read("1\n0 10 4\n" + z, m, 3.75)) << "x1 halfway to node 2: " << m_log.Last();
    EXPECT_EQ(std::vector({m.outer, m.nx, m.nz}), std::vector({1, 4, 5}));
    EXPECT_EQ(std::make_pair(m_width, m_thickness), std::make_pair(2.5, 1.0));

    m_log.Clear();
    EXPECT_FALSE(Attempt([&] { m = ReadMeshFile(m_dir.File("no such mesh.txt"), 0, m_width, m_thickness); }));
    EXPECT_EQ(m_log.Texts(), std::vector<std::string>{"Mesh file not found:\n" + m_dir.File("no such mesh.txt")});
}

// What the files cannot hold ends the command with a message, before the file is written.
TEST_F(MeshFileTest, TheDiscretizationRefusesCellsTooSmallOrValuesTooLargeForTheFiles)
{
    CurrentDirGuard cwd(m_dir.Path());
    CModelData m;
    m.m_coreX2 = 0.2, m.m_coreZ2 = 0.05, m.m_discretize.aSpacing = 0.02, m.m_discretize.n = 2;
    EXPECT_FALSE(Attempt([&] { RunDiscretization(m); }));
    EXPECT_EQ(m_log.Texts(), std::vector<std::string>{"The mesh's cells are too small for the mesh file, which keeps "
                                                      "two decimals.\nWork in smaller units, such as metres."});
    EXPECT_TRUE(FileNames(m_dir.Path()).empty()); // refused before any file is written

    m_log.Clear();
    CModelData dense;
    dense.m_dcModel.emplace_back(40, 10, 80, 20, 39.0f, 0); // 10^39 S/m: no float
    EXPECT_FALSE(Attempt([&] { RunDiscretization(dense); }));
    EXPECT_EQ(m_log.Last().rfind("Cannot write\nmodel2d.con\nLine ", 0), 0u) << m_log.Last();
    EXPECT_EQ(FileNames(m_dir.Path()), (std::vector<std::string>{"loc2d.txt", "mesh2d.txt"}));
}

} // namespace
