#include "mesh/Locations.h"
#include "formats/LocationsFile.h"
#include "mesh/Limits.h"
#include "model/ModelData.h"
#include "platform/FileException.h"
#include "platform/TextFormat.h"
#include "support/MessageLog.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

class LocationsTest : public ::testing::Test {
protected:
    struct Result {
        bool ok;
        int n, transmitters, data;
        double length;
    };

    Result Write(CModelData& m)
    {
        Result r{false, m.m_n, -1, -1, -1};
        r.ok = WriteLocationsFile(m, r.n, r.length, m.m_aSpacing, r.transmitters, r.data);
        return r;
    }

    // The file's lines; a line end other than CR LF fails the test.
    std::vector<std::string> File()
    {
        const std::string bytes = ReadBytes(m_dir.File("loc2d.txt"));
        EXPECT_EQ(CrLf(Lines(bytes)), bytes);
        return Lines(bytes);
    }

    TempDir m_dir;
    CurrentDirGuard m_cwd{m_dir.Path()};
    MessageLog m_log;
    CommaLocale m_locale;
};

TEST_F(LocationsTest, TheFourArraysGiveTheWorkedData)
{
    const struct {
        const char* name;
        int type, transmitters;
        double length;
        int data;
        const char *arrayLine, *first, *second, *last;
    } rows[] = {
        {"pole-pole", 0, 20, 60, 105, "!pole-pole", "0 0  10 10", "0 0  20 20", "190 190  200 200"},
        {"dipole-dipole", 1, 18, 80, 93, "!dipole-dipole", "0 10  20 30", "0 10  30 40", "170 180  190 200"},
        {"pole-dipole(R)", 2, 19, 70, 99, "!pole-dipole", "0 0  10 20", "0 0  20 30", "180 180  190 200"},
        {"pole-dipole(L)", 3, 19, 70, 99, "!pole-dipole", "20 20  10 0", "30 30  20 10", "200 200  140 130"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CModelData m;
        m.m_arrayType = row.type;
        const Result r = Write(m);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ((std::vector<double>{double(r.n), double(r.transmitters), r.length, double(r.data)}),
                  (std::vector<double>{6, double(row.transmitters), row.length, double(row.data)}));
        const std::vector<std::string> lines = File(); // header, array line, one line per datum
        ASSERT_EQ(lines.size(), size_t(row.data + 2));
        EXPECT_EQ(std::vector(lines.begin(), lines.begin() + 4),
                  (std::vector<std::string>{"#6 10 " + std::to_string(row.type) + " 3 2", row.arrayLine, row.first,
                                            row.second}));
        EXPECT_EQ(lines.back(), row.last);
    }
    EXPECT_TRUE(m_log.Empty()) << m_log.Last();
}

TEST_F(LocationsTest, AnNTooLargeIsLoweredInTheModelAndTheLengthButNotTheHeader)
{
    const struct {
        const char* name;
        int type, n, nmax, data;
    } rows[] = {{"pole-pole", 0, 25, 20, 210}, {"dipole-dipole", 1, 25, 18, 171}, {"n at its maximum", 0, 20, 20, 210}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_log.Clear();
        CModelData m;
        m.m_arrayType = row.type, m.m_n = row.n;
        const Result r = Write(m);
        ASSERT_TRUE(r.ok);
        std::vector<std::string> messages;
        if (row.n != row.nmax)
            messages.push_back(FormatC("The value of %i entered for n is too large for this model.\n"
                                       "It has been reduced to %i.",
                                       row.n, row.nmax));
        EXPECT_EQ(m_log.Texts(), messages);
        EXPECT_TRUE(m_log.Empty() || m_log.Boxes()[0].style == unsigned(MB_OK));
        EXPECT_EQ((std::vector<int>{r.n, m.m_n, r.data}), (std::vector<int>{row.nmax, row.nmax, row.data}));
        EXPECT_EQ(r.length, 200); // every array then spans the core
        EXPECT_EQ(File()[0], FormatC("#%i 10 %i 3 2", row.n, row.type));
    }
}

TEST_F(LocationsTest, AFractionalCoreWidthTruncatesTransmittersAndRoom)
{
    CModelData m;
    m.m_coreX2 = 205, m.m_arrayType = 3;
    const Result r = Write(m);
    EXPECT_EQ(r.transmitters, 19) << "R - 1 = 19.5";
    EXPECT_EQ(r.data, 99) << "rooms 1.5, 2.5, ... give 1, 2, ... data";
    const std::vector<std::string> lines = File();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[2], "25 25  15 5") << "the left array counts its sources back from x2";
    EXPECT_EQ(lines[3], "35 35  25 15");
    EXPECT_EQ(lines.back(), "205 205  145 135");
}

