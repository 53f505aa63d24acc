#include "model/ModelFile.h"
#include "model/ModelData.h"
#include "support/ExampleModel.h"
#include "support/MessageLog.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::vector<std::string>& kExample = kExampleModel;

std::string Join(const std::vector<std::string>& lines, const char* eol = "\r\n")
{
    std::string text;
    for (const std::string& line : lines)
        text += line + eol;
    return text;
}

std::string Replace(size_t i, const std::string& line)
{
    std::vector<std::string> lines = kExample;
    lines[i] = line;
    return Join(lines);
}

std::string First(long n)
{
    return Join({kExample.begin(), kExample.begin() + n});
}

std::string Discretization(const CModelData& m)
{
    std::ostringstream s;
    s << m.m_n << ' ' << m.m_aSpacing << ' ' << m.m_arrayType << ' ' << m.m_cellsPerElectrode << ' ' << m.m_aspectRatio
      << " / " << m.m_meshType << ' ' << m.m_dx << ' ' << m.m_fwdType;
    return s.str();
}

// Everything a model file sets, as text, so that a difference shows where it is.
std::string Dump(const CModelData& m)
{
    std::ostringstream s;
    s.precision(12);
    auto f = [](float v) {
        std::ostringstream t;
        t << v;
        return t.str();
    }; // six digits, as the file keeps
    s << "core " << m.m_coreX1 << ' ' << m.m_coreX2 << ' ' << m.m_coreZ1 << ' ' << m.m_coreZ2;
    for (const auto* list : {&m.m_dcModel, &m.m_ipModel}) {
        s << '\n'
          << (list == &m.m_dcModel ? "DC " : "IP ") << f(list == &m.m_dcModel ? m.m_dcBackground : m.m_ipBackground);
        for (const CElement& e : *list) {
            const CRect& r = e.m_rect;
            s << "\n  " << e.m_x1 << ' ' << e.m_x2 << ' ' << e.m_z1 << ' ' << e.m_z2 << ' ' << f(e.m_value) << ' '
              << e.m_slope << ' ' << e.m_bEllipse << " rect " << r.left << ',' << r.top << ',' << r.right << ','
              << r.bottom;
            if (e.m_slope != 0)
                s << " top-left " << e.m_corners[0].x << ',' << e.m_corners[0].y;
        }
    }
    s << "\ntopography " << m.m_bTopography;
    for (const CTopoPt& p : m.m_topo)
        s << "\n  " << p.m_x << ' ' << p.m_z << " at " << p.m_pt.x << ',' << p.m_pt.y;
    return s.str() + "\ndiscretization " + Discretization(m);
}

CModelData ExampleModel()
{
    CModelData m;
    m.m_dcModel.emplace_back(40, 10, 80, 20, -1.0f, 0, 0, 0, 50);
    m.m_dcModel.emplace_back(100, 5, 140, 25, -2.0f, 0.5, 0, 0, 50);
    m.m_ipModel.emplace_back(40, 10, 80, 20, 0.1f, 0, 0, 0, 50).m_bEllipse = true;
    m.m_topo = {CTopoPt(0, 0, 0, 0, 50), CTopoPt(100, -5, 0, 0, 50), CTopoPt(200, 0, 0, 0, 50)};
    m.m_bTopography = true;
    return m;
}

// The open model that a failed read must leave alone.
CModelData OpenModel()
{
    CModelData m;
    m.m_coreX1 = 10, m.m_coreX2 = 310, m.m_dcBackground = -2.5f, m.m_ipBackground = 0.05f, m.m_n = 9;
    m.m_dcModel.emplace_back(20, 5, 60, 15, -1.5f, 0.25, 10, 0, m.LogicalScale());
    m.m_topo = {CTopoPt(10, 0, 10, 0, m.LogicalScale()), CTopoPt(310, 4, 10, 0, m.LogicalScale())};
    m.m_bTopography = true;
    return m;
}

