#include "mesh/MeshFile.h"
#include "mesh/Mesh.h"
#include "platform/FileException.h"
#include "support/MessageLog.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CMesh DefaultMesh()
{
    CMesh m;
    EXPECT_TRUE(m.Design(0, 200, 0, 50, 70, 10.0 / 3, 5.0 / 3, 0));
    return m;
}

class MeshFileTest : public ::testing::Test {
protected:
    bool Read(const std::string& bytes, CMesh& mesh, double x1)
    {
        WriteBytes(m_dir.File("mesh.txt"), bytes);
        return ReadMeshFile(mesh, m_dir.File("mesh.txt"), x1, m_width, m_thickness);
    }

    TempDir m_dir;
    MessageLog m_log;
    CommaLocale m_locale;
    double m_width = -1, m_thickness = -1;
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

    WriteMeshFile(DefaultMesh(), m_dir.File("mesh2d.txt"));
    EXPECT_EQ(ReadBytes(m_dir.File("mesh2d.txt")), CrLf(lines));
}

TEST_F(MeshFileTest, ADesignedMeshReadsBackTheSame)
{
    const struct {
        const char* name;
        double x1, x2, z1, z2, L, dx, dz, T;
    } rows[] = {
        {"NoFineCells", 0, 200, 0, 50, 70, 10.0 / 3, 5.0 / 3, -100},
        {"LongArray", 0, 10, 0, 5, 1e4, 1, 1, 0},
        {"FractionalCore", 0, 10.4, 0, 5, 1, 1, 1, 0},
        {"OffsetCore", -37.5, 162.5, 3, 80, 40, 2.5, 1.25, 4},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CMesh designed, read;
        ASSERT_TRUE(designed.Design(row.x1, row.x2, row.z1, row.z2, row.L, row.dx, row.dz, row.T));
        WriteMeshFile(designed, m_dir.File("mesh2d.txt"));
        ASSERT_TRUE(ReadMeshFile(read, m_dir.File("mesh2d.txt"), row.x1, m_width, m_thickness)) << m_log.Last();
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

TEST_F(MeshFileTest, ReadsTokensWhateverTheLayout)
{
    const struct {
        const char* name;
        std::string bytes;
        double x1;
        std::vector<double> x, z;
        int outer;
        double width, thickness;
    } rows[] = {
        {"ZeroCountSegmentMovesTheStart",
         "3\r\n0 10 2\r\n    30 0\r\n    40 2\r\n\r\n2\r\n0 5 5\r\n    8 2\r\n",
         7.5,
         {0, 5, 10, 35, 40},
         {0, 1, 2, 3, 4, 5, 6.5, 8},
         1,
         5,
         1},
        // The smallest cells come last.
        {"AllOnOneLineWithoutLineEnd", "2 0 8 2 10 1 2 0 4 2 5 1", 3, {0, 4, 8, 10}, {0, 2, 4, 5}, 1, 2, 1},
        {"LfTabsAndNegativePositions",
         "2\n-6\t-2 2\n 2 1\n1\n1.5 3.5 4\n",
         -4.1,
         {-6, -4, -2, 2},
         {1.5, 2, 2.5, 3, 3.5},
         1,
         2,
         0.5},
        {"X1BeforeTheFirstNode", "1\n0 8 4\n1\n0 3 3\n", -50, {0, 2, 4, 6, 8}, {0, 1, 2, 3}, 0, 2, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CMesh m;
        ASSERT_TRUE(Read(row.bytes, m, row.x1)) << m_log.Last();
        EXPECT_EQ((std::vector<int>{m.nx, m.nz, m.outer}),
                  (std::vector<int>{int(row.x.size()) - 1, int(row.z.size()) - 1, row.outer}));
        EXPECT_EQ(m.xNodes, row.x);
        EXPECT_EQ(m.zNodes, row.z);
        EXPECT_EQ(m_width, row.width);
        EXPECT_EQ(m_thickness, row.thickness);
    }
}

TEST_F(MeshFileTest, BadFilesAreRefusedAndLeaveAnEmptyMesh)
{
    const std::string z = "1\n0 5 5\n";
    static const char kJunk[] = "\x7f"
                                "ELF\x02\x01\x01\0\0\0\xff\xfe\r\n\x80 7 0x\n\0\0\x01";
    const struct {
        const char* name;
        std::string bytes;
        double x1 = 0;
    } rows[] = {
        {"Empty", ""},
        {"OnlyTheXCount", "1\n"},
        {"EndsInsideTheZSegments", "1\n0 10 2\n2\n0 5 5\n"},
        {"PositionNotANumber", "1\n0 ten 2\n" + z},
        {"CommaDecimal", "1\n0 7,5 2\n" + z},
        {"CellCountNotAnInteger", "1\n0 10 2.5\n" + z},
        {"SegmentCountNotAnInteger", "1.5\n0 10 2\n" + z},
        {"NoZSegments", "1\n0 10 2\n0\n"},
        {"NegativeSegmentCount", "-1\n0 10 2\n" + z},
        {"SegmentOf2147483647Cells", "1\n0 10 2147483647\n" + z},
        {"CellCountBeyondInt", "1\n0 10 4294967298\n" + z},
        {"SegmentCountBeyondInt", "4294967297\n0 10 2\n" + z},
        {"HugeSegmentCount", "2147483647\n0 10 2\n 20 2\n" + z},
        {"XCellsBeyondTheAxisLimit", "2\n0 10 6000000\n 20 6000000\n1\n0 5 1\n"},
        {"CellsBeyondTheMeshLimit", "1\n0 10 10000\n1\n0 5 10000\n"},
        {"EqualConsecutivePositions", "2\n0 10 2\n 10 1\n" + z},
        {"DecreasingZ", "1\n0 10 2\n2\n0 5 5\n 4 1\n"},
        {"InfinitePosition", "1\n0 inf 1\n" + z},
        {"NaNPosition", "1\n0 10 2\n1\n0 nan 1\n"},
        {"OnlyAZeroCountXSegment", "1\n0 10 0\n" + z},
        {"NearestNodeToX1InTheMiddle", "1\n0 10 4\n" + z, 5},
        {"BinaryJunk", std::string(kJunk, sizeof kJunk - 1)},
    };
    for (const auto& row : rows) {
        m_log.Clear();
        CMesh m = DefaultMesh();
        EXPECT_FALSE(Read(row.bytes, m, row.x1)) << row.name;
        EXPECT_EQ(m_log.Texts(), std::vector<std::string>{"Error: Invalid mesh."}) << row.name;
        EXPECT_TRUE(m_log.Empty() || m_log.Boxes()[0].style == MB_ICONERROR) << row.name;
        EXPECT_TRUE(m.nx == 0 && m.nz == 0 && m.xNodes.empty() && m.zNodes.empty()) << row.name;
    }

    CMesh m;
    ASSERT_TRUE(Read("1\n0 10 4\n" + z, m, 3.75)) << "x1 halfway to node 2: " << m_log.Last();
    EXPECT_EQ(m.outer, 1);
}

TEST_F(MeshFileTest, AMissingFileIsNamedAndAnUncreatableOneRaisesAFileError)
{
    CMesh m = DefaultMesh();
    const std::string path = m_dir.File("no such mesh.txt");
    EXPECT_FALSE(ReadMeshFile(m, path, 0, m_width, m_thickness));
    ASSERT_EQ(m_log.Texts(), std::vector<std::string>{"Mesh file not found:\n" + path});
    EXPECT_EQ(m_log.Boxes()[0].style, unsigned(MB_ICONERROR));
    EXPECT_TRUE(m.nx == 0 && m.nz == 0 && m.xNodes.empty() && m.zNodes.empty());

    EXPECT_THROW(WriteMeshFile(DefaultMesh(), m_dir.File("missing/mesh2d.txt")), CFileException);
}

} // namespace
