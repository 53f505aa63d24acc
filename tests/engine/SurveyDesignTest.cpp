// Survey design by resolution: the updated gains against the resolution computed anew, the
// chosen set against dipole-dipole on two earths, the pole-pole superposition against the data,
// and the program's files and refusals.
#include "engine/modelling/SurveyDesign.h"
#include "engine/general/EngineError.h"
#include "engine/general/RunLog.h"
#include "engine/modelling/ForwardModel.h"
#include "engine/program/Ferrovan.h"
#include "formats/MeshFile.h"
#include "formats/ProtocolFile.h"
#include "formats/ValuesFile.h"
#include "platform/FilePath.h"
#include "platform/TextFormat.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <string>

namespace {

// 24 electrodes 2.5 m apart from x = -30 over a flat earth of 1.25 m cells from -60 to 60 and
// down to 30 m, the conductivity of each cell from its depth; the survey of the locations file is
// dipole-dipole.
const char* const kInput = "FWD DC\nMESH FILE mesh2d.txt\nLOC LOC_X loc2d.txt\nCOND FILE model2d.con\n";

void WriteEarth(const std::function<float(double)>& byDepth, const std::string& locations = "")
{
    const std::string mesh = "7\n-1000 -300 1\n -120 3\n -60 4\n 60 96\n 120 4\n 300 3\n 1000 1\n\n"
                             "5\n0 30 24\n 60 4\n 150 3\n 400 2\n 1000 1\n";
    WriteBytes("mesh2d.txt", mesh);
    const CMeshFile m = CMeshFile::Parse(mesh, "mesh2d.txt");
    std::vector<float> values;
    for (int k = 0; k < m.z.Cells(); ++k)
        for (int i = 0; i < m.x.Cells(); ++i)
            values.push_back(byDepth(0.5 * (m.z.nodes[k] + m.z.nodes[k + 1])));
    CValuesFile::Write("model2d.con", m.x.Cells(), m.z.Cells(), values);
    std::string survey = "#1 2.5 1 2 2\n!dipole-dipole\n";
    for (int k = 0; k + 3 < 24; ++k) {
        const double a = -30 + 2.5 * k;
        survey += FormatC("%g %g  %g %g\n", a, a + 2.5, a + 5, a + 7.5);
    }
    WriteBytes("loc2d.txt", locations.empty() ? survey : locations);
}

// The average relative resolution of a set in the report.
double Average(const std::string& report, const std::string& set)
{
    std::istringstream lines(report);
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind(set + ", ", 0) == 0)
            return std::stod(line.substr(line.find(": ") + 2));
    ADD_FAILURE() << set << " is not in the report:\n" << report;
    return -1;
}

TEST(SurveyDesign, UpdatedGainsChooseAsTheResolutionComputedAnew)
{
    // A made-up problem: 8 electrodes, random pair rows and potentials of either sign.
    std::mt19937 random(3);
    std::uniform_real_distribution<double> value(-1, 1);
    CDesignProblem problem;
    problem.electrodes = 8;
    problem.pairs = Eigen::MatrixXd::NullaryExpr(28, 12, [&] { return value(random); });
    for (int i = 0; i < 28; ++i) {
        problem.potential.push_back(value(random) + 2);
        problem.magnitude.push_back(3);
    }
    std::vector<double> x;
    for (int k = 0; k < 8; ++k)
        x.push_back(k);
    const std::vector<CConfiguration> candidates = ComprehensiveSet(x, 1);
    ASSERT_EQ(candidates.size(), 210u); // 70 fours, three configurations each, none beyond the limit
    const double lambda = 0.3;
    const std::vector<double> all = ResolutionDiagonal(problem, candidates, lambda);
    const std::vector<int> chosen = ChooseByResolution(problem, candidates, all, 6, lambda);
    ASSERT_EQ(chosen.size(), 6u);
    std::vector<CConfiguration> set;
    for (int step = 0; step < 6; ++step) {
        const std::vector<double> before = ResolutionDiagonal(problem, set, lambda);
        std::vector<double> gains;
        for (const CConfiguration& c : candidates) {
            std::vector<CConfiguration> with = set;
            with.push_back(c);
            const std::vector<double> after = ResolutionDiagonal(problem, with, lambda);
            gains.push_back(0);
            for (size_t j = 0; j < after.size(); ++j)
                gains.back() += (after[j] - before[j]) / all[j];
        }
        // The chosen one has the largest gain, up to a tie.
        EXPECT_NEAR(gains[chosen[step]], *std::max_element(gains.begin(), gains.end()), 1e-9) << "step " << step;
        set.push_back(candidates[chosen[step]]);
    }
    // A subset resolves no block better than all candidates do.
    const std::vector<double> r = ResolutionDiagonal(problem, set, lambda);
    for (size_t j = 0; j < r.size(); ++j) {
        EXPECT_GT(r[j], 0);
        EXPECT_LE(r[j], all[j] + 1e-12);
    }
    EXPECT_DOUBLE_EQ(AverageRelativeResolution(all, all), 1);
}

