#include "formats/DataFile.h"
#include "BadFiles.h"

namespace {

TEST(DataFile, WrittenWithSixDigitValuesAndExactPositionsAndReadBack)
{
    CommaLocale comma;
    TempDir dir;
    CDataFile dc;
    dc.data = {{0, 0, 10, 20, 1.23456789, 94.24777961}, {500002.5, 500002.5, 500000, 499997.5, 2e-7, -3}};
    dc.Write(dir.File("obs_dc.dat"));
    EXPECT_EQ(ReadBytes(dir.File("obs_dc.dat")), "! A B M N V/I(ohm) rho_a(ohm m)\r\n0 0  10 20  1.23457 94.2478\r\n"
                                                 "500002.5 500002.5  500000 499997.5  2e-07 -3\r\n");
    CDataFile ip;
    ip.ip = true;
    ip.data = {{0, 10, 20, 30, 0, 0.0123456789}};
    ip.Write(dir.File("obs_ip.dat"));
    EXPECT_EQ(ReadBytes(dir.File("obs_ip.dat")), "! A B M N eta_a\r\n0 10  20 30  0.0123457\r\n");
    for (const auto& [f, kind] : {std::pair{&dc, EModelKind::dc}, {&ip, EModelKind::ip}}) {
        const CDataFile back = CDataFile::Read(dir.File(f->ip ? "obs_ip.dat" : "obs_dc.dat"), kind);
        EXPECT_EQ(back.Format(), f->Format());
        EXPECT_EQ(back.data.back().line, f->ip ? 2 : 3);
    }
    EXPECT_EQ(CDataFile::Parse("\n  ! comment\n1 2 3 4 5 6\n", "", EModelKind::dc).data[0].line, 3);
}

TEST(DataFile, BadFilesAreRefusedWithTheirLine)
{
    std::string tooMany;
    for (int i = 0; i <= 1'000'000; ++i)
        tooMany += "0 0  1 2  0.5\n";
    ExpectRefused(
        {
            {"OnlyTheHeader", "! A B M N eta_a\r\n", "It holds no data.", EModelKind::ip},
            {"FiveNumbersForDc", "0 10  20 30  0.01\r\n",
             "Line 1: expected 6 numbers (A B M N V/I rho_a), not \"0 10  20 30  0.01\", which look like IP data."},
            {"SixNumbersForIp", "! A B M N eta_a\r\n0 10  20 30  1 100\r\n",
             "Line 2: expected 5 numbers (A B M N eta_a), not \"0 10  20 30  1 100\", which look like DC data.",
             EModelKind::ip},
            {"CommaDecimal", "0 10  20 30  1,5 100\r\n", "Line 1: expected 6 numbers"},
            {"Infinity", "0 10  20 30  1 inf\r\n", "Line 1: expected 6 numbers"},
            {"PositionsOf1e308", "-1e308 -1e308 1e308 1e308 1 1\r\n", "Line 1: the position -1e+308 lies beyond"},
            {"1000001Data", tooMany, "Line 1000001: the file has more than the 1000000 data", EModelKind::ip},
        },
        [](const std::string& path, EModelKind kind) { CDataFile::Read(path, kind); });
}

TEST(ErrorFile, WrittenWithThreeDigitsAndReadBack)
{
    CommaLocale comma;
    TempDir dir;
    CErrorFile dc, ip;
    dc.data = {{0, 0, 10, 20, 0.0123456}, {500002.5, 500002.5, 500000, 499997.5, 12.3456}};
    ip.ip = true;
    ip.data = {{0, 10, 20, 30, 0.5, 1.23456e-5}};
    dc.Write(dir.File("dc"));
    ip.Write(dir.File("ip"));
    EXPECT_EQ(ReadBytes(dir.File("dc")), "! A B M N error_of_V/I(%)\r\n0 0  10 20  0.0123\r\n"
                                         "500002.5 500002.5  500000 499997.5  12.3\r\n");
    EXPECT_EQ(ReadBytes(dir.File("ip")), "! A B M N error_of_V/I(%) error_of_eta_a\r\n0 10  20 30  0.5 1.23e-05\r\n");
    for (const auto& [f, kind] : {std::pair{&dc, EModelKind::dc}, {&ip, EModelKind::ip}})
        EXPECT_EQ(CErrorFile::Read(dir.File(f->ip ? "ip" : "dc"), kind).Format(), f->Format());
}

TEST(ErrorFile, BadFilesAreRefusedWithTheirLine)
{
    ExpectRefused(
        {
            {"OnlyTheHeader", "! A B M N error_of_V/I(%)\r\n", "It holds no data."},
            {"SixNumbersForDc", "0 10  20 30  0.1 0.2\r\n", "Line 1: expected 5 numbers (A B M N dV)"},
            {"FiveNumbersForIp", "0 10  20 30  0.1\r\n", "Line 1: expected 6 numbers (A B M N dV deta)",
             EModelKind::ip},
            {"NegativeError", "0 10  20 30  -0.1\r\n", "Line 1: an error must be a number of 0 or more, not -0.1"},
            {"NegativeIpError", "0 10  20 30  0.1 -1e-3\r\n", "Line 1: an error must be a number of 0 or more",
             EModelKind::ip},
            {"Infinity", "0 10  20 30  inf\r\n", "Line 1: expected 5 numbers"},
            {"PositionOf1e13", "1e13 0  20 30  0.1\r\n", "Line 1: the position 1e+13 lies beyond"},
        },
        [](const std::string& path, EModelKind kind) { CErrorFile::Read(path, kind); });
}

} // namespace
