#include "formats/LocationsFile.h"
#include "BadFiles.h"
#include "formats/ProtocolFile.h"

namespace {

TEST(LocationsFile, WrittenWithExactPositionsAndReadBack)
{
    CommaLocale comma;
    TempDir dir;
    CLocationsFile f;
    f.header = {6, 2.5, EArray::poleDipoleLeft, 4, 1.5};
    // Six digits would give 500002 for 500002.5, and 0.3 for 0.1 * 3.
    f.data = {{20, 20, 10, 0}, {500002.5, 500002.5, 500000, 499997.5}, {0.1 * 3, 0.2, 0.4, 0.5}};
    f.Write(dir.File("loc"));
    EXPECT_EQ(ReadBytes(dir.File("loc")), "#6 2.5 3 4 1.5\r\n!pole-dipole\r\n20 20  10 0\r\n"
                                          "500002.5 500002.5  500000 499997.5\r\n"
                                          "0.30000000000000004 0.2  0.4 0.5\r\n");
    const CLocationsFile back = CLocationsFile::Read(dir.File("loc"));
    EXPECT_EQ(back.Format(), f.Format());
    EXPECT_EQ(back.data[2].line, 5);
    EXPECT_EQ(CLocationsFile::ReadHeader(dir.File("loc")).aspectRatio, 1.5);

    // Comments and blank lines anywhere, LF line ends, no header.
    const CLocationsFile lf = CLocationsFile::Parse("  ! dipoles\n\n0 10  20 30\n# more\n10 20 30 40\n", "");
    EXPECT_EQ(lf.header.fields, 0);
    EXPECT_EQ((std::vector<double>{lf.data[1].a, lf.data[1].n, double(lf.data[1].line)}),
              (std::vector<double>{10, 40, 5}));

    // The header only saves retyping the discretization: it gives the fields up to the first
    // that is not a number in its range, and a file without one gives none.
    const std::pair<const char*, int> headers[] = {
        {"# 6 10 1 3 2  trailing", 5}, {"#8 2.5", 2},      {"#6 10 8 3 2", 2}, {"#6 10 -1 3 2", 2}, {"#6 10 1 0 2", 3},
        {"#6 -10 1 3 2", 1},           {"#0 10 1 3 2", 0}, {"6 10 1 3 2", 0},  {"#x 10 1 3 2", 0},  {"", 0},
    };
    for (const auto& [line, fields] : headers)
        EXPECT_EQ(CLocationsHeader::Parse(line).fields, fields) << '"' << line << '"';
    for (const char* name : {"missing", "."})
        EXPECT_EQ(CLocationsFile::ReadHeader(dir.File(name)).fields, 0) << name;
}

TEST(LocationsFile, BadFilesAreRefusedWithTheirLine)
{
    std::string tooMany = "#6 10 2 3 2\n";
    for (int i = 0; i <= 1'000'000; ++i)
        tooMany += "0 0  1 2\n";
    ExpectRefused(
        {
            {"OnlyTheHeaderAndArrayLine", "#6 10 2 3 2\r\n!pole-dipole\r\n", "It holds no data."},
            {"ThreePositions", "#6 10 2 3 2\r\n0 0  10\r\n", "Line 2: expected four electrode positions A B M N."},
            {"FivePositions", "0 0  10 20 30\r\n", "Line 1: expected four electrode positions A B M N, but \"30\""},
            {"CommaDecimal", "0 0  10,5 20\r\n", "Line 1: expected four electrode positions"},
            {"NaNPosition", "0 0  nan 20\r\n", "Line 1: expected four electrode positions"},
            {"PositionOf-1e308", "-1e308 -1e308  1e308 1e308\r\n", "Line 1: the position -1e+308 lies beyond"},
            {"1000001Data", tooMany, "Line 1000002: the survey has more than the 1000000 data"},
        },
        [](const std::string& path, EModelKind) { CLocationsFile::Read(path); });
}

TEST(ProtocolFile, ReadBackAndBadFilesRefusedWithTheirLine)
{
    TempDir dir;
    CProtocolFile f;
    f.data = {{1, 0, 2, 0}, {3, 6, 4, 5}, {2, 0, 4, 3}};
    f.Write(dir.File("protocol"));
    const CProtocolFile back = CProtocolFile::Read(dir.File("protocol"));
    EXPECT_EQ(back.Format(), f.Format());
    EXPECT_EQ(back.Electrodes(), 6);
    EXPECT_EQ(CProtocolFile::Parse("\n 1 2 3 4 # one\n", "").data[0].line, 2);
    ExpectRefused(
        {
            {"OnlyComments", "# A B M N\r\n\r\n", "It holds no data."},
            {"ThreeNumbers", "1 2 3\r\n", "Line 1: expected four electrode numbers A B M N."},
            {"AnIndexFirst", "1 1 2 3 4\r\n", "Line 1: expected four electrode numbers A B M N, but \"4\""},
            {"Positions", "1.5 2 3 4\r\n", "Line 1: expected four electrode numbers"},
            {"Negative", "1 -2 3 4\r\n", "Line 1: the electrode number -2 is not one of 1 to 100000"},
            {"AAtInfinity", "0 2 3 4\r\n", "Line 1: A and M must be electrodes of the line"},
            {"MAtInfinity", "1 2 0 3\r\n", "Line 1: A and M must be electrodes of the line"},
            {"AOnB", "1 1 2 3\r\n", "Line 1: the electrode 1 appears twice"},
            {"NOnM", "1 2 3 3\r\n", "Line 1: the electrode 3 appears twice"},
            {"MOnA", "\r\n1 2 1 4\r\n", "Line 2: the electrode 1 appears twice"},
        },
        [](const std::string& path, EModelKind) { CProtocolFile::Read(path); });
}

// The engine numbers the electrodes by this rule and the export after it, so both agree.
TEST(LocationsFile, PositionsWithinABillionthOfTheSurveysExtentAreOneElectrode)
{
    const std::vector<double> electrodes = ElectrodePositions({10, 0, 10 + 5e-9, 0, 20, 10 - 1e-12});
    EXPECT_EQ(electrodes, (std::vector<double>{0, 10 - 1e-12, 20}));
    for (const double x : {10 - 1e-12, 10.0, 10 + 5e-9})
        EXPECT_EQ(ElectrodeIndex(electrodes, x), 1) << x;
    EXPECT_EQ(ElectrodePositions({5, 5 + 1e-8}).size(), 2u) << "a short survey keeps its electrodes apart";
}

} // namespace