TEST(SurveyDesign, ClassicSetsInTheOrderACrewMeasuresThem)
{
    std::vector<int> number;
    for (int k = 1; k <= 10; ++k)
        number.push_back(k);
    auto numbers = [&](EClassicSet kind, int count) {
        std::string text;
        for (const CConfiguration& c : ClassicSet(kind, number, count))
            text += FormatC("%i.%i.%i.%i ", number[c.a], number[c.b], number[c.m], number[c.n]);
        return text;
    };
    // Dipole-dipole: A B M N; the others A B outside M N.
    EXPECT_EQ(numbers(EClassicSet::dipoleDipole, 3), "1.2.3.4 2.3.4.5 3.4.5.6 ");
    EXPECT_NE(numbers(EClassicSet::dipoleDipole, 100).find(" 7.8.9.10 1.2.4.5 2.3.5.6 "), std::string::npos);
    EXPECT_EQ(numbers(EClassicSet::wenner, 100), "1.4.2.3 2.5.3.4 3.6.4.5 4.7.5.6 5.8.6.7 6.9.7.8 7.10.8.9 "
                                                 "1.7.3.5 2.8.4.6 3.9.5.7 4.10.6.8 1.10.4.7 ");
    EXPECT_NE(numbers(EClassicSet::wennerSchlumberger, 100).find(" 7.10.8.9 1.6.3.4 2.7.4.5 "), std::string::npos);
    // An electrode missing from the line drops the configurations that need it.
    number.erase(number.begin() + 1);
    EXPECT_EQ(numbers(EClassicSet::dipoleDipole, 2), "3.4.5.6 4.5.6.7 ");
}

TEST(SurveyDesign, BeatsDipoleDipoleOnAUniformAndATwoLayerEarth)
{
    for (const bool layered : {false, true}) {
        TempDir dir;
        CurrentDirGuard guard(dir.Path());
        WriteEarth([&](double z) { return layered && z > 10 ? 0.1f : 0.01f; });
        WriteBytes("ferrovan.inp", std::string(kInput) +
                                       "OPTIMIZE SURVEY 120 2.5 -30 27.5 0 12\n"
                                       "PROTOCOL FILE protocol_optimized.txt\nDESIGN FILE survey_design.txt\n");
        ASSERT_EQ(RunFerrovan({"ferrovan", "ferrovan.inp"}), 0) << ReadBytes("ferrovan.log");
        const std::string report = ReadBytes("survey_design.txt");
        EXPECT_NE(report.find("120 of the 30794 candidates of the comprehensive set of 24 electrodes"),
                  std::string::npos)
            << report;
        const double optimized = Average(report, "optimized"), dipoleDipole = Average(report, "dipole-dipole");
        EXPECT_GT(optimized, dipoleDipole + 0.1) << report;
        EXPECT_LE(optimized, 1);
        // The protocol reads back as 120 different configurations on the 24 electrodes.
        const CProtocolFile protocol = CProtocolFile::Read("protocol_optimized.txt");
        ASSERT_EQ(protocol.data.size(), 120u);
        std::set<std::array<int, 4>> distinct;
        for (const CProtocolDatum& d : protocol.data)
            distinct.insert({d.a, d.b, d.m, d.n});
        EXPECT_EQ(distinct.size(), 120u);
        EXPECT_LE(protocol.Electrodes(), 24);
        EXPECT_FALSE(FileExists("obs_dc.dat"));
    }
}

