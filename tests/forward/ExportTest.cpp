#include "forward/Export.h"

#include "formats/DataFile.h"
#include "formats/TopographyFile.h"
#include "model/ModelData.h"
#include "platform/Refusal.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>

namespace {

// The hill model's three pole-dipole data (obs_dc.dat and obs_ipL.dat) on the profile 0, 100 -> 5,
// 200 -> 0, in the current folder.
void WriteTinyRun(CModelData& model)
{
    model.m_discretize.forward = EForwardType::dcIpl;
    model.m_bTopography = true;
    CDataFile dc, ip;
    dc.data = {
        {40, 40, 60, 70, 1.65628, 624.402}, {40, 40, 70, 80, 0.365432, 275.529}, {60, 60, 70, 80, 4.35894, 547.76}};
    ip.ip = true;
    ip.data = {{40, 40, 60, 70, 0, 0.00431611}, {40, 40, 70, 80, 0, 0.0157446}, {60, 60, 70, 80, 0, 0.00151614}};
    dc.Write(kDcDataFileName);
    ip.Write(kIplDataFileName);
    CTopographyFile topography{{-174.193, 0, 100, 200, 374.193}, {0, 0, 5, 0, 0}};
    topography.Write(kTopographyFileName);
}

TEST(Export, CleanTinyRunAsTheGoldenFiles)
{
    TempDir dir;
    CurrentDirGuard here(dir.Path());
    CModelData model;
    WriteTinyRun(model);
    CExportSurvey s = BuildExportSurvey(model, {});
    s.title = "Tiny pole-dipole example";
    const double k[] = {120 * M_PI, 240 * M_PI, 40 * M_PI};
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(s.data[i].k, k[i], 1e-9);
    const std::string golden = std::string(VMM_GOLDEN) + "/";
    EXPECT_EQ(WriteExport(s, EExportFormat::res2dinv, "clean.dat"), std::vector<std::string>{"clean.dat"});
    EXPECT_EQ(ReadBytes("clean.dat"), ReadBytes(golden + "tiny-res2dinv.dat"));
    std::filesystem::create_directory("sub.dir");
    EXPECT_EQ(WriteExport(s, EExportFormat::r2, "sub.dir/protocol.dat").back(), "sub.dir/protocol_electrodes.csv");
    EXPECT_EQ(ReadBytes("sub.dir/protocol_electrodes.csv"), ReadBytes(golden + "tiny_electrodes.csv"));
}

TEST(Export, MissingOrMismatchedFilesAreRefused)
{
    TempDir dir;
    CurrentDirGuard here(dir.Path());
    CModelData model;
    WriteTinyRun(model);
    CDataFile other = CDataFile::Read(kIplDataFileName, EModelKind::ip);
    other.data[2].m = 71;
    other.Write(kIpDataFileName);
    const struct {
        EForwardType forward;
        const char* remove;
        const char* says;
    } rows[] = {
        {EForwardType::dcIp, "", "The data files obs_dc.dat and obs_ip.dat are not of the same forward run."},
        {EForwardType::dcIpl, "topo2d.txt", "The forward run's topography file topo2d.txt is missing."},
        {EForwardType::dc, "obs_dc.dat", "The forward run's data file obs_dc.dat is missing. Run the forward"},
    };
    for (const auto& row : rows) {
        model.m_discretize.forward = row.forward;
        std::remove(row.remove);
        try {
            BuildExportSurvey(model, {});
            ADD_FAILURE() << row.says;
        } catch (const CRefusal& e) {
            EXPECT_NE(std::string(e.what()).find(row.says), std::string::npos) << e.what();
        }
    }
}

// The run's estimate of its error joins the same noise as an independent error, the squares adding;
// without the flag the file is as before; an estimate missing or of other data is refused.
TEST(Export, TheModellingErrorJoinsTheNoiseAndMustBelongToTheData)
{
    TempDir dir;
    CurrentDirGuard here(dir.Path());
    CModelData model;
    WriteTinyRun(model);
    CExportSettings s{EExportFormat::r2, "p.dat", {2, 0, 1, 0.5, 7}};
    // protocol.dat's data lines with IP: index, A, B, M, N, R, phase, R's and phase's deviations.
    auto exported = [] {
        std::istringstream in(ReadBytes("p.dat"));
        std::vector<CExportDatum> data(3);
        int count = 0, index = 0;
        in >> count;
        for (CExportDatum& d : data)
            in >> index >> d.a >> d.b >> d.m >> d.n >> d.r >> d.eta >> d.rSd >> d.etaSd;
        EXPECT_TRUE(in && count == 3 && in.peek() == '\r') << ReadBytes("p.dat");
        return data;
    };
    // A voltage floor alone is noise too: its column is written and the summary names it.
    const std::string floorOnly = ExportData(model, {EExportFormat::r2, "p.dat", {0, 0.1, 1, 0, 7}});
    EXPECT_NE(floorOnly.find("; noise 0 % + 0.1 mV at 1 A"), std::string::npos) << floorOnly;
    EXPECT_NEAR(exported()[0].rSd, 0.0001, 1e-12);
    ExportData(model, s);
    const std::string plain = ReadBytes("p.dat");
    const std::vector<CExportDatum> without = exported();
    const CErrorRecord e[] = {{40, 40, 60, 70, 1, 0.001}, {40, 40, 70, 80, 0.1, 0}, {60, 60, 70, 80, 3, 0.0004}};
    CErrorFile{true, {e[0], e[1], e[2]}}.Write(kErrorFileName);
    ExportData(model, s);
    EXPECT_EQ(ReadBytes("p.dat"), plain);
    s.addModellingError = true;
    ExportData(model, s);
    const std::vector<CExportDatum> with = exported();
    for (size_t i = 0; i < 3; ++i) {
        const CExportDatum &p = without[i], &q = with[i];
        EXPECT_EQ(q.r, p.r);
        EXPECT_NEAR(q.rSd / q.r, std::hypot(p.rSd / p.r, e[i].percent / 100), 1e-6) << i;
        EXPECT_NEAR(q.etaSd, std::hypot(0.5, 1000 * e[i].chargeability), 1e-5) << i;
    }

    const std::pair<std::vector<CErrorRecord>, std::string> rows[] = {
        {{e[0], e[1]}, "The error estimate obs_err.dat has no line for the datum on line 4 of obs_dc.dat. Run the"},
        {{e[0], e[1], e[2], e[2]}, "Line 5 of the error estimate obs_err.dat has no datum in obs_dc.dat."},
        {{e[0], {40, 40, 70, 81}, e[2]}, "Line 3 of the error estimate obs_err.dat is not for the datum on line 3 of"},
        {{}, "The forward run has no error estimate: obs_err.dat is missing. Run the forward modelling with the"},
    };
    for (const auto& [data, says] : rows) {
        std::remove(kErrorFileName);
        if (!data.empty())
            CErrorFile{true, data}.Write(kErrorFileName);
        try {
            ExportData(model, s);
            ADD_FAILURE() << says;
        } catch (const CRefusal& refusal) {
            EXPECT_EQ(std::string(refusal.what()).substr(0, says.size()), says);
        }
    }
}

TEST(Export, NoiseIsTheSameForOneSeedAndStandardNormal)
{
    CGaussian pinned(2024);
    for (double want : {0.2744641256093151, -0.9510413297347573, -0.8226340637814107, 1.4051230168654116})
        EXPECT_NEAR(pinned.Next(), want, 1e-12);

    TempDir dir;
    CurrentDirGuard here(dir.Path());
    CModelData model;
    model.m_discretize.forward = EForwardType::dcIp;
    CDataFile dc, ip;
    ip.ip = true;
    constexpr int kData = 10'000;
    for (int i = 0; i < kData; ++i) {
        const double vi = 0.001 * (i % 997 + 1) * (i % 2 ? -1 : 1);
        dc.data.push_back({1.0 * i, 1.0 * i, i + 1.0, i + 2.0, vi, 1});
        ip.data.push_back({1.0 * i, 1.0 * i, i + 1.0, i + 2.0, 0, 0.001 * (i % 13)});
    }
    dc.Write(kDcDataFileName);
    ip.Write(kIpDataFileName);
    const CNoiseModel noise{5, 0.1, 0.5, 2, 7};
    const CExportSurvey s = BuildExportSurvey(model, noise);
    double sum[2] = {}, squares[2] = {};
    for (int i = 0; i < kData; ++i) {
        const CExportDatum& d = s.data[static_cast<size_t>(i)];
        EXPECT_DOUBLE_EQ(d.rSd, 0.05 * std::fabs(dc.data[i].vi) + 0.0002);
        const double z[] = {(d.r - dc.data[i].vi) / d.rSd, (d.eta - ip.data[i].value) * 1000 / d.etaSd};
        for (int q = 0; q < 2; ++q)
            sum[q] += z[q], squares[q] += z[q] * z[q];
    }
    for (int q = 0; q < 2; ++q) {
        const double mean = sum[q] / kData, sd = std::sqrt(squares[q] / kData - mean * mean);
        EXPECT_LT(std::fabs(mean), 4 / std::sqrt(kData)) << q;
        EXPECT_LT(std::fabs(sd - 1), 4 / std::sqrt(2.0 * kData)) << q;
    }
}

} // namespace
