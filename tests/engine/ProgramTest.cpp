// The program as the forward model command runs it: its files, its refusals, its command line
// and its log.
#include "EngineScene.h"

#include "engine/general/MachineMemory.h"
#include "engine/general/RunLog.h"
#include "engine/modelling/Survey.h"
#include "formats/LocationsFile.h"
#include "platform/FilePath.h"
#include "platform/Process.h"
#include "support/Program.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <regex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

ProgramRun Ferrovan(const std::vector<std::string>& args = {"ferrovan.inp"})
{
    return RunProgram(VMM_FERROVAN, args);
}

// Whether text starts with header and every line of it ends in CR LF.
bool CrLfText(const std::string& text, const std::string& header = "")
{
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;
    return !text.empty() && text.back() == '\n' && text.starts_with(header);
}

TEST(Ferrovan, WritesTheDataFilesAndTheLogForEachForwardType)
{
    const char* names[] = {"obs_dc.dat", "obs_ip.dat", "obs_ipL.dat"};
    for (int type = 0; type < 3; ++type) {
        EngineScene scene;
        scene.AddValley(6);
        scene.model.m_ipBackground = 0.1f;
        ASSERT_TRUE(scene.Discretize(type));
        const std::vector<std::string> links{"ferrovan.log", "ferrovan.lock"}; // as a folder may arrive
        for (const std::string& name : links)
            ASSERT_EQ(::symlink(("victim-" + name).c_str(), name.c_str()), 0);
        const ProgramRun run = Ferrovan();
        EXPECT_EQ(run.status, 0) << run.err;
        for (const std::string& name : links)
            EXPECT_FALSE(FileExists("victim-" + name) || std::filesystem::is_symlink(name)) << name;
        const std::string dc = ReadBytes("obs_dc.dat");
        EXPECT_TRUE(CrLfText(dc, "! A B M N V/I(ohm) rho_a(ohm m)\r\n"));
        EXPECT_TRUE(std::regex_search(dc, std::regex("\r\n0 0  10 20  [0-9.e+-]+ [0-9.e+-]+\r\n")));
        EXPECT_EQ(std::count(dc.begin(), dc.end(), '\n'), 100); // the header and 99 data
        if (type > 0) {
            const std::string ip = ReadBytes(names[type]);
            EXPECT_TRUE(CrLfText(ip, "! A B M N eta_a\r\n"));
            EXPECT_TRUE(std::regex_search(ip, std::regex("\r\n180 180  190 200  0.1\r\n")));
            EXPECT_FALSE(FileExists(names[3 - type]));
        }
        const std::string log = ReadBytes("ferrovan.log");
        EXPECT_TRUE(CrLfText(log));
        for (const char* part : {"Forward type", "Mesh: mesh2d.txt, 82 x", "Wavenumbers:", "Air cells:", "Done in"})
            EXPECT_NE(log.find(part), std::string::npos) << part;
    }
}