class ModelFileTest : public ::testing::Test {
protected:
    bool Read(const std::string& bytes, CModelData& m)
    {
        WriteBytes(m_dir.File("model.mod"), bytes);
        return ReadModelFile(m_dir.File("model.mod"), m);
    }

    TempDir m_dir;
    MessageLog m_log;
};

TEST_F(ModelFileTest, WritesTheExampleByteForByteInAnyLocale)
{
    for (bool comma : {false, true}) {
        std::optional<CommaLocale> locale;
        if (comma)
            locale.emplace();
        ASSERT_TRUE(WriteModelFile(m_dir.File("example.mod"), ExampleModel())) << m_log.Last();
        EXPECT_EQ(ReadBytes(m_dir.File("example.mod")), Join(kExample)) << (comma ? "comma locale" : "C locale");
    }
    EXPECT_TRUE(m_log.Empty()) << m_log.Last();
}

TEST_F(ModelFileTest, RoundTripKeepsSixSignificantDigits)
{
    CommaLocale comma;
    CModelData m;
    m.m_dcBackground = -3.25f;
    m.m_ipBackground = 0.0123456789f;
    m.m_dcModel.emplace_back().SetGeometry(1234567.8, -0.000123456789, 2e-5, 3.14159265, -2.718281828f, -1.0 / 3);
    m.m_ipModel.emplace_back().m_bEllipse = true;
    m.m_topo = {CTopoPt(1.5, -7.25), CTopoPt(123456789, 0.001)};
    const std::string path = m_dir.File("round.mod");
    ASSERT_TRUE(WriteModelFile(path, m));
    EXPECT_NE(ReadBytes(path).find("\r\n1.23457e+06 2e-05  -0.000123457 3.14159  -2.71828  -0.333333 0\r\n"),
              std::string::npos)
        << ReadBytes(path);

    CModelData back = OpenModel();
    ASSERT_TRUE(ReadModelFile(path, back)) << m_log.Last();
    EXPECT_EQ(Dump(back), "core 0 200 0 50\n"
                          "DC -3.25\n"
                          "  1234570 2e-05 -0.000123457 3.14159 -2.71828 -0.333333 0 rect 61728500,0,1,158 "
                          "top-left 61728474,0\n"
                          "IP 0.0123457\n"
                          "  0 0 0 0 0 0 1 rect 0,0,1,1\n"
                          "topography 1\n"
                          "  1.5 -7.25 at 75,-363\n"
                          "  123457000 0.001 at 2147483647,0\n"
                          "discretization 9 10 2 3 2 / 0 -1 0");
}

TEST_F(ModelFileTest, ReadsTheExampleWrittenInAnyOfTheAcceptedWays)
{
    const std::pair<const char*, std::string> rows[] = {
        {"LF", Join(kExample, "\n")},
        {"last line without line end", Join(kExample).substr(0, Join(kExample).size() - 2)},
        {"hexadecimal count", Replace(4, "0x1 0")},
        {"any non-zero ellipse flag", Replace(5, "40 80  10 20  0.1  0 -2")},
        {"trailing text on every line", Join(kExample, " x\r\n")},
    };
    for (const auto& [name, bytes] : rows) {
        CModelData m = OpenModel();
        m.m_n = 6;
        ASSERT_TRUE(Read(bytes, m)) << name << ": " << m_log.Last();
        EXPECT_EQ(Dump(m), Dump(ExampleModel())) << name;
    }
    EXPECT_TRUE(m_log.Empty()) << m_log.Last();

    CModelData m = OpenModel();
    ASSERT_TRUE(Read(Replace(1, "2  ! DC # of blocks, background"), m)) << m_log.Last();
    EXPECT_EQ(m.m_dcBackground, -2.5f) << "a count without a background keeps the background";

    // Logical geometry starts at the core area's top-left corner.
    ASSERT_TRUE(Read(Join({"100 300 10 60", "1 -3", "140 180 20 30 -1 0 0", "0 0", "1", "200 5"}), m));
    EXPECT_EQ(m.m_dcModel.front().m_rect, (CRect{2000, 500, 4001, 1001}));
    EXPECT_EQ(m.m_topo.front().m_pt, (CPoint{5000, -250}));
}

