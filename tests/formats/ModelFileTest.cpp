#include "formats/ModelFile.h"
#include "BadFiles.h"
#include "formats/Limits.h"
#include "support/ExampleModel.h"

namespace {

const std::vector<std::string>& kExample = kExampleModel;

std::string First(long n)
{
    return Join({kExample.begin(), kExample.begin() + n});
}

TEST(ModelFile, TheExampleIsWrittenByteForByteAndEveryNumberReadsBackExactly)
{
    CommaLocale comma;
    TempDir dir;
    CModelFile f;
    f.coreX2 = 200, f.coreZ2 = 50, f.dcBackground = -3, f.ipBackground = 0;
    f.dcBlocks = {{40, 80, 10, 20, -1, 0, false}, {100, 140, 5, 25, -2, 0.5, false}};
    f.ipBlocks = {{40, 80, 10, 20, 0.1f, 0, true}};
    f.topography = {{0, 0}, {100, -5}, {200, 0}};
    f.Write(dir.File("example"));
    EXPECT_EQ(ReadBytes(dir.File("example")), Join(kExample));

    // What six digits would move: the last digits of a position far from 0, a float's ninth digit.
    f.coreX1 = 512345.5, f.coreX2 = 1234567.8, f.dcBackground = -2.718281828f;
    f.dcBlocks[1].slope = -1.0 / 3;
    f.Write(dir.File("exact"));
    const CModelFile back = CModelFile::Read(dir.File("exact"));
    EXPECT_EQ(Lines(ReadBytes(dir.File("exact")))[0], "512345.5 1234567.8 0 50  ! core area x1,x2, z1,z2 ");
    EXPECT_EQ(back.Format(), f.Format());
    EXPECT_EQ(back.dcBlocks[1].slope, -1.0 / 3);
    EXPECT_EQ(*back.dcBackground, -2.718281828f);

    // Other ways the file may be written: each reads as the example.
    const CModelFile example = CModelFile::Parse(Join(kExample), "");
    for (const std::string& text : {Join(kExample, "\n"), Join(kExample).substr(0, Join(kExample).size() - 2),
                                    ReplaceExampleLine(4, "0x1 0"), Join(kExample, " ! comment\r\n")})
        EXPECT_EQ(CModelFile::Parse(text, "").Format(), example.Format()) << text;
    EXPECT_TRUE(CModelFile::Parse(ReplaceExampleLine(5, "40 80  10 20  0.1  0 -2"), "").ipBlocks[0].ellipse);
    EXPECT_FALSE(CModelFile::Parse(ReplaceExampleLine(1, "2  ! DC # of blocks, background"), "").dcBackground);
    EXPECT_TRUE(CModelFile::Parse(ReplaceExampleLine(6, "-4"), "").topography.empty());
}

TEST(ModelFile, BadFilesAreRefusedWithTheirLine)
{
    const std::string junk("\x7f"
                           "ELF\x02\x01\x01\0\0\0\xff\xfe\r\n\x80\x81 0x\n\0\0\x01",
                           24);
    const auto& e = kExample;
    ExpectRefused(
        {
            {"Empty", "", "The file ends before the core area."},
            {"CoreLineOnly", First(1), "The file ends before the number of DC blocks."},
            {"TruncatedInDcBlocks", First(3), "The file ends before DC block 2 of 2."},
            {"TruncatedInTopography", First(9), "The file ends before topography point 3 of 3."},
            {"CoreLineWithThreeNumbers", ReplaceExampleLine(0, "0 200 0"),
             "Line 1: expected the core area: x1 x2 z1 z2."},
            {"BlockLineWithSixFields", ReplaceExampleLine(2, "40 80  10 20  -1  0"),
             "Line 3: expected a DC block: x1 x2"},
            {"VertexLineWithOneNumber", ReplaceExampleLine(7, "0"), "Line 8: expected a topography point: x z."},
            {"NegativeIpCount", Join({e[0], e[1], e[2], e[3], "-2 0", e[6], e[7], e[8], e[9]}),
             "Line 5: the number of IP blocks, -2, is negative."},
            {"100000DcBlocks", ReplaceExampleLine(1, "100000 -3"), "Line 2: 100000 DC blocks are more than the 10000"},
            {"1000000IpBlocks", ReplaceExampleLine(4, "1000000 0"),
             "Line 5: 1000000 IP blocks are more than the 10000"},
            {"10001TopographyPoints", ReplaceExampleLine(6, "10001"), "Line 7: 10001 topography points are more than"},
            {"CountOverflowsInt", ReplaceExampleLine(1, "2147483648 -3"), "Line 2: expected the number of DC blocks."},
            {"TopographyCountNotANumber", ReplaceExampleLine(6, "! none"), "Line 7: expected the number of topography"},
            {"NaNInCoreArea", ReplaceExampleLine(0, "nan 200 0 50"), "Line 1: expected the core area"},
            {"SlopeOfMinus1e12", ReplaceExampleLine(3, "100 140  5 25  -2  -1e12 0"),
             "Line 4: the slope -1e+12 is steeper than 1e+06."},
            {"LogConductivityOf39", ReplaceExampleLine(2, "40 80  10 20  39  0 0"),
             "Line 3: the DC value 39 (log10 of a conductivity) lies beyond 30."},
            {"DcBackgroundOf-31", ReplaceExampleLine(1, "2 -31"), "Line 2: the DC background -31"},
            {"IpValueBeyondFloat", ReplaceExampleLine(5, "40 80  10 20  1e39  0 1"),
             "Line 6: the value 1e+39 is beyond"},
            {"PositionOf1e13", ReplaceExampleLine(8, "1e13 -5"), "Line 9: the position 1e+13 lies beyond 1e+12 units."},
            {"BinaryJunk", junk, "Line 1: expected the core area"},
            {"NulInsideCoreLine", std::string("0 200\0 0 50\r\n", 13) + Join({e.begin() + 1, e.end()}), "Line 1:"},
            {"CoreX2EqualsX1", ReplaceExampleLine(0, "100 100 0 50"),
             "Line 1: the core area must have x1 < x2 and z1 < z2"},
            {"Core1e-320Wide", ReplaceExampleLine(0, "0 1e-320 0 50"), "Line 1: the core area must have"},
            {"CoreWidthOverflows", ReplaceExampleLine(0, "-1e308 1e308 0 50"),
             "Line 1: the position -1e+308 lies beyond"},
        },
        [](const std::string& path, EModelKind) { CModelFile::Read(path); });
}

} // namespace
