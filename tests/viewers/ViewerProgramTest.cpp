// The viewer programs as scripts and the launcher run them: exit status, standard error and the
// picture file, without any window.
#include "ViewerFixtures.h"
#include "support/Program.h"
#include "support/TempDir.h"

#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class ViewerProgramTest : public ::testing::Test {
protected:
    TempDir dir;
    CurrentDirGuard cwd{dir.Path()};
};

TEST_F(ViewerProgramTest, PicturesAreWrittenWithoutAnyDisplay)
{
    DiscretizedModel(1, true);
    WriteDataFile("loc2d.txt", "obs_ip.dat", EModelKind::ip, [](double a) { return a / 1000; });
    ProgramRun run = RunProgram(VMM_MODEL_VIEWER,
                                {"mesh2d.txt", "model2d.chg", "/ip", "--png", "model.png", "--size", "640x400"}, true);
    EXPECT_EQ(std::make_pair(run.status, run.err), std::make_pair(0, std::string()));
    EXPECT_EQ(QImage("model.png").size(), QSize(640, 400));
    run =
        RunProgram(VMM_DATA_VIEWER, {"obs_ip.dat", "/ip", "/topo=topo2d.txt", "--png", "data.png", "--n-level"}, true);
    EXPECT_EQ(std::make_pair(run.status, run.err), std::make_pair(0, std::string()));
    EXPECT_EQ(QImage("data.png").size(), QSize(1200, 700));
    EXPECT_FALSE(std::filesystem::exists("data-error.png"));
}

TEST_F(ViewerProgramTest, TheEstimateBesideTheDataIsDrawnTooOrSaysWhyNot)
{
    DiscretizedModel(0);
    WriteDataFile("loc2d.txt", "obs_dc.dat", EModelKind::dc, [](double a) { return 100 + a; });
    WriteErrorFile("obs_dc.dat", EModelKind::dc, 0.25);
    ProgramRun run = RunProgram(VMM_DATA_VIEWER, {"obs_dc.dat", "/dc", "--png", "data.png", "--size", "640x400"});
    EXPECT_EQ(std::make_pair(run.status, run.err), std::make_pair(0, std::string()));
    EXPECT_EQ(QImage("data-error.png").size(), QSize(640, 400));
    EXPECT_NE(QImage("data-error.png"), QImage("data.png"));

    WriteBytes("obs_err.dat", std::string("\xfe\0\n", 3));
    std::filesystem::remove("data-error.png");
    run = RunProgram(VMM_DATA_VIEWER, {"obs_dc.dat", "/dc", "--png", "data.png"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err.rfind("The estimated error in obs_err.dat is not shown. Line 1: expected 5 numbers", 0), 0u)
        << run.err;
    EXPECT_TRUE(std::filesystem::exists("data.png"));
    EXPECT_FALSE(std::filesystem::exists("data-error.png"));
}

// The messages themselves are the readers'; here they reach standard error.
TEST_F(ViewerProgramTest, BadFilesEndWithTheirMessageAndStatus1AndWriteNothing)
{
    DiscretizedModel(0);
    WriteBytes("obs_dc.dat", "! A B M N V/I(ohm) rho_a(ohm m)\r\n0 0  10 20  1\r\n");
    ProgramRun run = RunProgram(VMM_MODEL_VIEWER, {"mesh2d.txt", "model2d.chg", "/ip", "--png", "out.png"});
    EXPECT_EQ(std::make_pair(run.status, run.err),
              std::make_pair(1, std::string("model2d.chg\nCannot find this file.\nVerify that the correct path and "
                                            "file name are given.\n")));
    run = RunProgram(VMM_DATA_VIEWER, {"obs_dc.dat", "/dc", "--png", "out.png"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error reading\nobs_dc.dat\nLine 2: expected 6 numbers (A B M N V/I rho_a), not \"0 0  10 20  "
                       "1\", which look like IP data.\n");
    EXPECT_FALSE(std::filesystem::exists("out.png"));
}

TEST_F(ViewerProgramTest, WrongCommandLinesEndWithStatus2AndTheUsage)
{
    ProgramRun run = RunProgram(VMM_DATA_VIEWER, {"obs_dc.dat", "--png", "out.png"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("Say whether the data are DC (/dc) or IP (/ip).\nUsage: velquor-data-viewer", 0), 0u)
        << run.err;
    run = RunProgram(VMM_MODEL_VIEWER, {"--help"}, true);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Usage: velquor-model-viewer MESH-FILE MODEL-FILE", 0), 0u) << run.out;
    // Without a display there is no window to open: say so rather than let Qt abort.
    run = RunProgram(VMM_MODEL_VIEWER, {"mesh2d.txt", "model2d.con"}, true);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "There is no display to open a window on; write the picture to a file with --png PICTURE.\n");
}

} // namespace