// A failed read names the file and leaves the open model alone.
TEST_F(ModelFileTest, BadFilesAreRefusedAndTheOpenModelStaysAsItWas)
{
    const std::string junk("\x7f"
                           "ELF\x02\x01\x01\0\0\0\xff\xfe\r\n\x80\x81 0x\n\0\0\x01",
                           24);
    const auto& e = kExample;
    const std::pair<const char*, std::string> rows[] = {
        {"Empty", ""},
        {"CoreLineOnly", First(1)},
        {"TruncatedInDcBlocks", First(3)},
        {"TruncatedInIpBlocks", First(5)},
        {"TruncatedInTopography", First(9)},
        {"CoreLineWithThreeNumbers", Replace(0, "0 200 0")},
        {"BlockLineWithSixFields", Replace(2, "40 80  10 20  -1  0")},
        {"VertexLineWithOneNumber", Replace(7, "0")},
        // Read as zero, the rest of this file would be well formed.
        {"NegativeIpCount", Join({e[0], e[1], e[2], e[3], "-2 0", e[6], e[7], e[8], e[9]})},
        {"HugeCountWithFewLines", Replace(1, "2147483647 -3")},
        {"CountOverflowsInt", Replace(1, "2147483648 -3")},
        {"CountNotANumber", Replace(1, "two -3")},
        {"TopographyCountNotANumber", Replace(6, "! none")},
        {"NaNInCoreArea", Replace(0, "nan 200 0 50")},
        {"InfSlope", Replace(3, "100 140  5 25  -2  inf 0")},
        {"ValueBeyondFloat", Replace(5, "40 80  10 20  1e39  0 1")},
        {"BinaryJunk", junk},
        {"NulInsideCoreLine", std::string("0 200\0 0 50\r\n", 13) + Join({e.begin() + 1, e.end()})},
        {"CoreX2EqualsX1", Replace(0, "100 100 0 50")},
        {"CoreZ2BelowZ1", Replace(0, "0 200 50 0")},
        {"CoreTooNarrowForAScale", Replace(0, "0 1e-320 0 50")},
        {"CoreWidthOverflows", Replace(0, "-1e308 1e308 0 50")},
    };
    const std::string path = m_dir.File("bad.mod");
    auto expectRefused = [&](const char* name, const std::string& message) {
        m_log.Clear();
        CModelData m = OpenModel();
        EXPECT_FALSE(ReadModelFile(path, m)) << name;
        EXPECT_EQ(m_log.Texts(), std::vector<std::string>{message}) << name;
        EXPECT_EQ(Dump(m), Dump(OpenModel())) << name;
    };
    expectRefused("missing", path + "\nCannot find this file.\nVerify that the correct path and file name are given.");
    for (const auto& [name, bytes] : rows) {
        WriteBytes(path, bytes);
        expectRefused(name, "Error reading\n" + path);
    }
    fs::remove(path);
    fs::create_directory(path);
    expectRefused("folder", "Unable to read from " + path + ", it is opened by someone else.");
}

TEST_F(ModelFileTest, TopographyIsFlatOnlyWithAtMostTwoVerticesAtDepthZero)
{
    const std::pair<std::vector<std::string>, bool> rows[] = {
        {{"0"}, false},
        {{"-4"}, false},
        {{"1", "0 2"}, true},
        {{"2", "0 0", "200 0"}, false},
        {{"2", "0 -3", "200 0"}, true},
        {{"3", "0 0", "100 0", "200 0"}, true},
    };
    for (const auto& [topography, notFlat] : rows) {
        std::vector<std::string> lines(kExample.begin(), kExample.begin() + 6);
        lines.insert(lines.end(), topography.begin(), topography.end());
        CModelData m = OpenModel();
        m.m_bTopography = !notFlat;
        ASSERT_TRUE(Read(Join(lines), m)) << m_log.Last();
        EXPECT_EQ(m.m_topo.size(), topography.size() - 1) << Join(topography, " / ");
        EXPECT_EQ(m.m_bTopography, notFlat) << Join(topography, " / ");
    }
}

