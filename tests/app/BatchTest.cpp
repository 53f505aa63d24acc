// The batch mode: options, checks and messages without any window, its pictures, and the real
// program run on a machine without a display.
#include "app/Batch.h"
#include "forward/StandIns.h"
#include "platform/FilePath.h"
#include "platform/Process.h"
#include "platform/StdioFile.h"
#include "support/ExampleModel.h"
#include "support/Program.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <new>
#include <sstream>
#include <streambuf>
#include <sys/file.h>
#include <utility>

namespace {

const std::string kDefaultSummary =
    "Created locations file: loc2d.txt\nnumber of transmitters: 19\nnumber of data: 99\n\n"
    "Created mesh file: mesh2d.txt\nsmallest cell size: 3.33333 x 1.66667\ntotal number of cells: 82 x 35 = 2870\n\n"
    "number of air cells: 0\nnumber of ground cells: 2870\n\nCreated conductivity file: model2d.con\n";

class BatchTest : public ::testing::Test {
protected:
    // Runs the batch mode on model (in the current folder) with the options.
    int Run(std::vector<std::string> options, const std::string& model = "model.txt")
    {
        options.insert(options.begin(), {"--batch", model});
        out.str("");
        err.str("");
        return RunBatch(options, out, err);
    }

    TempDir dir;
    CurrentDirGuard cwd{dir.Path()};
    std::ostringstream out, err;
};

TEST_F(BatchTest, OptionsGoOverTheLocationsFileHeader)
{
    WriteBytes("model.txt", CrLf(kNewModel));
    WriteBytes("loc2d.txt", "#4 8 1 2 1.5\r\n!dipole-dipole\r\n");
    ASSERT_EQ(Run({"--n", "3", "--aspect", "2.5"}), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(Lines(out.str()).at(5), "smallest cell size: 4 x 1.6");
    EXPECT_EQ(ReadBytes("loc2d.txt").substr(0, 30), "#3 8 1 2 2.5\r\n!dipole-dipole\r\n");
}

// The files go beside the model; a mesh path is read from where the command was given.
TEST_F(BatchTest, FilesLandBesideTheModelAndAMeshPathIsTakenFromTheCallersFolder)
{
    std::filesystem::create_directory("sub");
    WriteBytes("sub/model.txt", CrLf(kNewModel));
    WriteBytes("m.txt", "3\n-20 0 2\n200 50\n220 2\n\n2\n0 40 20\n60 2\n");
    WriteBytes("protocol.txt", "1 4 2 3\n1 0 2 0\n");
    // What killed writers of the folder's files left goes; the user's files that look alike stay.
    for (const char* name : {"sub/.model2d.con.Ab12Cd", "sub/.obs_ip.dat.Ab12Cd", "sub/.model.txt.Ab12Cd",
                             "sub/.model2d.con.Ab12C", ".loc2d.txt.Ab12Cd"})
        WriteBytes(name, "half");
    ASSERT_EQ(Run({"--mesh", "m.txt", "--protocol", "protocol.txt"}, "sub/model.txt"), 0) << err.str();
    EXPECT_EQ(ReadBytes(dir.File("sub/loc2d.txt")), "#6 10 7 3 2\r\n!protocol\r\n0 30  10 20\r\n0 0  10 10\r\n");
    EXPECT_EQ(Lines(out.str()).at(4), "Created mesh file: " + dir.File("m.txt"));
    EXPECT_EQ(Lines(out.str()).at(5), "smallest cell size: 4 x 2");
    EXPECT_EQ(FileNames(dir.File("sub")),
              (std::vector<std::string>{".model.txt.Ab12Cd", ".model2d.con.Ab12C", "ferrovan.lock", "loc2d.txt",
                                        "model.txt", "model2d.con"}));
    EXPECT_EQ(FileNames(dir.Path()), (std::vector<std::string>{".loc2d.txt.Ab12Cd", "m.txt", "protocol.txt", "sub"}));
}

TEST_F(BatchTest, HelpListsTheOptionsAndUsageErrorsExitWith2)
{
    WriteBytes("model.txt", CrLf(kNewModel));
    EXPECT_EQ(RunBatch({"--help"}, out, err), 0);
    EXPECT_NE(out.str().find("--png PREFIX"), std::string::npos) << out.str();
    EXPECT_TRUE(IsBatchCommandLine({"--batch", "model.txt"}));
    EXPECT_FALSE(IsBatchCommandLine({"model.txt"}));

    const std::pair<std::vector<std::string>, const char*> rows[] = {
        {{"--batch"}, "No model file given."},
        {{"--batch", "model.txt", "--colour", "red"}, "Unknown option --colour."},
        {{"--batch", "model.txt", "--n", "x"}, "--n x: Enter an integer."},
        {{"--batch", "model.txt", "--a", "1,5"}, "--a 1,5: Enter a number."},
        {{"--batch", "model.txt", "--fwd"}, "The option --fwd needs a value."},
        {{"--batch", "model.txt", "other.txt"}, "Only one model file can be given."},
        {{"--batch", "model.txt", "--export-r2", "p.dat"}, "An export needs the data of --forward."},
        {{"--batch", "model.txt", "--noise", "2,x"}, "--noise 2,x: Enter a number."},
        {{"--batch", "model.txt", "--noise", "1,2,3,4"}, "--noise 1,2,3,4: Give PERCENT[,FLOOR_MV[,CURRENT_A]]."},
        {{"--batch", "model.txt", "--seed", "-1"}, "--seed -1: Enter a whole number from 0."},
        {{"--batch", "model.txt", "--forward", "--accuracy", "0"},
         "--accuracy 0: Enter a percentage above 0 and at most 100, or off."},
        {{"--batch", "model.txt", "--forward", "--accuracy", "100.5"},
         "--accuracy 100.5: Enter a percentage above 0 and at most 100, or off."},
        {{"--batch", "model.txt", "--accuracy", "100"}, "--accuracy is for the run of --forward."},
        {{"--batch", "model.txt", "--sensitivity"}, "--sensitivity is for the run of --forward."},
        {{"--batch", "model.txt", "--jacobian"}, "--jacobian is for the run of --forward."},
        {{"--batch", "model.txt", "--optimize-survey", "0"},
         "--optimize-survey 0: Enter a whole number from 1 to 1000000."},
        {{"--batch", "model.txt", "--optimize-survey", "1000001"},
         "--optimize-survey 1000001: Enter a whole number from 1 to 1000000."},
        {{"--batch", "model.txt", "--optimize-survey", "1e3"},
         "--optimize-survey 1e3: Enter a whole number from 1 to 1000000."},
        {{"--batch", "model.txt", "--optimize-survey", "10", "--forward"},
         "--optimize-survey is a run of its own, without --forward."},
        {{"--batch", "model.txt", "--forward", "--add-modelling-error"}, "--add-modelling-error is for an export."},
        {{"--batch", "model.txt", "--forward", "--export-r2", "p.dat", "--add-modelling-error", "--accuracy", "off"},
         "--add-modelling-error needs the estimate that --accuracy off leaves out."},
    };
    for (const auto& [args, says] : rows) {
        std::ostringstream o, e;
        EXPECT_EQ(RunBatch(args, o, e), 2) << says;
        EXPECT_EQ(e.str().rfind(std::string(says) + "\nUsage:", 0), 0u) << e.str();
        EXPECT_EQ(o.str(), "") << says;
    }
    EXPECT_EQ(FileNames(dir.Path()), std::vector<std::string>{"model.txt"});
}

TEST_F(BatchTest, ARefusalIsPrintedAndNothingIsWritten)
{
    WriteBytes("model.txt",
               CrLf({kNewModel[0], kNewModel[1], "1 0  ! IP", "40 80  10 20  1  0 0", "2", "0 0", "200 0"}));
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"--a", "0"}, "a-spacing should be greater than 0.\n"},
        {{"--mesh", "missing.txt"}, "Mesh file:\n" + dir.File("missing.txt") + "\nnot found.\n"},
        {{"--fwd", "ip"},
         "Chargeability should be between 0 and 1.\nFor greater values, make sure IPL option is "
         "selected when forward modelling.\n"},
        {{"--mesh", "m2", "--dx", "0.01", "--dz", "0.01"},
         "The mesh would have more cells than this program can handle.\nChoose larger cells.\n"},
        {{"--forward", "--export-r2", "p.dat", "--noise", "2,0.1,0"}, "Current should be greater than 0.\n"},
        {{"--forward", "--export-r2", "p.dat", "--noise", "1e308"}, "Relative noise should be at most 100 %.\n"},
        {{"--forward", "--export-r2", "p.dat", "--noise", "0,1,1e-320"},
         "Current should be between 1e-06 and 1000 A.\n"},
        {{"--forward", "--export-r2", "p.dat", "--phase-factor", "1e308"}, "Phase factor should be at most 1000.\n"},
        {{"--forward", "--export-r2", "p.dat", "--ip-noise", "1e308"}, "IP noise should be at most 1000 mV/V.\n"},
        {{"--forward", "--export-r2", "p.dat", "--export-resipy", "r.dat", "--add-modelling-error"},
         "The Res2DInv general array has no error column for the modelling error.\nChoose pyGIMLi or R2, or leave "
         "the modelling error out.\n"},
        // What the writer would refuse after the run is refused before it.
        {{"--forward", "--export-pygimli", "no/a.ohm"},
         "Cannot write " + dir.File("no/a.ohm") + ":\nthe folder " + dir.File("no") + " does not exist.\n"},
    };
    for (const auto& [options, message] : rows) {
        EXPECT_EQ(Run(options), 1) << options[0];
        EXPECT_EQ(err.str(), message);
        EXPECT_EQ(out.str(), "") << options[0];
        EXPECT_EQ(FileNames(dir.Path()), std::vector<std::string>{"model.txt"}) << options[0];
    }

    // An output that is an input of the run, by its name or as the same file by another path.
    WriteBytes("mine.txt", "3\n-20 0 2\n200 50\n220 2\n\n2\n0 40 20\n60 2\n");
    WriteBytes("proto.txt", "1 4 2 3\n");
    std::filesystem::create_hard_link("model.txt", "again.txt");
    const std::string model = ReadBytes("model.txt");
    const std::pair<std::vector<std::string>, std::string> inputs[] = {
        {{"--fwd", "ipl", "--forward", "--export-pygimli", "model.txt"}, "the model file"},
        {{"--fwd", "ipl", "--forward", "--export-pygimli", "again.txt"}, "the model file"},
        {{"--fwd", "ipl", "--mesh", "mine.txt", "--forward", "--export-resipy", "./mine.txt"}, "the mesh file"},
        {{"--fwd", "ipl", "--protocol", "proto.txt", "--forward", "--export-res2dinv", "proto.txt"},
         "the protocol file"},
    };
    for (const auto& [options, what] : inputs) {
        EXPECT_EQ(Run(options), 1) << options.back();
        EXPECT_EQ(err.str(), "Cannot write " + dir.File(options.back().substr(options.back().find('/') + 1)) +
                                 ":\nit is " + what + ".\n");
    }
    std::filesystem::rename("again.txt", "m-model.png");
    EXPECT_EQ(Run({"--fwd", "ipl", "--png", "m"}), 1);
    EXPECT_EQ(err.str(), "Cannot write " + dir.File("m-model.png") + ":\nit is the model file.\n");
    EXPECT_EQ(ReadBytes("model.txt"), model);
    EXPECT_EQ(FileNames(dir.Path()), (std::vector<std::string>{"m-model.png", "mine.txt", "model.txt", "proto.txt"}));
    for (const char* name : {"m-model.png", "mine.txt", "proto.txt"})
        std::filesystem::remove(name);

    // A model named as a file the run writes beside it would be erased or written over.
    std::filesystem::rename("model.txt", "obs_dc.dat");
    EXPECT_EQ(Run({}, "obs_dc.dat"), 1);
    EXPECT_EQ(err.str(), "Cannot use \"obs_dc.dat\" as the\ninput filename, since this file is written beside the\n"
                         "model for forward modelling.\n");
    EXPECT_EQ(FileNames(dir.Path()), std::vector<std::string>{"obs_dc.dat"});
}