// Replaces the first (or last) occurrence of what in a file.
void Spoil(const char* file, const std::string& what, const std::string& with, bool last = false)
{
    std::string text = ReadBytes(file);
    WriteBytes(file, text.replace(last ? text.rfind(what) : text.find(what), what.size(), with));
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
        {"no LOC line", 0, [] { Spoil("ferrovan.inp", "LOC LOC_X loc2d.txt", "#"); },
         "The input file ferrovan.inp cannot be used: the electrode locations file (a line LOC LOC_X) is missing."},
        {"no mesh file", 0, [] { RemoveFile("mesh2d.txt"); }, "The mesh file mesh2d.txt does not exist."},
        {"mesh nodes going back", 0, [] { WriteBytes("mesh2d.txt", "1\n0 10 2\n1\n0 -5 3\n"); },
         "Line 4 of the mesh file mesh2d.txt: the z positions must increase"},
        {"model of another mesh", 0, [] { WriteBytes("model2d.con", "2 1\n1 1\n"); },
         "The conductivity file model2d.con is made for 2 x 1 cells, but the mesh file mesh2d.txt has 82 x 35"},
        {"zero conductivity", 0, [] { Spoil("model2d.con", "0.01 ", "0 "); },
         "gives the cell in column 1, row 1 (x -174.2 to -117.2, depth 0 to 1.66667) a conductivity of 0 S/m"},
        {"surface far above the mesh", 0,
         [] {
             WriteBytes("topo2d.txt", "2 0\n-1000 5000\n1000 5000\n");
             WriteBytes("ferrovan.inp", ReadBytes("ferrovan.inp") + "TOPO FILE topo2d.txt\n");
         },
         "The surface point at x = -1000 (elevation 5000) lies 5000 above the top of the mesh, more than the mesh is "
         "deep"},
        {"electrode outside the mesh", 0,
         [] { WriteBytes("loc2d.txt", "#\n!pole-dipole\n0 0  10 20\n400 400  10 20\n"); },
         "The electrode at x = 400 lies outside the mesh"},
        {"current electrodes at one position", 0, [] { WriteBytes("loc2d.txt", "#\n0 1e-12  10 20\n"); },
         "Line 2 of the locations file loc2d.txt puts both current electrodes at the same position: 0 1e-12  10 20"},
        {"potential electrode on a current electrode", 0, [] { WriteBytes("loc2d.txt", "0 0  10 20\n10 20  20 30\n"); },
         "Line 2 of the locations file loc2d.txt puts a potential electrode on a current electrode: 10 20  20 30"},
        {"infinite geometric factor", 0, [] { WriteBytes("loc2d.txt", "0 10  20 30\n20 20  10 30\n"); },
         "Datum 2 (20 20  10 30) has no finite apparent resistivity or chargeability: its geometric factor on flat "
         "ground is infinite."},
        {"chargeability of 1 for IP", 1, [] { Spoil("model2d.chg", "0.1 ", "1 "); },
         "a chargeability of 1; FWD IP needs chargeabilities below 1"},
    };
    for (const Row& row : rows) {
        EngineScene scene;
        scene.model.m_ipBackground = 0.1f;
        ASSERT_TRUE(scene.Discretize(row.type));
        WriteBytes("obs_dc.dat", "an earlier run's data\n");
        WriteBytes("ferrovan.log", "an earlier run's log\n");
        row.spoil();
        const ProgramRun run = Ferrovan();
        EXPECT_EQ(run.status, 1) << row.name;
        EXPECT_NE(run.err.find(row.message), std::string::npos) << row.name << ": " << run.err;
        const std::string log = ReadBytes("ferrovan.log");
        EXPECT_TRUE(log.starts_with("Ferrovan ")) << row.name;
        EXPECT_NE(log.find(row.message, log.find("\r\nError: ")), std::string::npos) << row.name;
        EXPECT_EQ(FileExists("obs_dc.dat"), row.name == std::string("no input file")) << row.name;
        EXPECT_FALSE(FileExists("obs_ip.dat")) << row.name;
    }
}

// Under an address-space limit the BLAS library's buffer of every thread counts: the run takes
// fewer threads or ends with a memory message (the estimate's, or a worker's that could not have
// its buffer), and never waits for an allocation forever.
TEST(Ferrovan, AnAddressSpaceLimitEndsTheRunOrFitsItNeverHangs)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's shadow memory does not fit under such a limit";
#else
    EngineScene scene;
    ASSERT_TRUE(scene.Discretize(0));
    // 700 MB holds the run; under 400 MB it may end with its memory message instead.
    for (const auto& [limit, fits] : {std::pair{"--as=400000000", false}, std::pair{"--as=700000000", true}}) {
        const ProgramRun run =
            RunProgram("/usr/bin/prlimit", {limit, VMM_FERROVAN, "--accuracy", "off", "ferrovan.inp"});
        const std::string log = ReadBytes("ferrovan.log");
        if (run.status == 0)
            EXPECT_NE(log.find("Done in"), std::string::npos) << limit;
        else
            EXPECT_TRUE(!fits && (log.find(" of address space, but only ") != std::string::npos ||
                                  log.find("Error: There is not enough memory for this model.") != std::string::npos))
                << limit << "\n"
                << log;
    }
#endif
}

