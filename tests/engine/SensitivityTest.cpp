// The sensitivities d ln V / d ln sigma against the data themselves (finite differences), the sum
// rule of a uniform earth, reciprocity and the half-space's closed form.
#include "engine/general/EngineError.h"
#include "engine/general/RunLog.h"
#include "engine/modelling/ForwardModel.h"
#include "engine/program/Ferrovan.h"
#include "engine/program/SensitivityFiles.h"
#include "formats/MeshFile.h"
#include "formats/ValuesFile.h"
#include "platform/FilePath.h"
#include "platform/TextFormat.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <numeric>
#include <random>

namespace {

// A flat earth on a mesh of square cells from -60 to 60 and 0 to 60, conductivity per cell from
// value(cell), read as the program reads it.
void WriteFlatEarth(const std::string& locations, const std::function<float(int)>& value, double cell)
{
    const int across = static_cast<int>(std::lround(120 / cell)), down = across / 2;
    const std::string mesh =
        FormatC("5\n-1000 -300 1\n -60 1\n 60 %d\n 300 1\n 1000 1\n\n3\n0 60 %d\n 200 1\n 1000 1\n", across, down);
    WriteBytes("mesh2d.txt", mesh);
    WriteBytes("loc2d.txt", "!protocol\n" + locations);
    const CMeshFile m = CMeshFile::Parse(mesh, "mesh2d.txt");
    std::vector<float> values(static_cast<size_t>(m.x.Cells()) * m.z.Cells());
    for (size_t c = 0; c < values.size(); ++c)
        values[c] = value(static_cast<int>(c));
    CValuesFile::Write("model2d.con", m.x.Cells(), m.z.Cells(), values);
    WriteBytes("ferrovan.inp", "FWD DC\nMESH FILE mesh2d.txt\nLOC LOC_X loc2d.txt\nCOND FILE model2d.con\n");
}

CForwardInput FlatEarth(const std::string& locations, const std::function<float(int)>& value, double cell = 5)
{
    TempDir dir;
    CurrentDirGuard guard(dir.Path());
    WriteFlatEarth(locations, value, cell);
    CRunLog log;
    return ReadForwardFiles(ReadForwardJob("ferrovan.inp", log), log);
}

CForwardResult Solve(const CForwardInput& in, bool sensitivities)
{
    CRunLog log;
    CEngineOptions options;
    options.sensitivities = sensitivities;
    return ComputeData(in, log, options);
}

double J(const CSensitivities& s, int datum, int cell)
{
    return s.values[static_cast<size_t>(cell) * s.data + datum];
}

const char* const kData = "-30 -20  0 10\n-10 -10  10 10\n-20 -20  0 10\n20 30  -10 -20\n";

TEST(Sensitivity, MatchesFiniteDifferencesOfTheData)
{
    // Every cell its own value, so that a cell changed by 1 % draws no new line in the grid.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> within(0.005f, 0.015f);
    const CForwardInput in = FlatEarth(kData, [&](int) { return within(random); });
    const CForwardResult result = Solve(in, true);
    const CSensitivities& s = result.sensitivities;
    ASSERT_EQ(s.data, 4);
    for (int i = 0; i < s.data; ++i) {
        // The cells that carry most of the datum's sensitivity, and one that carries little.
        std::vector<int> cells(s.cells);
        std::iota(cells.begin(), cells.end(), 0);
        std::sort(cells.begin(), cells.end(),
                  [&](int a, int b) { return std::fabs(J(s, i, a)) > std::fabs(J(s, i, b)); });
        for (int rank : {0, 2, 40}) {
            const int c = cells[rank];
            CForwardInput changed = in;
            changed.conductivity[c] *= 1.01;
            const double up = Solve(changed, false).voltage[i];
            changed.conductivity[c] = in.conductivity[c] * 0.99;
            const double down = Solve(changed, false).voltage[i];
            const double difference = std::log(up / down) / std::log(1.01 / 0.99);
            EXPECT_NEAR(J(s, i, c), difference, 0.01 * std::fabs(difference) + 1e-7)
                << "datum " << i << ", cell " << c << " (rank " << rank << ")";
        }
    }
}

TEST(Sensitivity, SumToMinusOneOnAUniformEarthAndAreReciprocal)
{
    // Scaling every conductivity scales every potential inversely; swapping source and receiver
    // leaves the datum, and so its sensitivities, unchanged. With one cell between electrodes
    // their neighbourhoods touch, and the fields come without the congruence. The fields are
    // held in single precision.
    for (double cell : {5.0, 10.0}) {
        const CForwardInput in = FlatEarth(
            std::string(kData) + "0 10  -30 -20\n10 10  -10 -10\n", [](int) { return 0.01f; }, cell);
        const CSensitivities s = Solve(in, true).sensitivities;
        for (int i = 0; i < s.data; ++i) {
            double sum = 0;
            for (int c = 0; c < s.cells; ++c)
                sum += J(s, i, c);
            EXPECT_NEAR(sum, -1, 1e-6) << "datum " << i << ", cells of " << cell;
        }
        for (auto [i, k] : {std::pair{0, 4}, {1, 5}})
            for (int c = 0; c < s.cells; ++c)
                EXPECT_NEAR(J(s, i, c), J(s, k, c), 1e-6 * std::fabs(J(s, i, c)) + 1e-12)
                    << "data " << i << " and " << k << ", cell " << c;
    }
}

// The half-space's pole-pole sensitivity of the cell x0..x1, z0..z1, electrodes at a and m:
// J = -(r / 2 pi) times the integral over the cell and along strike of grad(1/rA).grad(1/rM),
// r = |a - m|.
double HalfSpacePolePole(double a, double m, double x0, double x1, double z0, double z1)
{
    // Gauss-Legendre, 8 points, on each of 4 x 4 parts of the cell; along strike y = t / (1 - t).
    static const double node[] = {0.1834346424956498, 0.5255324099163290, 0.7966664774136267, 0.9602898564975363};
    static const double weight[] = {0.3626837833783620, 0.3137066458778873, 0.2223810344533745, 0.1012285362903763};
    auto rule = [&](double lo, double hi, int parts, const std::function<double(double)>& f) {
        double sum = 0;
        const double width = (hi - lo) / parts;
        for (int p = 0; p < parts; ++p)
            for (int j = 0; j < 8; ++j) {
                const double u = (j % 2 ? 1 : -1) * node[j / 2];
                sum += 0.5 * width * weight[j / 2] * f(lo + width * (p + 0.5 + 0.5 * u));
            }
        return sum;
    };
    const double integral = rule(x0, x1, 4, [&](double x) {
        return rule(z0, z1, 4, [&](double z) {
            return 2 * rule(0, 1, 64, [&](double t) {
                       const double y = t / (1 - t), dy = 1 / ((1 - t) * (1 - t));
                       const double ra = std::sqrt((x - a) * (x - a) + y * y + z * z);
                       const double rm = std::sqrt((x - m) * (x - m) + y * y + z * z);
                       return ((x - a) * (x - m) + y * y + z * z) / (ra * ra * ra * rm * rm * rm) * dy;
                   });
        });
    });
    return -std::fabs(a - m) / (2 * M_PI) * integral;
}

TEST(Sensitivity, ABudgetTooSmallForEveryWavenumberTakesThemInTurn)
{
    // The smallest budget that lets the sensitivities run holds the fields of one wavenumber at a
    // time; the sweeps must add up to what one sweep of all of them gives.
    const CForwardInput in = FlatEarth(kData, [](int c) { return c % 7 == 0 ? 0.1f : 0.01f; });
    CRunLog log;
    CEngineOptions options;
    const CPolePoleSensitivities whole = PolePoleSensitivities(in, log, options);
    for (options.memoryBudget = 10e6; options.memoryBudget < 30e6; options.memoryBudget += 40e3) {
        CRunLog batched;
        CPolePoleSensitivities parts;
        try {
            parts = PolePoleSensitivities(in, batched, options);
        } catch (const CEngineError& e) {
            const std::string message = e.what();
            ASSERT_TRUE(message.rfind("The sensitivities need about ", 0) == 0 ||
                        message.rfind("This run would need about ", 0) == 0)
                << message;
            continue;
        }
        const auto& lines = batched.Lines();
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
            return l.find("the cells are swept") != std::string::npos;
        }));
        ASSERT_EQ(parts.values.size(), whole.values.size());
        double largest = 0;
        for (double v : whole.values)
            largest = std::max(largest, std::fabs(v));
        for (size_t v = 0; v < whole.values.size(); ++v)
            ASSERT_NEAR(parts.values[v], whole.values[v], 1e-6 * largest) << "entry " << v;
        return;
    }
    FAIL() << "no budget up to 30 MB let the sensitivities run";
}

