// Starting programs: splitting command lines, finding programs, launching without a shell.
#include "forward/ForwardRun.h"
#include "forward/StandIns.h"
#include "model/ModelData.h"
#include "platform/FilePath.h"
#include "platform/Process.h"
#include "support/MessageLog.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using Words = std::vector<std::string>;

TEST(SplitCommandLine, FollowsTheWindowsRules)
{
    struct Row {
        const char* line;
        Words words;
    } rows[] = {
        {R"(viewer.exe "obs_dc.dat" /dc /topo="topo2d.txt")", {"viewer.exe", "obs_dc.dat", "/dc", "/topo=topo2d.txt"}},
        {"  p\t a  \t\"b  c\"d ", {"p", "a", "b  cd"}},
        {R"(p "" x)", {"p", "", "x"}},
        {R"(p "say ""hi""")", {"p", R"(say "hi")"}},
        {R"(p a\b a\\b)", {"p", R"(a\b)", R"(a\\b)"}},
        {R"(p a\"b a\\"b c" a\\\"b)", {"p", R"(a"b)", R"(a\b c)", R"(a\"b)"}},
        {R"(p "C:\dir\\" x)", {"p", R"(C:\dir\)", "x"}},
        {R"("C:\Program Files\v.exe\" "a b")", {R"(C:\Program Files\v.exe\)", "a b"}}, // no escapes in the name
        {" \t ", {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(SplitCommandLine(row.line), row.words) << row.line;
}

TEST(ProgramSearch, ProgramFolderThenCurrentFolderThenPath)
{
    TempDir cwd;
    CurrentDirGuard guard(cwd.Path());
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", "/x::/y", 1);
    SetProgramFolder("/programs");
    EXPECT_EQ(ProgramSearchPath(), (Words{"/programs", cwd.Path(), "/x", ".", "/y"}));
    SetProgramFolder("");
    ::setenv("PATH", path.c_str(), 1);
}

TEST(ProgramSearch, FindsTheFirstExecutableAndDropsExeOnlyWhenNeeded)
{
    TempDir dir;
    for (const char* folder : {"a", "b", "c", "c/sub"})
        std::filesystem::create_directory(dir.File(folder));
    auto make = [&](const std::string& name, bool executable = true) {
        WriteBytes(dir.File(name), "#!\n");
        std::filesystem::permissions(dir.File(name), executable ? std::filesystem::perms::owner_all
                                                                : std::filesystem::perms::owner_read);
    };
    for (const char* name : {"a/both", "b/both", "b/tool.exe", "a/tool", "b/viewer", "c/viewer", "c/late", "c/plain"})
        make(name);
    make("a/plain", false);
    const Words folders = {dir.File("a"), dir.File("b"), dir.File("c")};
    struct Row {
        std::string name;
        std::string found; // relative to dir, "" for none
    } rows[] = {
        {"both", "a/both"},
        {"tool.exe", "b/tool.exe"}, // the name as written wins over a folder searched earlier
        {"viewer.exe", "b/viewer"},
        {"late", "c/late"},
        {"plain", "c/plain"}, // not executable
        {"sub", ""},          // a folder
        {"sub.exe", ""},
        {dir.File("c/viewer"), "c/viewer"}, // with a folder: as it stands
        {dir.File("c/viewer.exe"), "c/viewer"},
        {dir.File("c/both"), ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(FindProgram(row.name, folders), row.found.empty() ? "" : dir.File(row.found)) << row.name;
}

struct Launch {
    TempDir dir;
    CurrentDirGuard cwd{dir.Path()};
    MessageLog log;
};

TEST(LaunchProgram, OddFileNamesArriveAsOneLiteralArgumentWithoutAShell)
{
    Launch s;
    StandIns programs{"velquor-data-viewer", "velquor-model-viewer"};
    LaunchProgram(R"(velquor-data-viewer.exe "it's; $(touch pwned) `touch pwned` & \"q\" | x.dat" /dc)");
    ASSERT_EQ(WaitForRuns(s.dir.Path(), 1), (std::vector<Args>{{"velquor-data-viewer.exe",
                                                               R"(it's; $(touch pwned) `touch pwned` & "q" | x.dat)", "/dc"}}));
    CModelData m;
    m.m_meshFileName = s.dir.File("my meshes; $(touch pwned)/mesh 1.txt");
    LaunchProgram(ModelViewerCommandLine(m, true));
    EXPECT_EQ(WaitForRuns(s.dir.Path(), 2).back(), (Args{"velquor-model-viewer.exe", m.m_meshFileName, "model2d.con"}));
    EXPECT_FALSE(std::filesystem::exists(s.dir.File("pwned")));
    EXPECT_FALSE(std::filesystem::exists(programs.Path() + "/pwned"));
    EXPECT_TRUE(s.log.Empty());
}

TEST(LaunchProgram, AProgramThatCannotStartIsNamedInAnErrorBox)
{
    Launch s;
    StandIns none;
    struct Row {
        const char* line;
        const char* message;
    } rows[] = {
        {R"(velquor-data-viewer.exe "obs_dc.dat" /dc)", "Could not execute program: velquor-data-viewer.exe"},
        {"no-such-program;touch", "Could not execute program: no-such-program;touch"},
        {R"("no such viewer.exe" "a.dat")", R"(Could not execute program: "no)"}, // up to the first blank
    };
    for (const Row& row : rows) {
        s.log.Clear();
        LaunchProgram(row.line);
        ASSERT_EQ(s.log.Boxes().size(), 1u) << row.line;
        EXPECT_EQ(s.log.Last(), row.message);
        EXPECT_EQ(s.log.Boxes()[0].style, unsigned(MB_ICONERROR));
    }
    EXPECT_FALSE(FileExists(s.dir.File("standin-args.txt")));
}

TEST(LogFile, ShownInTheEditorOnlyWhenItExists)
{
    Launch s;
    StandIns programs{"notepad"};
    CModelData m;
    ShowLogFile(m);
    ASSERT_EQ(s.log.Boxes().size(), 1u);
    EXPECT_EQ(s.log.Last(), "Log file doesn't exist.\nferrovan.log");
    EXPECT_EQ(s.log.Boxes()[0].style, unsigned(MB_OK));

    s.log.Clear();
    WriteBytes(s.dir.File("ferrovan.log"), "log\r\n");
    ShowLogFile(m);
    EXPECT_EQ(WaitForRuns(s.dir.Path(), 1), (std::vector<Args>{{"notepad", "ferrovan.log"}}));

    // Without a program called notepad, the desktop's opener takes the log.
    std::filesystem::remove(programs.Path() + "/notepad");
    programs.Add("xdg-open");
    ShowLogFile(m);
    EXPECT_EQ(WaitForRuns(s.dir.Path(), 2).back(), (Args{"xdg-open", "ferrovan.log"}));
    EXPECT_TRUE(s.log.Empty());
}

TEST(ViewerCommandLines, NameTheFilesOfTheModelShown)
{
    const struct {
        bool dcModel;
        int fwdType;
        bool topography;
        const char *data, *model;
    } rows[] = {
        {true, 0, false, R"(velquor-data-viewer.exe "obs_dc.dat" /dc)", R"(velquor-model-viewer.exe "mesh2d.txt" "model2d.con")"},
        {true, 2, true, R"(velquor-data-viewer.exe "obs_dc.dat" /dc /topo="topo2d.txt")",
         R"(velquor-model-viewer.exe "mesh2d.txt" "model2d.con")"},
        {false, 1, false, R"(velquor-data-viewer.exe "obs_ip.dat" /ip)",
         R"(velquor-model-viewer.exe "mesh2d.txt" "model2d.chg" /ip)"},
        {false, 2, true, R"(velquor-data-viewer.exe "obs_ipL.dat" /ip /topo="topo2d.txt")",
         R"(velquor-model-viewer.exe "mesh2d.txt" "model2d.chg" /ip)"},
    };
    for (const auto& row : rows) {
        CModelData m;
        m.m_fwdType = row.fwdType;
        m.m_bTopography = row.topography;
        EXPECT_EQ(DataViewerCommandLine(m, row.dcModel), row.data);
        EXPECT_EQ(ModelViewerCommandLine(m, row.dcModel), row.model);
    }
}

} // namespace
