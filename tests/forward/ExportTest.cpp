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
    dc.Write(model.m_obsDCFileName);
    ip.Write(model.m_obsIPLFileName);
    CTopographyFile topography{{-174.193, 0, 100, 200, 374.193}, {0, 0, 5, 0, 0}};
    topography.Write(model.m_topoFileName);
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
    CDataFile other = CDataFile::Read(model.m_obsIPLFileName, true);
    other.data[2].m = 71;
    other.Write(model.m_obsIPFileName);
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
    dc.Write(model.m_obsDCFileName);
    ip.Write(model.m_obsIPFileName);
    const CNoiseModel noise{5, 0.1, 0.5, 2, 7};
    const CExportSurvey s = BuildExportSurvey(model, noise);
    EXPECT_EQ(BuildExportSurvey(model, noise).FormatProtocol(), s.FormatProtocol());
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
