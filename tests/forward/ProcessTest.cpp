// Starting programs: splitting and quoting command lines, finding programs, launching without a
// shell.
#include "platform/Process.h"
#include "forward/ForwardRun.h"
#include "forward/StandIns.h"
#include "model/ModelData.h"
#include "platform/FilePath.h"
#include "platform/Refusal.h"
#include "support/MessageLog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

namespace {

using Words = std::vector<std::string>;

TEST(SplitCommandLine, FollowsTheWindowsRules)
{
    const struct {
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
    for (const auto& row : rows)
        EXPECT_EQ(SplitCommandLine(row.line), row.words) << row.line;
}

// Names that the splitting must give back as they are, alone and after an option's "=".
TEST(QuoteArgument, SplittingGivesBackAnyName)
{
    const char* const rows[] = {"",        "obs_dc.dat",   "my data/mesh 1.txt", "tab\there",   R"(say "hi")",
                                R"(a\"b)", R"(a\\"b)",     R"(C:\dir\)",         R"(C:\dir\\)", "\\",
                                "\"",      R"(x" /ip "y)", "line\nbreak",        "-o",          "--png",
                                "/ip"};
    for (const char* name : rows) {
        EXPECT_EQ(SplitCommandLine("p " + QuoteArgument(name) + " /dc"), (Words{"p", name, "/dc"})) << name;
        EXPECT_EQ(SplitCommandLine("p /topo=" + QuoteArgument(name)), (Words{"p", std::string("/topo=") + name}))
            << name;
    }
}

// A mesh named like one of the viewers' options reaches them as another name of the same file.
TEST(QuoteArgument, ViewerFileNamesNeverReadAsOptions)
{
    const std::pair<const char*, const char*> rows[] = {{"--png", "./--png"},
                                                        {"-style", "./-style"},
                                                        {"/ip", "//ip"},
                                                        {"/DC", "//DC"},
                                                        {"/topo=t.txt", "//topo=t.txt"},
                                                        {"/Sens", "//Sens"},
                                                        {"/doi=d.txt", "//doi=d.txt"},
                                                        {"/data/ip", "/data/ip"},
                                                        {"mesh-1.txt", "mesh-1.txt"}};
    for (const auto& [name, word] : rows) {
        CModelData m;
        m.m_meshFileName = name;
        EXPECT_EQ(SplitCommandLine(ModelViewerCommandLine(m, EModelKind::ip, false)),
                  (Words{"velquor-model-viewer.exe", word, "model2d.chg", "/ip"}))
            << name;
    }
}

TEST(ProgramSearch, ProgramFolderThenAbsoluteFoldersOfPathButNeverTheCurrentFolder)
{
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", "/x::/y:.:bin", 1);
    SetProgramFolder("/programs");
    EXPECT_EQ(ProgramSearchPath(), (Words{"/programs", "/x", "/y"}));
    SetProgramFolder("");
    ::setenv("PATH", path.c_str(), 1);
}

TEST(ProgramSearch, FindsTheFirstExecutableAndDropsExeOnlyWhenNeeded)
{
    TempDir dir;
    for (const char* folder : {"a", "b", "c", "c/sub"})
        std::filesystem::create_directory(dir.File(folder));
    for (const char* name :
         {"a/both", "b/both", "b/tool.exe", "a/tool", "b/viewer", "c/viewer", "c/plain", "a/plain"}) {
        WriteBytes(dir.File(name), "#!\n");
        std::filesystem::permissions(dir.File(name), std::filesystem::perms::owner_all);
    }
    std::filesystem::permissions(dir.File("a/plain"), std::filesystem::perms::owner_read);
    const Words folders = {dir.File("a"), dir.File("b"), dir.File("c")};
    const struct {
        std::string name, found; // found relative to dir, "" for none
    } rows[] = {
        {"both", "a/both"},
        {"tool.exe", "a/tool"}, // the first folder wins, holding either form
        {"viewer.exe", "b/viewer"},
        {"plain", "c/plain"}, // not executable
        {"sub", ""},          // a folder
        {"sub.exe", ""},
        {dir.File("c/viewer"), "c/viewer"}, // with a folder: as it stands
        {dir.File("c/viewer.exe"), "c/viewer"},
        {dir.File("c/both"), ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FindProgram(row.name, folders), row.found.empty() ? "" : dir.File(row.found)) << row.name;
}

class Launch : public ::testing::Test {
protected:
    TempDir dir;
    CurrentDirGuard cwd{dir.Path()};
    MessageLog log;
};

TEST_F(Launch, OddFileNamesArriveAsOneLiteralArgumentWithoutAShell)
{
    StandIns programs{"velquor-data-viewer", "velquor-model-viewer"};
    LaunchProgram(R"(velquor-data-viewer.exe "it's; $(touch pwned) `touch pwned` & \"q\" | x.dat" /dc)");
    ASSERT_EQ(
        WaitForRuns(dir.Path(), 1),
        (std::vector<Args>{{"velquor-data-viewer.exe", R"(it's; $(touch pwned) `touch pwned` & "q" | x.dat)", "/dc"}}));
    CModelData m;
    m.m_meshFileName = dir.File(R"(my "meshes; $(touch pwned)/mesh\" /ip "1.txt\)");
    LaunchProgram(ModelViewerCommandLine(m, EModelKind::dc, false));
    EXPECT_EQ(WaitForRuns(dir.Path(), 2).back(), (Args{"velquor-model-viewer.exe", m.m_meshFileName, "model2d.con"}));
    EXPECT_FALSE(std::filesystem::exists(dir.File("pwned")));
    EXPECT_FALSE(std::filesystem::exists(programs.Path() + "/pwned"));
    EXPECT_TRUE(log.Empty());
    // Both have ended and been reaped: no zombie is left.
    siginfo_t zombie = {};
    for (int i = 0; i < 500; ++i) {
        zombie = {};
        if (::waitid(P_ALL, 0, &zombie, WEXITED | WNOHANG | WNOWAIT) != 0 || zombie.si_pid == 0)
            break;
        ::usleep(10000);
    }
    EXPECT_EQ(zombie.si_pid, 0);
}

TEST_F(Launch, AProgramThatCannotStartIsNamedInAnErrorBox)
{
    StandIns none;
    const std::pair<const char*, const char*> rows[] = {
        {R"(velquor-data-viewer.exe "obs_dc.dat" /dc)", "velquor-data-viewer.exe"},
        {"no-such-program;touch", "no-such-program;touch"},
        {R"("no such viewer.exe" "a.dat")", R"("no)"}, // up to the first blank
    };
    for (const auto& [line, named] : rows) {
        log.Clear();
        EXPECT_FALSE(Attempt([&] { LaunchProgram(line); }));
        ASSERT_EQ(log.Boxes().size(), 1u) << line;
        EXPECT_EQ(log.Last(), std::string("Could not execute program: ") + named);
        EXPECT_EQ(log.Boxes()[0].style, unsigned(MB_ICONERROR));
    }
    EXPECT_FALSE(FileExists(dir.File("standin-args.txt")));
}

TEST(ViewerCommandLines, NameTheFilesOfTheModelShown)
{
    const struct {
        EModelKind kind;
        bool topography;
        int fwdType;
        const char *data, *model;
    } rows[] = {
        {EModelKind::dc, true, 2, R"(velquor-data-viewer.exe "obs_dc.dat" /dc /topo="topo2d.txt")",
         R"(velquor-model-viewer.exe "mesh2d.txt" "model2d.con")"},
        {EModelKind::ip, false, 1, R"(velquor-data-viewer.exe "obs_ip.dat" /ip)",
         R"(velquor-model-viewer.exe "mesh2d.txt" "model2d.chg" /ip)"},
        {EModelKind::ip, true, 2, R"(velquor-data-viewer.exe "obs_ipL.dat" /ip /topo="topo2d.txt")",
         R"(velquor-model-viewer.exe "mesh2d.txt" "model2d.chg" /ip)"},
    };
    for (const auto& row : rows) {
        CModelData m;
        m.m_discretize.forward = EForwardType(row.fwdType);
        m.m_bTopography = row.topography;
        EXPECT_EQ(DataViewerCommandLine(m, row.kind), row.data);
        EXPECT_EQ(ModelViewerCommandLine(m, row.kind, false), row.model);
    }

    // The sensitivity and the depth of investigation of a finished run that wrote them.
    TempDir dir;
    CurrentDirGuard cwd{dir.Path()};
    CModelData m;
    EXPECT_FALSE(HasSensitivities());
    WriteBytes("sens2d.con", "1 1\r\n1\r\n");
    m.m_depthOfInvestigation = {{0, 1}};
    EXPECT_TRUE(HasSensitivities());
    EXPECT_EQ(SensitivityViewerCommandLine(m),
              R"(velquor-model-viewer.exe "mesh2d.txt" "sens2d.con" /sens /doi="doi2d.txt")");
    EXPECT_EQ(ModelViewerCommandLine(m, EModelKind::dc, true),
              R"(velquor-model-viewer.exe "mesh2d.txt" "model2d.con" /doi="doi2d.txt")");
    EXPECT_EQ(ModelViewerCommandLine(m, EModelKind::dc, false),
              R"(velquor-model-viewer.exe "mesh2d.txt" "model2d.con")");
}

} // namespace