TEST(Ferrovan, CommandLine)
{
    EngineScene scene;
    ASSERT_TRUE(scene.Discretize());
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"a", "b"},
                                               {"--max-memory"},
                                               {"ferrovan.inp", "--max-memory"},
                                               {"--max-memory", "0", "ferrovan.inp"},
                                               {"--max-memory", "12MB", "ferrovan.inp"},
                                               {"--max-memory", "-5", "ferrovan.inp"},
                                               {"--accuracy"},
                                               {"--accuracy", "0.5%", "ferrovan.inp"},
                                               {"--accuracy", "nan", "ferrovan.inp"},
                                               {"--accuracy", "Off", "ferrovan.inp"}})
        EXPECT_EQ(Ferrovan(args).status, 2) << ::testing::PrintToString(args);
    ProgramRun run = Ferrovan({"--max-memory", "abc", "ferrovan.inp"});
    EXPECT_TRUE(run.err.starts_with(
        "ferrovan: The value of --max-memory must be a positive number of megabytes, not \"abc\".\nUsage:"))
        << run.err;
    EXPECT_FALSE(FileExists("ferrovan.log"));

    run = Ferrovan({"--max-memory", "100", "ferrovan.inp"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(ReadBytes("ferrovan.log").find("\r\nMemory budget: 100 MB ("), std::string::npos);
    // A run that would not fit is refused with its estimate, before its factorisations.
    run = Ferrovan({"--max-memory", "9", "ferrovan.inp"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(std::regex_search(run.err, std::regex("This run would need about [0-9]+ MB of memory, but only 9 MB "
                                                      "are available; use larger cells or a shorter survey")))
        << run.err;
    EXPECT_FALSE(FileExists("obs_dc.dat"));
    EXPECT_EQ(ReadBytes("ferrovan.log").find("factorisations on"), std::string::npos);
    EXPECT_EQ(ReadBytes("ferrovan.log").find("\r\nGrid: "), std::string::npos) << "refused before the grid is made";
    const double available = AvailableMemoryBytes();
    EXPECT_TRUE(std::isfinite(available) && available > 0) << available;

    run = Ferrovan({"--accuracy", "abc", "ferrovan.inp"});
    EXPECT_TRUE(run.err.starts_with("ferrovan: The value of --accuracy must be a percentage above 0 and at most 100, "
                                    "or off, not \"abc\".\nUsage:"))
        << run.err;

    // The estimate beside the data; off, one grid and no estimate, an earlier one removed.
    run = Ferrovan({"--accuracy", "2", "ferrovan.inp"});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string error = ReadBytes("obs_err.dat");
    EXPECT_TRUE(CrLfText(error, "! A B M N error_of_V/I(%)\r\n"));
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 100);
    EXPECT_TRUE(std::regex_search(ReadBytes("ferrovan.log"), std::regex("Accuracy: largest estimated error [0-9.e-]+% "
                                                                        "at datum [0-9]+ \\(A ")));
    EXPECT_NE(run.out.find("obs_err.dat"), std::string::npos) << run.out;
    run = Ferrovan({"--accuracy", "off", "ferrovan.inp"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(FileExists("obs_err.dat"));
    EXPECT_EQ(ReadBytes("ferrovan.log").find("Accuracy"), std::string::npos);

    run = Ferrovan({"--help"});
    EXPECT_TRUE(run.status == 0 &&
                run.out.find("Usage: ferrovan [--max-memory MB] [--accuracy PCT|off] INPUT") != std::string::npos)
        << run.out;
    run = Ferrovan({"--version"});
    EXPECT_TRUE(run.status == 0 && run.out.starts_with("ferrovan ")) << run.out;
}

TEST(Ferrovan, ASecondRunInTheFolderIsRefusedAndTouchesNothing)
{
    EngineScene scene;
    ASSERT_TRUE(scene.Discretize());
    WriteBytes("obs_dc.dat", "the running run's data\n");
    WriteBytes("ferrovan.log", "the running run's log\n");
    // Held exclusively or shared, by the run's own starter or by another: only the lock handed on,
    // not another description of the file nor another file, lets the run go ahead.
    enum EPassed { holder, otherDescription, otherFile };
    const struct {
        int operation;
        bool handedOn;
        EPassed passed;
        bool runs;
    } rows[] = {{LOCK_EX, false, holder, false},
                {LOCK_SH, false, holder, false},
                {LOCK_EX, true, otherDescription, false},
                {LOCK_EX, true, otherFile, false},
                {LOCK_EX, true, holder, true}};
    for (const auto& row : rows) {
        const int running = ::open("ferrovan.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        const int passed[] = {running, ::open("ferrovan.lock", O_RDWR | O_CLOEXEC),
                              ::open("ferrovan.inp", O_RDONLY | O_CLOEXEC)};
        ASSERT_EQ(::flock(running, row.operation | LOCK_NB), 0);
        CChildProcess program;
        const std::string command = std::string("\"") + VMM_FERROVAN + "\"" + (row.handedOn ? " --lock-fd 3" : "");
        ASSERT_TRUE(program.Start(command + " --accuracy off ferrovan.inp", passed[row.passed]));
        for (std::vector<std::string> lines; program.ReadLines(1000, lines);) {
        }
        EXPECT_EQ(program.ExitStatus(), row.runs ? 0 : 1) << row.passed;
        EXPECT_EQ(ReadBytes("obs_dc.dat") == "the running run's data\n", !row.runs);
        EXPECT_EQ(ReadBytes("ferrovan.log") == "the running run's log\n", !row.runs);
        for (const int fd : passed)
            ::close(fd);
    }
    ProgramRun run;
    // Standalone, a run is refused while another holds the folder, with the folder's name.
    const int running = ::open("ferrovan.lock", O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(running, LOCK_EX | LOCK_NB), 0);
    run = Ferrovan();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "ferrovan: Another run is using the folder " + GetCurrentDirectory() + ".\n");
    ::close(running);

    // A line of progress per wavenumber, counting up on each grid, then the summary.
    run = Ferrovan();
    EXPECT_EQ(run.status, 0) << run.err;
    std::smatch last;
    EXPECT_TRUE(std::regex_search(run.out, last,
                                  std::regex("checking the accuracy, finer grid: wavenumber ([0-9]+) of \\1\n"
                                             "ferrovan: 99 data written to obs_dc.dat, obs_err.dat in [0-9.]+ s\n$")))
        << run.out;
    int count = 0, grids = 0;
    const std::regex progress("(checking the accuracy, [a-z ,]+: )?wavenumber ([0-9]+) of ");
    for (std::sregex_iterator line(run.out.begin(), run.out.end(), progress), end; line != end; ++line) {
        if ((*line)[2] == "1") {
            count = 0;
            ++grids;
        }
        EXPECT_EQ(std::stoi((*line)[2]), ++count);
        EXPECT_EQ((*line)[1].matched, grids > 1) << (*line)[0];
    }
    EXPECT_GT(grids, 3); // the first, coarse, with a finer rule, farther, finer
}

TEST(Ferrovan, TheLogIsOnDiskLineByLineAndProgressGoesToStandardOutputOnly)
{
    TempDir dir;
    CurrentDirGuard guard(dir.Path());
    WriteBytes("run.log", "an earlier run's log\n");
    CRunLog log;
    log.Info("before the file");
    log.Open("run.log");
    log.Stage("reading");
    testing::internal::CaptureStdout();
    log.Progress("wavenumber 3 of 14");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "wavenumber 3 of 14\n");
    EXPECT_TRUE(std::regex_match(ReadBytes("run.log"), std::regex("before the file\r\n  \\[[0-9.]+ s\\] reading\r\n")))
        << ReadBytes("run.log");

    // A run whose log cannot be written still computes its data.
    EngineScene scene;
    ASSERT_TRUE(scene.Discretize());
    ASSERT_EQ(::mkdir("ferrovan.log", 0755), 0);
    const ProgramRun run = Ferrovan();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "ferrovan: The log ferrovan.log cannot be written: Is a directory.\n");
    EXPECT_TRUE(FileExists("obs_dc.dat"));
}

TEST(Ferrovan, PositionsWithinABillionthOfTheSurveysExtentAreOneElectrode)
{
    // Extent 30: positions closer than 3e-8 merge; the pole written as B = A stays a pole.
    const CLocationsFile file =
        CLocationsFile::Parse("0 0  10 20\n10.000000001 10.000000001  20.00000002 30\n0 0  30 30.0000001\n", "loc");
    CRunLog log;
    const CSurvey survey = CSurvey::Build(file, "loc", log);
    EXPECT_EQ(survey.positions, (std::vector<double>{0, 10, 20, 30, 30.0000001}));
    const CSurvey::Datum& d = survey.data[1];
    EXPECT_TRUE(d.poleSource && d.ia == 1 && d.ib == 1 && d.im == 2 && d.in == 3);
    EXPECT_EQ(survey.data[2].in, 4);
}

} // namespace
