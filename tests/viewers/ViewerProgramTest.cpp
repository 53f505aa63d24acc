// The viewer programs as scripts and the launcher run them: exit status, standard error and the
// picture file, without any window.
#include "ViewerFixtures.h"
#include "support/TempDir.h"

#include <QImage>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

extern char** environ;

namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
};

std::string ReadAll(int fd)
{
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(got));
    ::close(fd);
    return text;
}

// Runs program with the words in the current folder; without a display when headless.
Outcome RunProgram(const char* program, std::vector<std::string> words, bool headless = false)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (!headless || (entry.rfind("DISPLAY=", 0) != 0 && entry.rfind("WAYLAND_DISPLAY=", 0) != 0 &&
                          entry.rfind("QT_QPA_PLATFORM=", 0) != 0))
            env.push_back(entry);
    }
    int out[2], err[2];
    EXPECT_EQ(::pipe(out), 0);
    EXPECT_EQ(::pipe(err), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    for (int fd : {out[0], out[1], err[0], err[1]})
        posix_spawn_file_actions_addclose(&actions, fd);
    words.insert(words.begin(), program);
    std::vector<char*> argv, envp;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    Outcome o;
    // Standard error is small; read it after standard output.
    o.out = ReadAll(out[0]);
    o.err = ReadAll(err[0]);
    EXPECT_EQ(spawned, 0) << program;
    int status = 0;
    if (spawned == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        o.status = WEXITSTATUS(status);
    return o;
}

class ViewerProgramTest : public ::testing::Test {
protected:
    TempDir dir;
    CurrentDirGuard cwd{dir.Path()};
};

TEST_F(ViewerProgramTest, PicturesAreWrittenWithoutAnyDisplay)
{
    DiscretizedModel(1, true);
    WriteDataFile("loc2d.txt", "obs_ip.dat", true, [](double a, double, double, double) { return a / 1000; });
    Outcome o = RunProgram(VMM_MODEL_VIEWER, {"mesh2d.txt", "model2d.chg", "/ip", "--png", "model.png", "--size", "640x400"}, true);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(QImage("model.png").size(), QSize(640, 400));
    o = RunProgram(VMM_DATA_VIEWER, {"obs_ip.dat", "/ip", "/topo=topo2d.txt", "--png", "data.png", "--n-level"}, true);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(QImage("data.png").size(), QSize(1200, 700));
}

TEST_F(ViewerProgramTest, BadFilesEndWithTheirMessageAndStatus1AndWriteNothing)
{
    DiscretizedModel(0);
    WriteBytes("obs_dc.dat", "! A B M N V/I(ohm) rho_a(ohm m)\r\n0 0  10 20  1\r\n");
    WriteBytes("small.con", "3 2\r\n1 1 1 \r\n1 1 1 \r\n");
    struct Row {
        const char* program;
        std::vector<std::string> words;
        std::string says;
    } rows[] = {
        {VMM_MODEL_VIEWER, {"nomesh.txt", "model2d.con"}, "Mesh file not found:\nnomesh.txt\n"},
        {VMM_MODEL_VIEWER, {"mesh2d.txt", "model2d.chg", "/ip"}, "Model file not found:\nmodel2d.chg\n"},
        {VMM_MODEL_VIEWER, {"mesh2d.txt", "small.con"},
         "The model does not fit its mesh: the model file has 3 x 2 cells, the mesh 82 x 35.\nsmall.con\nmesh2d.txt\n"},
        {VMM_MODEL_VIEWER, {"model2d.con", "model2d.con"}, "Error: Invalid mesh.\nmodel2d.con\n"},
        {VMM_DATA_VIEWER, {"obs_dc.dat", "/dc"},
         "Line 2 of the data file should hold 6 numbers (A B M N V/I rho_a), not:\n\"0 0  10 20  1\"\nobs_dc.dat\n"
         "It looks like IP data: start the viewer with /ip.\n"},
        {VMM_DATA_VIEWER, {"obs_ip.dat", "/ip"}, "Data file not found:\nobs_ip.dat\n"},
        {VMM_DATA_VIEWER, {"loc2d.txt", "/ip", "/topo=none.txt"}, "Line 1 of the data file should hold 5 numbers"},
    };
    for (Row& row : rows) {
        row.words.insert(row.words.end(), {"--png", "out.png"});
        const Outcome o = RunProgram(row.program, row.words);
        EXPECT_EQ(o.status, 1) << row.says;
        EXPECT_EQ(o.err.rfind(row.says, 0), 0u) << o.err;
        EXPECT_FALSE(std::filesystem::exists("out.png")) << row.says;
    }
}

TEST_F(ViewerProgramTest, WrongCommandLinesEndWithStatus2AndTheUsage)
{
    Outcome o = RunProgram(VMM_DATA_VIEWER, {"obs_dc.dat", "--png", "out.png"});
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.err.rfind("Say whether the data are DC (/dc) or IP (/ip).\nUsage: velquor-data-viewer", 0), 0u) << o.err;
    o = RunProgram(VMM_MODEL_VIEWER, {"--help"}, true);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out.rfind("Usage: velquor-model-viewer MESH-FILE MODEL-FILE", 0), 0u) << o.out;
    // Without a display there is no window to open: say so rather than let Qt abort.
    o = RunProgram(VMM_MODEL_VIEWER, {"mesh2d.txt", "model2d.con"}, true);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "There is no display to open a window on; write the picture to a file with --png PICTURE.\n");
}

} // namespace
