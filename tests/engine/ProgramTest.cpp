// The program as the forward model command runs it: its files, its refusals, and a whole run
// started by the command.
#include "EngineScene.h"

#include "forward/ForwardRun.h"
#include "mesh/Discretize.h"
#include "platform/FilePath.h"
#include "platform/Process.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <regex>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

extern char** environ;

namespace {

struct Outcome {
    int status = -1;
    std::string err;
};

// Runs ferrovan with args in the current folder, its output kept in files there.
Outcome RunFerrovanProgram(const std::vector<std::string>& args)
{
    std::vector<std::string> words{VMM_FERROVAN};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid;
    Outcome outcome;
    if (posix_spawn(&pid, VMM_FERROVAN, &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    outcome.err = ReadBytes("stderr.txt");
    return outcome;
}

bool EveryLineEndsInCrLf(const std::string& text)
{
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;
    return !text.empty() && text.back() == '\n';
}

TEST(Ferrovan, WritesTheDataFilesAndTheLogForEachForwardType)
{
    const char* names[] = {"obs_dc.dat", "obs_ip.dat", "obs_ipL.dat"};
    for (int type = 0; type < 3; ++type) {
        EngineScene scene;
        scene.AddTopography(0, 0);
        scene.AddTopography(100, 6);
        scene.AddTopography(200, 0);
        scene.model.m_ipBackground = 0.1f;
        ASSERT_TRUE(scene.Discretize(type));
        const Outcome run = RunFerrovanProgram({"ferrovan.inp"});
        EXPECT_EQ(run.status, 0) << run.err;
        const std::string dc = ReadBytes("obs_dc.dat");
        EXPECT_TRUE(EveryLineEndsInCrLf(dc));
        EXPECT_EQ(dc.substr(0, dc.find('\n') + 1), "! A B M N V/I(ohm) rho_a(ohm m)\r\n");
        EXPECT_TRUE(std::regex_search(dc, std::regex("\r\n0 0  10 20  [0-9.e+-]+ [0-9.e+-]+\r\n")));
        EXPECT_EQ(std::count(dc.begin(), dc.end(), '\n'), 100); // the header and 99 data
        if (type > 0) {
            const std::string ip = ReadBytes(names[type]);
            EXPECT_TRUE(EveryLineEndsInCrLf(ip));
            EXPECT_EQ(ip.substr(0, ip.find('\n') + 1), "! A B M N eta_a\r\n");
            EXPECT_TRUE(std::regex_search(ip, std::regex("\r\n180 180  190 200  0.1\r\n")));
            EXPECT_FALSE(FileExists(names[3 - type]));
        }
        const std::string log = ReadBytes("ferrovan.log");
        EXPECT_TRUE(EveryLineEndsInCrLf(log));
        for (const char* part : {"Forward type", "Mesh: mesh2d.txt, 82 x", "Wavenumbers:", "Air cells:", "Done in"})
            EXPECT_NE(log.find(part), std::string::npos) << part;
    }
}

TEST(Ferrovan, ReadsAMeshNamedByAFullPathWithBlanks)
{
    EngineScene scene;
    ASSERT_TRUE(scene.Discretize());
    ASSERT_EQ(::mkdir("old meshes", 0755), 0);
    const std::string mesh = scene.dir.File("old meshes/my mesh 1.txt");
    WriteBytes(mesh, ReadBytes("mesh2d.txt"));
    RemoveFile("mesh2d.txt");
    WriteBytes("ferrovan.inp", "FWD DC\r\nMESH FILE " + mesh + "\r\nLOC LOC_X loc2d.txt\r\nCOND FILE model2d.con\r\n");
    const Outcome run = RunFerrovanProgram({"ferrovan.inp"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(FileExists("obs_dc.dat"));
}

TEST(Ferrovan, RefusesBadInputWithItsReasonAndLeavesNoDataFile)
{
    struct Row {
        const char* name;
        int type;
        std::function<void()> spoil;
        const char* message;
    } rows[] = {
        {"no input file", 0, [] { RemoveFile("ferrovan.inp"); }, "The input file ferrovan.inp does not exist."},
        {"no mesh file", 0, [] { RemoveFile("mesh2d.txt"); }, "The mesh file mesh2d.txt does not exist."},
        {"mesh nodes going back", 0, [] { WriteBytes("mesh2d.txt", "1\n0 10 2\n1\n0 -5 3\n"); },
         "The mesh file mesh2d.txt is not a valid mesh"},
        {"no locations file", 0, [] { RemoveFile("loc2d.txt"); },
         "The electrode locations file loc2d.txt does not exist."},
        {"model of another mesh", 0, [] { WriteBytes("model2d.con", "80 35\n"); },
         "is made for 80 x 35 cells, but the mesh file mesh2d.txt has 82 x 35"},
        {"zero conductivity", 0,
         [] {
             std::string con = ReadBytes("model2d.con");
             WriteBytes("model2d.con", con.replace(con.find("0.01 "), 5, "0 "));
         },
         "gives the cell in column 1, row 1 (x -174.2 to -117.2, depth 0 to 1.66667) a conductivity of 0 S/m"},
        {"conductivity not a number", 0,
         [] {
             std::string con = ReadBytes("model2d.con");
             WriteBytes("model2d.con", con.replace(con.rfind("0.01 "), 5, "nan "));
         },
         "a conductivity of nan S/m; conductivities must be positive numbers."},
        {"electrode outside the mesh", 0, [] { WriteBytes("loc2d.txt", "#\n!pole-dipole\n0 0  10 20\n400 400  10 20\n"); },
         "The electrode at x = 400 lies outside the mesh"},
        {"chargeability of 1 for IP", 1,
         [] {
             std::string chg = ReadBytes("model2d.chg");
             WriteBytes("model2d.chg", chg.replace(chg.find("0.1 "), 4, "1 "));
         },
         "a chargeability of 1; FWD IP needs chargeabilities below 1"},
    };
    for (const Row& row : rows) {
        EngineScene scene;
        scene.model.m_ipBackground = 0.1f;
        ASSERT_TRUE(scene.Discretize(row.type));
        WriteBytes("obs_dc.dat", "an earlier run's data\n");
        row.spoil();
        const Outcome run = RunFerrovanProgram({"ferrovan.inp"});
        EXPECT_EQ(run.status, 1) << row.name;
        EXPECT_NE(run.err.find(row.message), std::string::npos) << row.name << ": " << run.err;
        const std::string log = ReadBytes("ferrovan.log");
        EXPECT_NE(log.find(row.message, log.find("\r\nError: ")), std::string::npos) << row.name;
        EXPECT_EQ(FileExists("obs_dc.dat"), row.name == std::string("no input file")) << row.name;
        EXPECT_FALSE(FileExists("obs_ip.dat")) << row.name;
    }
}

TEST(Ferrovan, CommandLine)
{
    TempDir dir;
    CurrentDirGuard guard(dir.Path());
    EXPECT_EQ(RunFerrovanProgram({}).status, 2);
    EXPECT_EQ(RunFerrovanProgram({"a", "b"}).status, 2);
    EXPECT_EQ(RunFerrovanProgram({"--help"}).status, 0);
    EXPECT_NE(ReadBytes("stdout.txt").find("Usage: ferrovan INPUT"), std::string::npos);
    EXPECT_EQ(RunFerrovanProgram({"--version"}).status, 0);
    EXPECT_EQ(ReadBytes("stdout.txt").rfind("ferrovan ", 0), 0u);
}

TEST(Ferrovan, TheForwardModelCommandRunsItToTheEnd)
{
    EngineScene scene;
    scene.AddBlock(40, 10, 80, 20, -1);
    scene.model.m_fwdType = 2;
    std::string summary;
    ASSERT_TRUE(RunDiscretization(scene.model, summary));
    scene.model.m_bDiscretized = true;
    const std::string previous = GetProgramFolder();
    SetProgramFolder(RemoveLastComponent(VMM_FERROVAN)); // "ferrovan.exe" is found there as ferrovan
    scene.messages.Clear();
    EXPECT_TRUE(RunForwardModel(scene.model));
    SetProgramFolder(previous);
    EXPECT_EQ(scene.messages.Last(), "Forward modelling has finished.");
    EXPECT_TRUE(FileExists("obs_dc.dat"));
    EXPECT_TRUE(FileExists("obs_ipL.dat"));
    EXPECT_TRUE(FileExists("ferrovan.log"));
}

} // namespace