TEST_F(ModelFileTest, ReservedNamesAreNeitherReadNorWritten)
{
    auto text = [](const char* direction) {
        return std::string("Cannot use \"model2d.con\" or \"model2d.chg\" as the\n") + direction +
               " filenames, since these files are used to store the\ndescretized models used for forward modelling.";
    };
    for (const char* name : {"MODEL2D.CON", "Model2D.chg"}) {
        const std::string path = m_dir.File(name);
        m_log.Clear();
        EXPECT_FALSE(WriteModelFile(path, ExampleModel())) << name;
        EXPECT_TRUE(fs::is_empty(m_dir.Path())) << name << " was written";
        WriteBytes(path, Join(kExample));
        CModelData m = OpenModel();
        EXPECT_FALSE(ReadModelFile(path, m)) << name;
        EXPECT_EQ(Dump(m), Dump(OpenModel())) << name;
        EXPECT_EQ(m_log.Texts(), (std::vector<std::string>{text("output"), text("input")})) << name;
        fs::remove(path);
    }
    for (const char* name : {"model2d.con.bak", "my_model2d.con"}) {
        CModelData m = OpenModel();
        EXPECT_TRUE(WriteModelFile(m_dir.File(name), ExampleModel()) && ReadModelFile(m_dir.File(name), m)) << name;
    }
}

TEST_F(ModelFileTest, LocationsFileHeaderBesideTheModelSetsTheDiscretization)
{
    const char* const unchanged = "4 5 0 2 1.5 / 1 0.5 2";
    const std::pair<const char*, const char*> rows[] = {
        {"#6 10 1 3 2", "6 10 1 3 2 / 1 0.5 2"},
        {"# 6 10 1 3 2  trailing", "6 10 1 3 2 / 1 0.5 2"},
        {"#8 2.5", "8 2.5 0 2 1.5 / 1 0.5 2"},
        {"#6 10 7 3 2", "6 10 0 2 1.5 / 1 0.5 2"},
        {"#6 10 -1 3 2", "6 10 0 2 1.5 / 1 0.5 2"},
        {"6 10 1 3 2", unchanged},
        {"", unchanged},
        {"#x 10 1 3 2", unchanged},
    };
    TempDir elsewhere;
    CurrentDirGuard cwd(elsewhere.Path());
    for (const auto& [header, expected] : rows) {
        WriteBytes(m_dir.File("loc2d.txt"), std::string(header) + "\r\n1 0 0\r\n");
        CModelData m;
        m.m_n = 4, m.m_aSpacing = 5, m.m_arrayType = 0, m.m_cellsPerElectrode = 2, m.m_aspectRatio = 1.5;
        m.m_meshType = 1, m.m_dx = 0.5, m.m_fwdType = 2;
        ASSERT_TRUE(Read(Join(kExample), m)) << m_log.Last();
        EXPECT_EQ(Discretization(m), expected) << '"' << header << '"';
    }
}

TEST_F(ModelFileTest, AFailedSaveKeepsTheOldFile)
{
    const std::string path = m_dir.File("model.mod");
    WriteBytes(path, Join(kExample));
    CModelData big = ExampleModel();
    big.m_dcModel.resize(5000);
    // A file size limit makes the write fail part way, as a full disk would.
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = previous;
    limit.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_FALSE(WriteModelFile(path, big));
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, handler);

    ASSERT_EQ(m_log.Boxes().size(), 1u);
    EXPECT_NE(m_log.Last().find(path), std::string::npos) << m_log.Last();
    EXPECT_EQ(m_log.Boxes()[0].style, unsigned(MB_ICONERROR));
    EXPECT_EQ(ReadBytes(path), Join(kExample));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir.Path()), fs::directory_iterator()), 1)
        << "temporary file left";
}

} // namespace