TEST(Sensitivity, HalfSpacePolePoleAsItsClosedForm)
{
    // Cells of 2.5 m, eight between the electrodes: with four the cells are 3 % off.
    const CForwardInput in = FlatEarth(
        "-10 -10  10 10\n", [](int) { return 0.01f; }, 2.5);
    const CSensitivities s = Solve(in, true).sensitivities;
    const CMesh& mesh = in.mesh;
    // Cells beside, between, under and beyond the electrodes, down to 1.5 times their distance.
    for (auto [i, k] : {std::pair{22, 4}, {18, 2}, {26, 6}, {14, 8}, {30, 12}}) {
        const double exact =
            HalfSpacePolePole(-10, 10, mesh.xNodes[i], mesh.xNodes[i + 1], mesh.zNodes[k], mesh.zNodes[k + 1]);
        EXPECT_NEAR(J(s, 0, k * mesh.nx + i), exact, 0.015 * std::fabs(exact)) << "cell " << i << ", " << k;
    }
}

TEST(Sensitivity, MedianDepthsOfAHalfSpaceAreEdwards)
{
    // Edwards (1977): pole-pole 0.867 a, dipole-dipole n = 1 0.416 a, Wenner 0.519 a.
    const CForwardInput in = FlatEarth(
        "-10 -10  10 10\n-15 -5  5 15\n-15 15  -5 5\n", [](int) { return 0.01f; }, 2.5);
    const std::vector<double> depth = MedianDepths(in, Solve(in, true).sensitivities);
    const double expected[] = {0.867 * 20, 0.416 * 10, 0.519 * 10};
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(depth[i], expected[i], 0.02 * expected[i]) << "datum " << i;
}

