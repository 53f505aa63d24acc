#include "formats/MeshFile.h"
#include "BadFiles.h"

namespace {

TEST(MeshFile, WrittenSegmentBySegmentAndReadBackWhateverTheLayout)
{
    CommaLocale comma;
    TempDir dir;
    CMeshFile f;
    f.x = {{-10, -5, 0, 2, 4, 6, 11}, {1, 2, 5, 6}};
    f.z = {{0, 1, 2, 3.5}, {2, 3}};
    f.Write(dir.File("mesh"));
    EXPECT_EQ(ReadBytes(dir.File("mesh")), "4\r\n-10.0 -5.0 1\r\n    0.00 1\r\n    6.00 3\r\n    11.00 1\r\n\r\n"
                                           "2\r\n0.00 2.00 2\r\n    3.50 1\r\n");
    const CMeshFile back = CMeshFile::Read(dir.File("mesh"));
    EXPECT_EQ(back.x.nodes, f.x.nodes);
    EXPECT_EQ(back.x.segmentEnds, f.x.segmentEnds);
    EXPECT_EQ(back.z.nodes, f.z.nodes);
    EXPECT_TRUE(f.FitsItsDecimals());

    // A segment of no cells moves the next one's start; line breaks do not matter.
    const CMeshFile zero = CMeshFile::Parse("3\r\n0 10 2\r\n    30 0\r\n    40 2\r\n\r\n1\r\n0 5 5", "");
    EXPECT_EQ(zero.x.nodes, (std::vector<double>{0, 5, 10, 35, 40}));
    EXPECT_EQ(CMeshFile::Parse("2\n-6\t-2 2\n 2 1 1 1.5 3.5 4", "").z.nodes,
              (std::vector<double>{1.5, 2, 2.5, 3, 3.5}));

    // Cells of 0.004, each its own segment, come out of two decimals as repeated nodes.
    CMeshFile fine = f;
    fine.x = {{-10, -5, 0, 0.004, 0.008, 0.012, 11}, {1, 2, 3, 4, 5, 6}};
    EXPECT_FALSE(fine.FitsItsDecimals());
}

TEST(MeshFile, BadFilesAreRefusedWithTheirLine)
{
    const std::string z = "1\n0 5 5\n";
    static const char kJunk[] = "\x7f"
                                "ELF\x02\x01\x01\0\0\0\xff\xfe\r\n\x80 7 0x\n\0\0\x01";
    ExpectRefused(
        {
            {"Empty", "", "The file ends before the number of x segments."},
            {"OnlyTheXCount", "1\n", "The file ends before the start of the x segments."},
            {"EndsInsideTheZSegments", "1\n0 10 2\n2\n0 5 5\n", "The file ends before the end of z segment 2."},
            {"PositionNotANumber", "1\n0 ten 2\n" + z, "Line 2: expected the end of x segment 1, not \"ten\"."},
            {"CommaDecimal", "1\n0 7,5 2\n" + z, "Line 2: expected the end of x segment 1, not \"7,5\"."},
            {"CellCountNotAnInteger", "1\n0 10 2.5\n" + z, "Line 2: expected the number of cells of x segment 1"},
            {"SegmentCountNotAnInteger", "1.5\n0 10 2\n" + z, "Line 1: expected the number of x segments"},
            {"NoZSegments", "1\n0 10 2\n0\n", "Line 3: the number of z segments must be from 1 to 10000000, not 0."},
            {"NegativeSegmentCount", "-1\n0 10 2\n" + z, "Line 1: the number of x segments must be from 1"},
            {"SegmentOf2147483647Cells", "1\n0 10 2147483647\n" + z, "Line 2: the x axis has more than the 10000000"},
            {"CellCountBeyondInt", "1\n0 10 4294967298\n" + z, "Line 2: expected the number of cells"},
            {"SegmentCountBeyondInt", "4294967297\n0 10 2\n" + z, "Line 1: expected the number of x segments"},
            {"2147483647Segments", "2147483647\n0 10 2\n 20 2\n" + z, "Line 1: the number of x segments must be"},
            {"XCellsBeyondTheAxisLimit", "2\n0 10 6000000\n 20 6000000\n1\n0 5 1\n", "Line 3: the x axis has more"},
            {"CellsBeyondTheMeshLimit", "1\n0 10 10000\n1\n0 5 10000\n",
             "It has 10000 x 10000 cells, more than the 20000000 a mesh may have."},
            {"EqualConsecutivePositions", "2\n0 10 2\n 10 1\n" + z,
             "Line 3: the x positions must increase by at least 1e-06, but 10 follows 10."},
            {"DecreasingZ", "1\n0 10 2\n2\n0 5 5\n 4 1\n", "Line 5: the z positions must increase"},
            {"MeshOf1e-320Wide", "1\n0 1e-320 1\n" + z, "Line 2: the x positions must increase by at least 1e-06"},
            {"InfinitePosition", "1\n0 inf 1\n" + z, "Line 2: expected the end of x segment 1, not \"inf\"."},
            {"NaNPosition", "1\n0 10 2\n1\n0 nan 1\n", "Line 4: expected the end of z segment 1"},
            {"PositionOf1e13", "1\n0 1e13 2\n" + z, "Line 2: the position 1e+13 lies beyond 1e+12 units."},
            {"OnlyAZeroCountXSegment", "1\n0 10 0\n" + z, "Line 2: the x axis has no cells."},
            {"BinaryJunk", std::string(kJunk, sizeof kJunk - 1), "Line 1: expected the number of x segments"},
        },
        [](const std::string& path, EModelKind) { CMeshFile::Read(path); });
}

} // namespace