// Memory that runs out ends the run with a message instead of ending the program.
TEST_F(BatchTest, AnAllocationThatFailsEndsTheRunWithAMessage)
{
    // An output that fails as an exhausted memory would, at the summary.
    struct NoMemory : std::streambuf {
        int overflow(int) override { throw std::bad_alloc(); }
    } noMemory;
    std::ostream full(&noMemory);
    full.exceptions(std::ios::badbit);
    WriteBytes("model.txt", CrLf(kNewModel));
    EXPECT_EQ(RunBatch({"--batch", "model.txt"}, full, err), 1);
    EXPECT_EQ(err.str(), "There is not enough memory for this model.\n");
}

TEST_F(BatchTest, WarningsAndTheEraseQuestionArePrintedAndTheRunGoesOn)
{
    WriteBytes("model.txt", CrLf(kNewModel));
    EXPECT_EQ(Run({"--cells", "5"}), 0);
    EXPECT_EQ(err.str(), "Warning: more than 4 cells between electrodes might\nproduce huge models.\n");
    EXPECT_EQ(Lines(out.str()).at(0), "Created locations file: loc2d.txt");

    for (int nz : {3000, 3001}) { // a mesh of 1000 columns: at and just above the warning's size
        WriteBytes("big.txt", "3\n-20 0 2\n200 996\n220 2\n\n1\n0 100 " + std::to_string(nz) + "\n");
        EXPECT_EQ(Run({"--mesh", "big.txt"}), 0) << nz;
        EXPECT_EQ(err.str(), nz == 3000 ? ""
                                        : "Warning: the mesh has 3001000 cells, far more than a forward run "
                                          "handles quickly.\nIt may take long and need much memory; larger "
                                          "cells or a shorter survey make it smaller.\n");
    }

    for (const std::string& name : FileNames(dir.Path()))
        if (name != "model.txt") // a locations file left behind would carry its header into the next run
            std::filesystem::remove(name);
    WriteBytes("obs_dc.dat", "old");
    WriteBytes("ferrovan.log", "old");
    // A refused setting or survey comes before the erase, which happens only when the run goes on.
    EXPECT_EQ(Run({"--a", "0"}), 1);
    WriteBytes("protocol.txt", "1 2 3 50\n");
    EXPECT_EQ(Run({"--protocol", "protocol.txt"}), 1);
    EXPECT_NE(err.str().find("Electrode 50 of the protocol"), std::string::npos) << err.str();
    EXPECT_TRUE(FileExists("obs_dc.dat") && FileExists("ferrovan.log") && !FileExists("loc2d.txt"));
    std::filesystem::remove("protocol.txt");
    EXPECT_EQ(Run({}), 0);
    EXPECT_EQ(err.str(), "Forward modeling has already been done in this folder.\nDo you want to erase previous "
                         "results?\nYes\n");
    EXPECT_EQ(out.str(), kDefaultSummary);
    EXPECT_FALSE(FileExists("obs_dc.dat") || FileExists("ferrovan.log"));
}

