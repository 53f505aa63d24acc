// The batch mode's pictures: the discretized model and the predicted data drawn as the viewers
// draw them, into files named from a prefix, without any window system.
#include "app/Batch.h"
#include "model/ModelData.h"
#include "model/ModelFile.h"
#include "platform/Process.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

extern char** environ;

namespace {

class BatchPngTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(dir.File("survey"));
        CModelData m;
        m.m_topo = {CTopoPt(0, 0), CTopoPt(100, 8), CTopoPt(200, 0)};
        m.m_bTopography = true;
        m.m_dcModel.emplace_back(40, 10, 80, 20, -1.0f, 0, m.m_coreX1, m.m_coreZ1, m.LogicalScale());
        m.m_ipModel.emplace_back(40, 10, 80, 20, 0.2f, 0, m.m_coreX1, m.m_coreZ1, m.LogicalScale());
        ASSERT_TRUE(WriteModelFile(dir.File("survey/model.txt"), m));
        // The forward-modelling program's stand-in, found in the program folder.
        std::filesystem::copy_file(VMM_FERROVAN, programs.File("ferrovan"));
        SetProgramFolder(programs.Path());
    }
    void TearDown() override { SetProgramFolder(""); }

    int Run(std::vector<std::string> options)
    {
        options.insert(options.begin(), {"--batch", "survey/model.txt"});
        out.str("");
        err.str("");
        return RunBatch(options, out, err);
    }

    TempDir dir, programs;
    CurrentDirGuard cwd{dir.Path()};
    std::ostringstream out, err;
};

std::vector<std::string> Pictures(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".png")
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(BatchPngTest, TheDiscretizedModelIsDrawnBesideThePrefixGivenFromTheCallersFolder)
{
    std::filesystem::create_directory(dir.File("pictures"));
    ASSERT_EQ(Run({"--png", "pictures/run"}), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    EXPECT_NE(out.str().find("Created picture: " + dir.File("pictures/run-model.png") + "\n"), std::string::npos) << out.str();
    EXPECT_EQ(Pictures(dir.File("pictures")), std::vector<std::string>{"run-model.png"});
    EXPECT_TRUE(Pictures(dir.File("survey")).empty());
    const QImage picture(QString::fromStdString(dir.File("pictures/run-model.png")));
    EXPECT_EQ(picture.size(), QSize(1200, 700));
    // The application object made for drawing is gone again.
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
}

TEST_F(BatchPngTest, WithTheForwardRunTheDataAreDrawnTooForBothModels)
{
    ASSERT_EQ(Run({"--fwd", "ipl", "--forward", "--png", "survey/run"}), 0) << err.str();
    EXPECT_EQ(Pictures(dir.File("survey")),
              (std::vector<std::string>{"run-data-ip.png", "run-data.png", "run-model-ip.png", "run-model.png"}));
    const std::string text = out.str();
    // In the order they are made: the models after the discretization, the data after the run.
    const size_t model = text.find("run-model.png"), modelIp = text.find("run-model-ip.png"),
                 finished = text.find("Forward modelling has finished."), data = text.find("run-data.png");
    EXPECT_LT(model, modelIp);
    EXPECT_LT(modelIp, finished);
    EXPECT_LT(finished, data);
    EXPECT_NE(data, std::string::npos);
}

TEST_F(BatchPngTest, PicturesThatCannotBeWrittenEndTheRunWithTheirMessage)
{
    EXPECT_EQ(Run({"--png", "no/such/folder/run"}), 1);
    EXPECT_EQ(err.str().rfind("Cannot write the picture:\n" + dir.File("no/such/folder/run-model.png"), 0), 0u) << err.str();
    EXPECT_EQ(Run({"--png"}), 2);
    EXPECT_NE(err.str().find("The option --png needs a value."), std::string::npos);
    EXPECT_EQ(RunBatch({"--help"}, out, err), 0);
    EXPECT_NE(out.str().find("--png PREFIX"), std::string::npos);
}

// The program itself, on a machine without any display.
TEST_F(BatchPngTest, TheProgramDrawsWithoutADisplay)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("DISPLAY=", 0) != 0 && entry.rfind("WAYLAND_DISPLAY=", 0) != 0 &&
            entry.rfind("QT_QPA_PLATFORM=", 0) != 0 && entry.rfind("XDG_RUNTIME_DIR=", 0) != 0)
            env.push_back(entry);
    }
    std::vector<std::string> args = {VMM_PROGRAM, "--batch", "survey/model.txt", "--png", "shot"};
    std::vector<char*> argv, envp;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, VMM_PROGRAM, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    std::string errors;
    char buffer[4096];
    for (ssize_t got; spawned == 0 && (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        errors.append(buffer, static_cast<size_t>(got));
    ::close(pipeFds[0]);
    ASSERT_EQ(spawned, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(errors, "");
    EXPECT_EQ(QImage(QString::fromStdString(dir.File("shot-model.png"))).size(), QSize(1200, 700));
}

} // namespace