TEST(Sensitivity, TheProgramWritesItsFilesAndRefusesNamesTakenByOthers)
{
    TempDir dir;
    CurrentDirGuard guard(dir.Path());
    WriteFlatEarth(
        "-30 -20  0 10\n-10 -10  10 10\n", [](int) { return 0.01f; }, 5);
    const std::string job = "FWD DC\nMESH FILE mesh2d.txt\nLOC LOC_X loc2d.txt\nCOND FILE model2d.con\n";
    WriteBytes("ferrovan.inp", job + "SENS FILE sens2d.con\nJACOBIAN FILE jacobian.bin\nDOI FILE doi2d.txt\n");
    ASSERT_EQ(RunFerrovan({"ferrovan", "--accuracy", "off", "ferrovan.inp"}), 0);
    const CValuesFile sens = CValuesFile::Read("sens2d.con");
    EXPECT_EQ(*std::max_element(sens.values.begin(), sens.values.end()), 1);
    const std::string bytes = ReadBytes("jacobian.bin");
    const int nx = 28, nz = 14;
    ASSERT_EQ(bytes.size(), 24u + 8u * 2 * nx * nz);
    EXPECT_EQ(bytes.substr(0, 8), "FERROJAC");
    std::uint32_t header[4];
    std::memcpy(header, bytes.data() + 8, sizeof header);
    EXPECT_EQ(std::vector<std::uint32_t>(header, header + 4), (std::vector<std::uint32_t>{1, 2, nx, nz}));
    const std::string doi = ReadBytes("doi2d.txt");
    EXPECT_EQ(doi.rfind("! depth of investigation", 0), 0u);
    EXPECT_EQ(std::count(doi.begin(), doi.end(), '\n'), std::count(doi.begin(), doi.end(), '\r'));

    // Each file the run reads or writes, by its name or another path to it.
    const std::pair<const char*, const char*> taken[] = {{"ferrovan.inp", "the input file"},
                                                         {"./mesh2d.txt", "the mesh file"},
                                                         {"loc2d.txt", "the electrode locations file"},
                                                         {"model2d.con", "the conductivity file"},
                                                         {"obs_dc.dat", "a file of the run"},
                                                         {"ferrovan.log", "a file of the run"},
                                                         {"ferrovan.lock", "a file of the run"},
                                                         {"obs_err.dat", "a file of the run"}};
    for (const char* key : {"SENS", "JACOBIAN", "DOI"})
        for (const auto& [name, role] : taken) {
            WriteBytes("ferrovan.inp", job + key + " FILE " + name + "\n");
            CForwardJob parsed = CForwardJob::Read("ferrovan.inp");
            try {
                CheckSensitivityFileNames(parsed, "ferrovan.inp",
                                          {"obs_dc.dat", "obs_err.dat", "ferrovan.log", "ferrovan.lock"});
                ADD_FAILURE() << key << " " << name << " was accepted";
            } catch (const CEngineError& e) {
                EXPECT_NE(std::string(e.what()).find(std::string("is also ") + role), std::string::npos) << e.what();
            }
        }
    // A pole receiver midway between A and B sees nothing on flat ground: its row stays 0, with a
    // warning; its apparent resistivity is infinite, so the run writes no file at all.
    WriteBytes("loc2d.txt", "!protocol\n-20 -10  10 20\n-10 10  0 0\n");
    WriteBytes("ferrovan.inp", job + "SENS FILE sens2d.con\nDOI FILE doi2d.txt\n");
    ASSERT_EQ(RunFerrovan({"ferrovan", "--accuracy", "off", "ferrovan.inp"}), 1);
    const std::string log = ReadBytes("ferrovan.log");
    EXPECT_NE(log.find("The sensitivities of datum 2 are left at 0: its potential is zero on this earth."),
              std::string::npos);
    EXPECT_NE(log.find("Datum 2 (-10 10  0 0) has no finite apparent resistivity"), std::string::npos);
    EXPECT_FALSE(FileExists("sens2d.con") || FileExists("doi2d.txt") || FileExists("obs_dc.dat"));

    WriteBytes("ferrovan.inp", job + "SENS FILE a.con\nDOI FILE ./a.con\n");
    EXPECT_NE(RunFerrovan({"ferrovan", "ferrovan.inp"}), 0);
    EXPECT_FALSE(FileExists("obs_dc.dat"));
}

} // namespace
