#include "mesh/Locations.h"
#include "formats/LocationsFile.h"
#include "mesh/Limits.h"
#include "model/ModelData.h"
#include "platform/FileException.h"
#include "platform/Refusal.h"
#include "platform/TextFormat.h"
#include "support/MessageLog.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <tuple>
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
        Result r{false, m.m_discretize.n, -1, -1, -1};
        r.ok = Attempt([&] {
            const CSurveySize size = WriteLocationsFile(m);
            ShowWarnings(size.warnings);
            r = {true, size.n, size.transmitters, size.data, size.arrayLength};
        });
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
        m.m_discretize.array = EArray(row.type);
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

// On a core of 0..50 with a = 10 the electrodes stand at 0, 10, ... 50.
TEST_F(LocationsTest, TheArraysOnNumberedElectrodesGiveTheirHandMadeLists)
{
    WriteBytes("protocol.txt", "# A B M N\n1 0 2 0\n3 6 4 5  # dipoles\n\n2 0 4 3\n");
    const struct {
        const char* name;
        EArray array;
        int n, transmitters;
        double length;
        const char* data; // the lines after the header, joined by '|'
    } rows[] = {
        {"Wenner", EArray::wenner, 1, 3, 30, "!wenner|0 30  10 20|10 40  20 30|20 50  30 40"},
        {"Wenner-Schlumberger", EArray::wennerSchlumberger, 2, 4, 50,
         "!wenner-schlumberger|0 30  10 20|0 50  20 30|10 40  20 30|20 50  30 40"},
        {"gradient", EArray::gradient, 2, 2, 40, "!gradient|0 40  10 20|0 40  20 30|10 50  20 30|10 50  30 40"},
        {"protocol", EArray::protocol, 6, 3, 30, "!protocol|0 0  10 10|20 50  30 40|10 10  30 20"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CModelData m;
        m.m_coreX2 = 50, m.m_discretize.array = row.array, m.m_discretize.n = row.n;
        m.m_discretize.protocolFile = "protocol.txt";
        const Result r = Write(m);
        ASSERT_TRUE(r.ok) << m_log.Last();
        const std::vector<std::string> lines = File();
        EXPECT_EQ((std::vector<double>{double(r.transmitters), r.length, double(r.data)}),
                  (std::vector<double>{double(row.transmitters), row.length, double(lines.size() - 2)}));
        EXPECT_EQ(lines[0], FormatC("#%i 10 %i 3 2", row.n, int(row.array)));
        std::string data = row.data;
        std::replace(data.begin(), data.end(), '|', '\n');
        EXPECT_EQ(std::vector(lines.begin() + 1, lines.end()), Lines(data));
    }
    EXPECT_TRUE(m_log.Empty()) << m_log.Last();

    // What does not fit: n lowered as for the other arrays, a protocol electrode beyond the core.
    CModelData m;
    m.m_coreX2 = 50;
    const std::tuple<EArray, int, int> lowered[] = {
        {EArray::wenner, 3, 1}, {EArray::wennerSchlumberger, 5, 2}, {EArray::gradient, 5, 3}};
    for (const auto& [array, n, largest] : lowered) {
        m.m_discretize.array = array, m.m_discretize.n = n;
        const Result r = Write(m);
        EXPECT_TRUE(r.ok && r.n == largest) << n;
        EXPECT_EQ(m_log.Last(), FormatC("The value of %i entered for n is too large for this model.\nIt has been "
                                        "reduced to %i.",
                                        n, largest));
    }
    WriteBytes("protocol.txt", "1 7 2 3\n");
    m.m_discretize.array = EArray::protocol, m.m_discretize.protocolFile = "protocol.txt";
    EXPECT_FALSE(Write(m).ok);
    EXPECT_EQ(m_log.Last(), "Electrode 7 of the protocol lies at x = 60, beyond the core area's right edge at 50.\n"
                            "Choose a smaller a-spacing or a wider core area.");
    // A pole source midway between M and N, and a pole receiver midway between A and B.
    for (const char* line : {"3 0 2 4", "1 3 2 0"}) {
        WriteBytes("protocol.txt", std::string("1 2 3 4\n") + line + "\n");
        EXPECT_FALSE(Write(m).ok) << line;
        EXPECT_EQ(m_log.Last(), "Line 2 of the protocol, " + std::string(line) +
                                    ", measures nothing on flat ground: its geometric factor is infinite.");
    }
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
        m.m_discretize.array = EArray(row.type), m.m_discretize.n = row.n;
        const Result r = Write(m);
        ASSERT_TRUE(r.ok);
        std::vector<std::string> messages;
        if (row.n != row.nmax)
            messages.push_back(FormatC("The value of %i entered for n is too large for this model.\n"
                                       "It has been reduced to %i.",
                                       row.n, row.nmax));
        EXPECT_EQ(m_log.Texts(), messages);
        EXPECT_TRUE(m_log.Empty() || m_log.Boxes()[0].style == unsigned(MB_OK));
        EXPECT_EQ((std::vector<int>{r.n, m.m_discretize.n, r.data}), (std::vector<int>{row.nmax, row.nmax, row.data}));
        EXPECT_EQ(r.length, 200); // every array then spans the core
        EXPECT_EQ(File()[0], FormatC("#%i 10 %i 3 2", row.n, row.type));
    }
}

TEST_F(LocationsTest, AFractionalCoreWidthTruncatesTransmittersAndRoom)
{
    CModelData m;
    m.m_coreX2 = 205, m.m_discretize.array = EArray::poleDipoleLeft;
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
        m.m_coreX2 = row.x2, m.m_discretize.aSpacing = row.a, m.m_discretize.array = EArray::polePole,
        m.m_discretize.n = row.n;
        EXPECT_FALSE(Write(m).ok) << row.name;
        EXPECT_EQ(m_log.Boxes().size(), 1u) << row.name;
        EXPECT_EQ(ReadBytes(m_dir.File("loc2d.txt")), "old") << row.name;
    }

    CModelData m;
    m.m_coreX2 = 10.0 * kMaxTransmitters, m.m_discretize.array = EArray::polePole, m.m_discretize.n = 1;
    const Result r = Write(m);
    ASSERT_TRUE(r.ok) << "exactly at the limit";
    EXPECT_EQ(r.transmitters, kMaxTransmitters);
    EXPECT_EQ(r.data, kMaxTransmitters);

    std::filesystem::remove(m_dir.File("loc2d.txt"));
    std::filesystem::create_directory(m_dir.File("loc2d.txt")); // in the way
    EXPECT_THROW(WriteLocationsFile(m), CFileException);
}

// Every electrode of random surveys, read back as the forward program reads them, lies in the core.
TEST_F(LocationsTest, RandomSurveysKeepEveryElectrodeInTheCore)
{
    std::mt19937 random(20240611);
    for (int survey = 0; survey < 300; ++survey) {
        CModelData m;
        m.m_discretize.array = EArray(int(random() % 4));
        m.m_discretize.n = 1 + int(random() % 30);
        m.m_discretize.aSpacing = 0.25 * (1 + random() % 40);
        m.m_coreX1 = double(int(random() % 1001) - 500);
        const double width = m.m_discretize.aSpacing * std::uniform_real_distribution<>(4, 120)(random);
        m.m_coreX2 = std::round((m.m_coreX1 + width) * 100) / 100; // the double nearest its two decimals
        const std::string name = FormatC("type %i n %i a %g core %g..%g", int(m.m_discretize.array), m.m_discretize.n,
                                         m.m_discretize.aSpacing, m.m_coreX1, m.m_coreX2);
        m_log.Clear();
        const int entered = m.m_discretize.n;
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
