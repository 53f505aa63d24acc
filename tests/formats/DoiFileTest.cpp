#include "formats/DoiFile.h"
#include "BadFiles.h"

namespace {

TEST(DoiFile, WrittenWithItsHeaderAndReadBack)
{
    TempDir dir;
    CDoiFile f;
    f.points = {{1.5, 12.25, 12.25}, {5, 10.1, 1e-7}};
    f.Write(dir.File("doi2d.txt"));
    const std::string bytes = ReadBytes(dir.File("doi2d.txt"));
    EXPECT_EQ(bytes.substr(bytes.find("! x z depth")), "! x z depth\r\n1.5 12.25 12.25\r\n5 10.1 1e-07\r\n");
    EXPECT_EQ(CDoiFile::Read(dir.File("doi2d.txt")).Format(), f.Format());
    EXPECT_TRUE(CDoiFile::Parse("! only a comment\n\n", "").points.empty());
}

TEST(DoiFile, BadLinesAreRefusedWithTheirNumber)
{
    ExpectRefused(
        {
            {"TwoNumbers", "! x z depth\r\n1 2\r\n", "Line 2: expected three numbers"},
            {"FourNumbers", "1 2 3 4\r\n", "Line 1: expected three numbers, but \"4\" follows them."},
            {"NotANumber", "1 two 3\r\n", "Line 1: the value \"two\" is not a number within 1e+12."},
            {"XTooFar", "1e13 2 3\r\n", "Line 1: the value \"1e13\" is not"},
            {"DepthTooFar", "1 2 -2e12\r\n", "Line 1: the value \"-2e12\" is not"},
            {"SamePosition", "1 2 3\r\n1 2 3\r\n", "Line 2: the positions must increase."},
            {"PositionBack", "1 2 3\r\n0 2 3\r\n", "Line 2: the positions must increase."},
        },
        [](const std::string& path, EModelKind) { CDoiFile::Read(path); });
}

} // namespace