// Every file of the folder with its contents.
std::map<std::string, std::string> Folder(const std::string& path)
{
    std::map<std::string, std::string> files;
    for (const std::string& name : FileNames(path))
        files[name] = ReadBytes(path + "/" + name);
    return files;
}

// While another run holds the folder, a second is refused before it erases or writes any file;
// once the first has ended, the next run goes ahead under its own lock, which the stand-in checks.
TEST_F(BatchTest, ASecondRunInTheFolderIsRefusedBeforeItTouchesAnyFile)
{
    StandIns programs;
    programs.Add("ferrovan", VMM_FERROVAN);
    WriteBytes("model.txt", CrLf(kNewModel));
    WriteBytes("loc2d.txt", "the running run's locations\n");
    WriteBytes("obs_dc.dat", "the running run's data\n");
    const int running = ::open("ferrovan.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_EQ(::flock(running, LOCK_EX | LOCK_NB), 0);
    const std::map<std::string, std::string> before = Folder(dir.Path());
    EXPECT_EQ(Run({"--forward", "--export-pygimli", "a.ohm"}), 1);
    EXPECT_EQ(err.str(), "Forward modeling has already been done in this folder.\nDo you want to erase previous "
                         "results?\nYes\nAnother run is using the folder " +
                             dir.Path() + ".\n");
    EXPECT_EQ(Folder(dir.Path()), before);
    ::close(running);
    EXPECT_EQ(Run({"--forward", "--accuracy", "off", "--export-pygimli", "a.ohm"}), 0) << err.str();
    EXPECT_TRUE(FileExists("a.ohm"));
    const int next = ::open("ferrovan.lock", O_RDWR | O_CLOEXEC);
    EXPECT_EQ(::flock(next, LOCK_EX | LOCK_NB), 0) << "released when the run ended";
    ::close(next);
}

// The pictures are named from a prefix given from the caller's folder, not the model's.
TEST_F(BatchTest, TheDiscretizedModelIsDrawnBesideThePrefix)
{
    std::filesystem::create_directory("survey");
    std::filesystem::create_directory("pictures");
    WriteBytes("survey/model.txt", CrLf(kExampleModel));
    ASSERT_EQ(Run({"--png", "pictures/run"}, "survey/model.txt"), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    EXPECT_NE(out.str().find("\nCreated picture: " + dir.File("pictures/run-model.png") + "\n"), std::string::npos)
        << out.str();
    EXPECT_EQ(FileNames(dir.File("pictures")), std::vector<std::string>{"run-model.png"});
    EXPECT_EQ(QCoreApplication::instance(), nullptr) << "the application made for drawing is gone again";

    ASSERT_TRUE(SetCurrentDirectory(dir.Path())); // the run moved into the model's folder
    EXPECT_EQ(Run({"--png", "no/such/folder/run"}, "survey/model.txt"), 1);
    EXPECT_EQ(err.str(), "Cannot write the picture:\n" + dir.File("no/such/folder/run-model.png") +
                             "\nCannot find this file.\nVerify that the correct path and file name are given.\n");
}

TEST_F(BatchTest, TheForwardRunReportsItsOutcomeAndDrawsTheDataForBothModels)
{
    StandIns programs;
    programs.Add("ferrovan", VMM_FERROVAN);
    WriteBytes("model.txt", CrLf(kExampleModel));
    EXPECT_EQ(Run({"--fwd", "ipl", "--forward", "--accuracy", "0.25", "--png", "run", "--export-pygimli", "a.ohm",
                   "--export-r2", "p.dat", "--noise", "2,0.1", "--seed", "5", "--add-modelling-error"}),
              0)
        << err.str();
    EXPECT_EQ(Lines(ReadBytes("obs_err.dat")).at(1), "0 0  10 20  0.25 0");
    EXPECT_EQ(err.str(), "");
    const std::vector<std::string> lines = Lines(out.str());
    const std::vector<std::string> tail = {
        "Created picture: " + dir.File("run-model-ip.png"),
        "",
        "Forward modelling has finished.",
        "Created picture: " + dir.File("run-data.png"),
        "Created picture: " + dir.File("run-data-error.png"),
        "Created picture: " + dir.File("run-data-ip.png"),
        "Created " + dir.File("a.ohm"),
        "for pyGIMLi: pygimli.physics.ert.load(\"a.ohm\"); for BERT as it is",
        "99 data, 21 electrodes; noise 2 % + 0.1 mV at 1 A, IP 0 mV/V, seed 5; with the modelling error of obs_err.dat",
        "Created " + dir.File("p.dat"),
        "Created " + dir.File("p_electrodes.csv"),
        "for R2 or cR2 beside their R2.in; for ResIPy: Project.createSurvey(\"p.dat\", ftype=\"Protocol\") then "
        "Project.importElec(\"p_electrodes.csv\")",
        "99 data, 21 electrodes; noise 2 % + 0.1 mV at 1 A, IP 0 mV/V, seed 5; with the modelling error of "
        "obs_err.dat"};
    ASSERT_GE(lines.size(), tail.size());
    EXPECT_EQ(std::vector<std::string>(lines.end() - long(tail.size()), lines.end()), tail);
    EXPECT_TRUE(Run({"--forward", "--accuracy", "off"}) == 0 && !FileExists("obs_err.dat")) << err.str();

    // The sensitivities are asked of the program by the input file, and drawn.
    ASSERT_EQ(Run({"--forward", "--sensitivity", "--jacobian", "--png", "run"}), 0) << err.str();
    const std::string input = ReadBytes("ferrovan.inp");
    EXPECT_NE(input.find("SENS FILE sens2d.con\r\nJACOBIAN FILE jacobian.bin\r\nDOI FILE doi2d.txt\r\n"),
              std::string::npos)
        << input;
    EXPECT_TRUE(FileExists("run-sensitivity.png"));
}

// Commas separate the noise's parts and numbers take a point, also on a comma-decimal desktop.
TEST_F(BatchTest, TheNoiseIsReadWithADecimalPointInAnyLanguage)
{
    CommaLocale german;
    StandIns programs;
    programs.Add("ferrovan", VMM_FERROVAN);
    WriteBytes("model.txt", CrLf(kNewModel));
    for (const auto& [typed, read] :
         {std::pair{"2,5", "noise 2 % + 5 mV at 1 A"}, {"2.5", "noise 2.5 % + 0 mV at 1 A"}}) {
        EXPECT_EQ(Run({"--forward", "--accuracy", "off", "--export-pygimli", "a.ohm", "--noise", typed}), 0)
            << err.str();
        EXPECT_EQ(Lines(out.str()).back(), std::string("99 data, 21 electrodes; ") + read + ", seed 0") << typed;
    }
}

// A run that the system killed is named with its signal, on standard error and in the log.
TEST_F(BatchTest, AKilledForwardRunIsNamedWithItsSignal)
{
    StandIns programs{"ferrovan"};
    WriteBytes("model.txt", CrLf(kNewModel));
    WriteBytes("standin-script.txt", "ferrovan.log = ordering and analysis\nkill 9\n");
    EXPECT_EQ(Run({"--forward"}), 1);
    const std::string killed = "ferrovan was killed by signal 9 (the system may have run out of memory).";
    EXPECT_EQ(err.str(), "Error occured during forward modelling.\n" + killed + "\n");
    EXPECT_EQ(ReadBytes("ferrovan.log"), "ordering and analysis\n" + killed + "\r\n");
}

// A survey design written as a protocol that the batch mode reads back and forward models.
TEST_F(BatchTest, ASurveyDesignIsAProtocolForTheNextRun)
{
    StandIns programs;
    programs.Add("ferrovan", VMM_FERROVAN);
    WriteBytes("model.txt", CrLf(kNewModel));
    ASSERT_EQ(Run({"--array", "wenner", "--a", "20", "--optimize-survey", "6"}), 0) << err.str();
    const std::vector<std::string> tail = {"", "Survey design of the stand-in: 6 configurations",
                                           "Created protocol: " + dir.File("protocol_optimized.txt")};
    std::vector<std::string> lines = Lines(out.str());
    ASSERT_GE(lines.size(), tail.size());
    EXPECT_EQ(std::vector<std::string>(lines.end() - long(tail.size()), lines.end()), tail);
    EXPECT_NE(ReadBytes("ferrovan.inp").find("OPTIMIZE SURVEY 6 20 0 200 0 50\r\n"), std::string::npos);
    EXPECT_FALSE(FileExists("obs_dc.dat"));

    ASSERT_EQ(Run({"--protocol", "protocol_optimized.txt", "--a", "20", "--forward", "--accuracy", "off"}), 0)
        << err.str();
    lines = Lines(ReadBytes("obs_dc.dat"));
    ASSERT_EQ(lines.size(), 7u); // the header and the 6 configurations
    EXPECT_EQ(lines[1].rfind("0 60  20 40 ", 0), 0u);

    // The locations file keeps that the survey was a protocol, but not which: without --protocol
    // the next run says so before it changes anything, and with --array it goes ahead.
    const std::string locations = ReadBytes("loc2d.txt");
    EXPECT_EQ(Run({"--a", "20"}), 1);
    EXPECT_EQ(err.str(), "Forward modeling has already been done in this folder.\nDo you want to erase previous "
                         "results?\nYes\nThe last discretization in this folder used a protocol, which the "
                         "locations file does not name.\nGive it with --protocol FILE, or another survey with "
                         "--array.\n");
    EXPECT_EQ(ReadBytes("loc2d.txt"), locations);
    EXPECT_TRUE(FileExists("obs_dc.dat"));
    EXPECT_EQ(Run({"--array", "wenner", "--a", "20"}), 0) << err.str();
}

// The program itself, started without a shell or a display in a folder holding only a model.
TEST_F(BatchTest, TheProgramDiscretizesAndDrawsWithoutADisplay)
{
    WriteBytes("model.txt", CrLf(kNewModel));
    const ProgramRun run =
        RunProgram(VMM_PROGRAM, {"--batch", "model.txt", "--array", "pole-dipole-r", "--png", "shot"}, true);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, kDefaultSummary + "Created picture: " + dir.File("shot-model.png") + "\n");
    EXPECT_EQ(QImage(QString::fromStdString(dir.File("shot-model.png"))).size(), QSize(1200, 700));
}

// Ctrl-C during a slow forward run: the forward program, in a process group of its own, gets it
// too and is gone when the batch mode ends. The copy of the program finds the stand-in beside it.
TEST_F(BatchTest, AnInterruptIsPassedOnToTheForwardProgramAndWaitedFor)
{
    TempDir programs;
    std::filesystem::copy_file(VMM_PROGRAM, programs.File("velquor-model-maker"));
    std::filesystem::copy_file(VMM_STANDIN, programs.File("ferrovan"));
    WriteBytes("model.txt", CrLf(kNewModel));
    WriteBytes("standin-script.txt", "pid\nobs_dc.dat\n> wavenumber 1 of 3\nsleep 2000\n");
    bool interrupted = false;
    const ProgramRun run = RunProgram(programs.File("velquor-model-maker"), {"--batch", "model.txt", "--forward"}, true,
                                      [&interrupted](pid_t pid, const ProgramRun& sofar) {
                                          if (!interrupted && sofar.err.find("of 3\n") != std::string::npos)
                                              interrupted = ::kill(pid, SIGINT) == 0;
                                      });
    EXPECT_EQ(run.status, 130);
    EXPECT_EQ(run.err, "wavenumber 1 of 3\n");
    EXPECT_NE(run.out.find("\nForward modelling was cancelled.\n"), std::string::npos) << run.out;
    const pid_t group = std::stoi(ReadBytes("standin-pid.txt"));
    EXPECT_TRUE(::kill(-group, 0) == -1 && errno == ESRCH);
    EXPECT_FALSE(FileExists("obs_dc.dat"));
    EXPECT_EQ(ReadBytes("ferrovan.log"), "The run was cancelled by the user.\r\n");
}

// Ctrl-C while the discretization writes a large model file: the program ends with the status
// the signal asks for and without the writer's hidden temporary file.
TEST_F(BatchTest, AnInterruptedDiscretizationLeavesNoTemporaryFile)
{
    WriteBytes("model.txt", CrLf(kNewModel));
    auto temporary = [this] {
        const std::vector<std::string> names = FileNames(dir.Path());
        return std::any_of(names.begin(), names.end(),
                           [](const std::string& name) { return IsTemporaryFileOf(name, "model2d.con"); });
    };
    bool watched = false, seen = false;
    // The warning about dz comes just before the discretization starts.
    const ProgramRun run =
        RunProgram(VMM_PROGRAM, {"--batch", "model.txt", "--mesh", "m2", "--dx", "0.05", "--dz", "0.1"}, true,
                   [&](pid_t pid, const ProgramRun&) {
                       if (std::exchange(watched, true))
                           return;
                       for (int i = 0; i < 20000 && !(seen = temporary()); ++i)
                           ::usleep(500);
                       if (seen)
                           ::kill(pid, SIGINT);
                   });
    ASSERT_TRUE(seen) << run.err;
    EXPECT_EQ(run.status, 130);
    EXPECT_FALSE(temporary());
}

} // namespace