TEST(SurveyDesign, PolePoleSumsAreTheDataOfTheirConfigurations)
{
    TempDir dir;
    CurrentDirGuard guard(dir.Path());
    const std::string locations = "#1 2.5 7 2 2\n!protocol\n-30 -27.5  -25 -22.5\n-30 27.5  -2.5 2.5\n"
                                  "-30 -30  -27.5 -25\n-17.5 -2.5  -12.5 -12.5\n";
    WriteEarth([](double z) { return z > 10 ? 0.1f : 0.01f; }, locations);
    WriteBytes("ferrovan.inp", kInput);
    CRunLog log;
    const CForwardInput in = ReadForwardFiles(ReadForwardJob("ferrovan.inp", log), log);
    ASSERT_TRUE(in.survey.fromProtocol);
    const CPolePoleSensitivities pp = PolePoleSensitivities(in, log);
    CDesignProblem problem;
    problem.electrodes = pp.electrodes;
    problem.potential = pp.potential;
    problem.magnitude = pp.magnitude;
    problem.pairs = Eigen::MatrixXd::Zero(static_cast<Eigen::Index>(pp.potential.size()), 1);
    const CForwardResult data = ComputeData(in, log);
    for (size_t i = 0; i < in.survey.data.size(); ++i) {
        const CSurvey::Datum& d = in.survey.data[i];
        double v = 0;
        ASSERT_TRUE(problem.Row({d.ia, d.poleSource ? -1 : d.ib, d.im, d.poleReceiver ? -1 : d.in}, v));
        EXPECT_NEAR(v / data.voltage[i], 1, 0.005) << "datum " << i + 1;
    }
}

TEST(SurveyDesign, TheProgramRefusesWhatItCannotDesign)
{
    TempDir dir;
    CurrentDirGuard guard(dir.Path());
    WriteEarth([](double) { return 0.01f; });
    auto refusal = [](const std::string& design,
                      const std::string& names = "PROTOCOL FILE p.txt\nDESIGN FILE d.txt\n") {
        WriteBytes("ferrovan.inp", kInput + design + "\n" + names);
        EXPECT_EQ(RunFerrovan({"ferrovan", "ferrovan.inp"}), 1) << design;
        EXPECT_FALSE(FileExists("p.txt") || FileExists("d.txt")) << design;
        const std::string log = ReadBytes("ferrovan.log");
        return log.substr(std::min(log.size(), log.find("Error: ")));
    };
    EXPECT_NE(refusal("OPTIMIZE SURVEY 30795 2.5 -30 27.5 0 12")
                  .find("The survey design asks for 30795 configurations, but there are only 30794 candidates of "
                        "the comprehensive set of 24 electrodes."),
              std::string::npos);
    EXPECT_NE(refusal("OPTIMIZE SURVEY 10 2.5 -30 27.5 31 33").find("The section of the survey design holds no cell"),
              std::string::npos);
    EXPECT_NE(
        refusal("OPTIMIZE SURVEY 10 2.5 -29 27.5 0 12")
            .find("The electrode at x = -30 is not one of the design's electrodes, which lie at x = -29 + k 2.5."),
        std::string::npos);
    EXPECT_NE(refusal("OPTIMIZE SURVEY 10 2.5 -30 27.5 0 12", "PROTOCOL FILE model2d.con\nDESIGN FILE d.txt\n")
                  .find("The survey design's protocol model2d.con is also the conductivity file"),
              std::string::npos);
}

} // namespace
