// The batch mode: options, checks and messages without any window, and the real program run.
#include "app/Batch.h"
#include "model/ModelData.h"
#include "model/ModelFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <sstream>

extern char** environ;

namespace {

const std::string kDefaultSummary =
    "Created locations file: loc2d.txt\nnumber of transmitters: 19\nnumber of data: 99\n\n"
    "Created mesh file: mesh2d.txt\nsmallest cell size: 3.33333 x 1.66667\ntotal number of cells: 82 x 35 = 2870\n\n"
    "number of air cells: 0\nnumber of ground cells: 2870\n\nCreated conductivity file: model2d.con\n";

std::vector<std::string> FileNames(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Line(const std::string& text, int index)
{
    std::istringstream in(text);
    std::string line;
    for (int i = 0; i <= index; ++i)
        std::getline(in, line);
    return line;
}

class BatchTest : public ::testing::Test {
protected:
    // The default model of a new file, optionally with one IP block.
    void WriteModel(const std::string& path, std::optional<float> ipBlock = std::nullopt)
    {
        CModelData m;
        m.m_topo = {CTopoPt(0, 0), CTopoPt(200, 0)};
        if (ipBlock)
            m.m_ipModel.emplace_back(40, 10, 80, 20, *ipBlock, 0, m.m_coreX1, m.m_coreZ1, m.LogicalScale());
        ASSERT_TRUE(WriteModelFile(path, m));
    }
    // Runs the batch mode on model.txt of the folder with the options.
    int Run(std::vector<std::string> options)
    {
        options.insert(options.begin(), {"--batch", "model.txt"});
        out.str("");
        err.str("");
        return RunBatch(options, out, err);
    }
    // Leaves only the model: a locations file left behind would carry its header into the next run.
    void KeepOnlyTheModel()
    {
        for (const std::string& name : FileNames(dir.Path()))
            if (name != "model.txt")
                std::filesystem::remove(dir.File(name));
    }

    TempDir dir;
    CurrentDirGuard cwd{dir.Path()};
    std::ostringstream out, err;
};

TEST_F(BatchTest, OptionsGoOverTheLocationsFileHeader)
{
    WriteModel(dir.File("model.txt"));
    WriteBytes(dir.File("loc2d.txt"), "#4 8 1 2 1.5\r\n!dipole-dipole\r\n");
    ASSERT_EQ(Run({"--n", "3", "--aspect", "2.5"}), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(Line(out.str(), 5), "smallest cell size: 4 x 1.6");
    EXPECT_EQ(ReadBytes(dir.File("loc2d.txt")).substr(0, 30), "#3 8 1 2 2.5\r\n!dipole-dipole\r\n");
}

// The files go beside the model; a mesh path is read from where the command was given.
TEST_F(BatchTest, FilesLandBesideTheModelAndAMeshPathIsTakenFromTheCallersFolder)
{
    std::filesystem::create_directory(dir.File("sub"));
    WriteModel(dir.File("sub/model.txt"));
    WriteBytes(dir.File("m.txt"), "3\n-20 0 2\n200 50\n220 2\n\n2\n0 40 20\n60 2\n");
    const std::string mesh = (std::filesystem::current_path() / "m.txt").string();
    ASSERT_EQ(RunBatch({"--batch", "sub/model.txt", "--mesh", "m.txt"}, out, err), 0) << err.str();
    EXPECT_EQ(Line(out.str(), 4), "Created mesh file: " + mesh);
    EXPECT_EQ(Line(out.str(), 5), "smallest cell size: 4 x 2");
    EXPECT_EQ(FileNames(dir.File("sub")), (std::vector<std::string>{"loc2d.txt", "model.txt", "model2d.con"}));
    EXPECT_EQ(FileNames(dir.Path()), (std::vector<std::string>{"m.txt", "sub"}));
}

TEST_F(BatchTest, HelpListsTheOptionsAndUsageErrorsExitWith2)
{
    WriteModel(dir.File("model.txt"));
    EXPECT_EQ(RunBatch({"--help"}, out, err), 0);
    for (const char* option : {"--batch", "--array", "--n", "--a", "--mesh", "--cells", "--aspect", "--dx", "--dz", "--fwd"})
        EXPECT_NE(out.str().find(option), std::string::npos) << option;
    EXPECT_TRUE(IsBatchCommandLine({"--batch", "model.txt"}));
    EXPECT_FALSE(IsBatchCommandLine({"model.txt"}));

    struct Row {
        const char* name;
        std::vector<std::string> args;
        const char* says;
    } rows[] = {
        {"no model", {"--batch"}, ""},
        {"unknown option", {"--batch", "model.txt", "--colour", "red"}, "--colour"},
        {"n x", {"--batch", "model.txt", "--n", "x"}, "Enter an integer."},
        {"a with a comma", {"--batch", "model.txt", "--a", "1,5"}, "Enter a number."},
        {"fwd without a value", {"--batch", "model.txt", "--fwd"}, "--fwd"},
        {"two models", {"--batch", "model.txt", "other.txt"}, ""},
    };
    for (const Row& row : rows) {
        std::ostringstream o, e;
        EXPECT_EQ(RunBatch(row.args, o, e), 2) << row.name;
        EXPECT_NE(e.str().find(row.says), std::string::npos) << row.name << ": " << e.str();
        EXPECT_FALSE(e.str().empty()) << row.name;
        EXPECT_EQ(o.str(), "") << row.name;
    }
    EXPECT_EQ(FileNames(dir.Path()), std::vector<std::string>{"model.txt"});
}

TEST_F(BatchTest, ARefusalIsPrintedAndNothingIsWritten)
{
    WriteModel(dir.File("model.txt"), 1.0f);
    const std::string missing = (std::filesystem::current_path() / "missing.txt").string();
    struct Row {
        const char* name;
        std::vector<std::string> options;
        std::string err;
    } rows[] = {
        {"a 0", {"--a", "0"}, "a-spacing should be greater than 0.\n"},
        {"cells 5, aspect 6", {"--cells", "5", "--aspect", "6"},
         "Warning: more than 4 cells between electrodes might\nproduce huge models.\n"
         "aspect ratio should be between 1 and 5.\n"},
        {"m2 dx 0", {"--mesh", "m2", "--dx", "0"}, "Cell size should be positive.\n"},
        {"missing mesh", {"--mesh", "missing.txt"}, "Mesh file:\n" + missing + "\nnot found.\n"},
        {"IP, chargeability 1", {"--fwd", "ip"},
         "Chargeability should be between 0 and 1.\nFor greater values, make sure IPL option is selected when "
         "forward modelling.\n"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Run(row.options), 1) << row.name;
        EXPECT_EQ(err.str(), row.err) << row.name;
        EXPECT_EQ(out.str(), "") << row.name;
        EXPECT_EQ(FileNames(dir.Path()), std::vector<std::string>{"model.txt"}) << row.name;
    }
    ASSERT_EQ(Run({"--fwd", "ipl"}), 0) << err.str();
    EXPECT_EQ(FileNames(dir.Path()),
              (std::vector<std::string>{"loc2d.txt", "mesh2d.txt", "model.txt", "model2d.chg", "model2d.con"}));
}

TEST_F(BatchTest, WarningsAndTheEraseQuestionArePrintedAndTheRunGoesOn)
{
    WriteModel(dir.File("model.txt"));
    struct Row {
        const char* name;
        std::vector<std::string> options;
        const char* err;
        const char* written;
    } rows[] = {
        {"cells 5", {"--cells", "5"}, "Warning: more than 4 cells between electrodes might\nproduce huge models.\n",
         "model2d.con"},
        {"IP without IP blocks", {"--fwd", "ip"}, "IP forward modelling is selected, but chargeability model is empty.\n",
         "model2d.chg"},
    };
    for (const Row& row : rows) {
        KeepOnlyTheModel();
        EXPECT_EQ(Run(row.options), 0) << row.name;
        EXPECT_EQ(err.str(), row.err) << row.name;
        EXPECT_EQ(Line(out.str(), 0), "Created locations file: loc2d.txt") << row.name;
        EXPECT_TRUE(std::filesystem::exists(dir.File(row.written))) << row.name;
    }

    KeepOnlyTheModel();
    WriteBytes(dir.File("obs_dc.dat"), "old");
    EXPECT_EQ(Run({}), 0);
    EXPECT_EQ(err.str().rfind("Forward modeling has already been done in this folder.\nDo you want to erase previous "
                              "results?\n",
                              0),
              0u)
        << err.str();
    EXPECT_EQ(out.str(), kDefaultSummary);
    EXPECT_EQ(ReadBytes(dir.File("obs_dc.dat")), "old");
}

// The real program, started without a shell, in a folder holding only a model file.
TEST_F(BatchTest, TheProgramDiscretizesAModelFromTheCommandLine)
{
    WriteModel(dir.File("model.txt"));
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    std::vector<std::string> args = {VMM_PROGRAM, "--batch", "model.txt", "--array", "pole-dipole-r"};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, VMM_PROGRAM, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    std::string output;
    if (spawned == 0) {
        char buffer[4096];
        for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
            output.append(buffer, static_cast<size_t>(got));
    }
    ::close(pipeFds[0]);
    ASSERT_EQ(spawned, 0) << VMM_PROGRAM;
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(output, kDefaultSummary);
    EXPECT_EQ(FileNames(dir.Path()), (std::vector<std::string>{"loc2d.txt", "mesh2d.txt", "model.txt", "model2d.con"}));
}

} // namespace
