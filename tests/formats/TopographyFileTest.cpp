#include "formats/TopographyFile.h"
#include "BadFiles.h"

namespace {

TEST(TopographyFile, WrittenWithExactNumbersAndReadBack)
{
    CommaLocale comma;
    TempDir dir;
    CTopographyFile f;
    f.x = {-174.16666666666669, 0, 50, 50, 200};
    f.elevation = {-2, -2, 5.25, -10.5, 0};
    f.Write(dir.File("topo"));
    EXPECT_EQ(ReadBytes(dir.File("topo")),
              "5  0\r\n-174.16666666666669 -2\r\n0 -2\r\n50 5.25\r\n50 -10.5\r\n200 0\r\n");
    const CTopographyFile back = CTopographyFile::Read(dir.File("topo"));
    EXPECT_EQ(back.x, f.x);
    EXPECT_EQ(back.elevation, f.elevation);
    EXPECT_EQ(CTopographyFile::Parse("\n2\n0 1\n\n10 2\n\n", "").elevation, (std::vector<double>{1, 2}));
}

TEST(TopographyFile, BadFilesAreRefusedWithTheirLine)
{
    ExpectRefused(
        {
            {"Empty", "\r\n", "It is empty."},
            {"CountNotANumber", "x  0\r\n0 0\r\n", "Line 1: expected the number of points."},
            {"CountLineOfThreeNumbers", "2 0 0\r\n0 0\r\n10 1\r\n", "Line 1: expected the number of points."},
            {"OnePoint", "1  0\r\n0 0\r\n", "Line 1: the number of points must be from 2 to 10002, not 1."},
            {"10003Points", "10003  0\r\n", "Line 1: the number of points must be from 2 to 10002, not 10003."},
            {"TwoOfThreePoints", "3  0\r\n0 0\r\n10 1\r\n", "It ends after 2 of its 3 points."},
            {"PointWithOneNumber", "2  0\r\n0 0\r\n10\r\n", "Line 3: expected a point: x and elevation."},
            {"PointWithThreeNumbers", "2  0\r\n0 0\r\n10 1 1\r\n", "Line 3: expected a point: x and elevation, but"},
            {"ElevationNotANumber", "2  0\r\n0 0\r\n10 nan\r\n", "Line 3: expected a point"},
            {"XGoingBack", "3  0\r\n0 0\r\n10 1\r\n5 1\r\n",
             "Line 4: the points must run from left to right, but x = 5 follows x = 10."},
            {"ThreeOfTwoPoints", "2  0\r\n0 0\r\n10 1\r\n20 1\r\n", "Line 4: the file holds more than its 2 points."},
            {"PositionOf1e13", "2  0\r\n0 0\r\n1e13 1\r\n", "Line 3: the number 1e+13 lies beyond 1e+12 units."},
        },
        [](const std::string& path, EModelKind) { CTopographyFile::Read(path); });
}

} // namespace