TEST_F(LocationsTest, TooManyTransmittersOrDataAreRefusedWithoutTouchingTheFileAndFileErrorsRaise)
{
    const struct {
        const char* name;
        double x2, a;
        int n;
    } rows[] = {{"one transmitter over the limit", 10.0 * (kMaxTransmitters + 1), 10, 6},
                {"a-spacing of 1e-300", 200, 1e-300, 6},
                {"n of 11 for 100000 transmitters", 10.0 * kMaxTransmitters, 10, 11}};
    for (const auto& row : rows) {
        m_log.Clear();
        WriteBytes(m_dir.File("loc2d.txt"), "old");
        CModelData m;
        m.m_coreX2 = row.x2, m.m_aSpacing = row.a, m.m_arrayType = 0, m.m_n = row.n;
        EXPECT_FALSE(Write(m).ok) << row.name;
        EXPECT_EQ(m_log.Boxes().size(), 1u) << row.name;
        EXPECT_EQ(ReadBytes(m_dir.File("loc2d.txt")), "old") << row.name;
    }

    CModelData m;
    m.m_coreX2 = 10.0 * kMaxTransmitters, m.m_arrayType = 0, m.m_n = 1;
    const Result r = Write(m);
    ASSERT_TRUE(r.ok) << "exactly at the limit";
    EXPECT_EQ(r.transmitters, kMaxTransmitters);
    EXPECT_EQ(r.data, kMaxTransmitters);

    CModelData unwritable;
    unwritable.m_locFileName = "missing/loc2d.txt";
    EXPECT_THROW(Write(unwritable), CFileException);
}

// Every electrode of random surveys, read back as the forward program reads them, lies in the core.
TEST_F(LocationsTest, RandomSurveysKeepEveryElectrodeInTheCore)
{
    std::mt19937 random(20240611);
    for (int survey = 0; survey < 300; ++survey) {
        CModelData m;
        m.m_arrayType = int(random() % 4);
        m.m_n = 1 + int(random() % 30);
        m.m_aSpacing = 0.25 * (1 + random() % 40);
        m.m_coreX1 = double(int(random() % 1001) - 500);
        const double width = m.m_aSpacing * std::uniform_real_distribution<>(4, 120)(random);
        m.m_coreX2 = std::round((m.m_coreX1 + width) * 100) / 100; // the double nearest its two decimals
        const std::string name =
            FormatC("type %i n %i a %g core %g..%g", m.m_arrayType, m.m_n, m.m_aSpacing, m.m_coreX1, m.m_coreX2);
        m_log.Clear();
        const int entered = m.m_n;
        const Result r = Write(m);
        ASSERT_TRUE(r.ok) << name;
        EXPECT_EQ(m_log.Empty(), r.n == entered) << name << ": a message exactly when n is lowered";
        EXPECT_LE(r.n, entered) << name;

        const std::vector<CQuadrupole> data = CLocationsFile::Read(m_dir.File("loc2d.txt")).data;
        ASSERT_EQ(data.size(), size_t(r.data)) << name;
        std::set<double> sources;
        for (const CQuadrupole& q : data) {
            for (double x : {q.a, q.b, q.m, q.n})
                ASSERT_TRUE(x >= m.m_coreX1 && x <= m.m_coreX2) << name << ": line " << q.line;
            sources.insert(q.a);
        }
        EXPECT_EQ(int(sources.size()), r.transmitters) << name;
    }
}

} // namespace
