// The forward-modelling input file and the run of the forward program against stand-ins.
#include "forward/ForwardRun.h"
#include "forward/ForwardInput.h"
#include "forward/StandIns.h"
#include "model/ModelData.h"
#include "platform/FilePath.h"
#include "platform/Refusal.h"
#include "support/MessageLog.h"

#include <gtest/gtest.h>

namespace {

// The lines follow the forward type and the topography; a name that would break its line is
// refused by the run below.
TEST(ForwardInputFile, LinesFollowTheTypeAndTopographyAndReplaceAnOldFile)
{
    TempDir dir;
    const std::string head = "MESH FILE mesh2d.txt\r\nLOC LOC_X loc2d.txt\r\nCOND FILE model2d.con\r\n";
    const struct {
        EForwardType type;
        bool topography;
        std::string bytes;
    } rows[] = {
        {EForwardType::dc, false, "FWD DC\r\n" + head},
        {EForwardType::dcIpl, true, "FWD IPL\r\n" + head + "CHG FILE model2d.chg\r\nTOPO FILE topo2d.txt\r\n"},
    };
    for (const auto& row : rows) {
        WriteBytes(dir.File("ferrovan.inp"), std::string(400, 'x') + "\r\n");
        CModelData m;
        m.m_discretize.forward = row.type;
        m.m_bTopography = row.topography;
        WriteForwardInputFile(m, dir.File("ferrovan.inp"));
        EXPECT_EQ(ReadBytes(dir.File("ferrovan.inp")), row.bytes);
    }
}

// A discretized model in its own current folder, with data files of earlier runs of every kind, a
// temporary file a killed run left and one of the user's that looks alike.
struct Scene {
    explicit Scene(int fwdType, std::initializer_list<const char*> names = {"ferrovan"}) : programs(names)
    {
        m.m_discretize.forward = EForwardType(fwdType);
        for (const char* name : kDataFiles)
            WriteBytes(dir.File(name), "old");
        for (const char* name : {".obs_ipL.dat.Xy12Zw", ".model.txt.Xy12Zw"})
            WriteBytes(dir.File(name), "half");
    }

    // A whole run; what ended it is shown as the commands show it.
    bool Run()
    {
        CFolderLock lock;
        return Attempt([this, &lock] { RunForwardModel(m, lock); });
    }
    // A start that fails; removed: whether the old results went all the same.
    void StartFails(bool removed)
    {
        CFolderLock lock;
        CForwardRun run(m, lock);
        EXPECT_FALSE(Attempt([&run] { run.Start(); }));
        EXPECT_EQ(run.RemovedResults(), removed);
    }

    void ExpectOneBox(const std::string& text, unsigned style) const
    {
        ASSERT_EQ(log.Boxes().size(), 1u) << text;
        EXPECT_EQ(log.Last(), text);
        EXPECT_EQ(log.Boxes()[0].style, style) << text;
    }

    // What the stand-in does when it runs.
    void Writes(const std::string& lines) const { WriteBytes(dir.File("standin-script.txt"), lines); }
    // Which data files are there, and which of them the run left from before.
    std::string DataFiles() const
    {
        std::string s;
        for (const char* name : kDataFiles)
            if (FileExists(dir.File(name)))
                s += std::string(name) + (ReadBytes(dir.File(name)) == "old" ? " (old) " : " ");
        return s;
    }

    static constexpr const char* kDataFiles[] = {"obs_dc.dat", "obs_ip.dat", "obs_ipL.dat"};
    TempDir dir;
    CurrentDirGuard cwd{dir.Path()};
    StandIns programs;
    MessageLog log;
    CModelData m;
};

const std::string kFailed = "Error occured during forward modelling.\n";
const std::string kLookInTheLog = kFailed + "Look in the log file for more information.";

// Every earlier data file goes at the start, whatever the type; a killed program is named with its
// signal, in the log too, and leaves no temporary file.
TEST(ForwardRun, JudgedByTheDataFilesOfTheTypeAndEveryOldOneIsRemoved)
{
    const std::string killed = "ferrovan was killed by signal ";
    const struct {
        const char* name;
        int fwdType;
        std::string writes; // by the stand-in
        std::string files;  // afterwards
        std::string box;    // none when it succeeded
    } rows[] = {
        {"DC writing DC", 0, "obs_dc.dat\n", "obs_dc.dat ", ""},
        {"IPL writing DC and IPL", 2, "obs_dc.dat\nobs_ipL.dat\n", "obs_dc.dat obs_ipL.dat ", ""},
        {"DC writing nothing", 0, "", "", kLookInTheLog},
        {"DC writing DC but exiting 1", 0, "obs_dc.dat\nexit 1\n", "obs_dc.dat ", kLookInTheLog},
        {"IPL writing DC and IP", 2, "obs_dc.dat\nobs_ip.dat\n", "obs_dc.dat obs_ip.dat ", kLookInTheLog},
        {"IP killed as out of memory", 1, "obs_dc.dat\n.obs_ip.dat.Ab12Cd\nkill 9\n", "obs_dc.dat ",
         kFailed + killed + "9 (the system may have run out of memory)."},
        {"DC crashing", 0, ".obs_dc.dat.Ab12Cd\nkill 11\n", "", kFailed + killed + "11."},
    };
    for (const auto& row : rows) {
        Scene s(row.fwdType);
        s.Writes("ferrovan.log = ordering and analysis\n" + row.writes);
        EXPECT_EQ(s.Run(), row.box.empty()) << row.name;
        EXPECT_EQ(s.DataFiles(), row.files) << row.name;
        if (row.box.empty())
            EXPECT_TRUE(s.log.Empty()) << row.name;
        else
            s.ExpectOneBox(row.box, MB_ICONERROR);
        const bool signalled = row.box.find(killed) != std::string::npos;
        EXPECT_EQ(ReadBytes(s.dir.File("ferrovan.log")),
                  "ordering and analysis\n" + (signalled ? row.box.substr(kFailed.size()) + "\r\n" : ""))
            << row.name;
        std::vector<std::string> hidden = FileNames(s.dir.Path());
        std::erase_if(hidden, [](const std::string& name) { return name[0] != '.'; });
        EXPECT_EQ(hidden, std::vector<std::string>{".model.txt.Xy12Zw"}) << row.name;
        // Started once, with the folder's lock, in the model's folder, and waited for; a killed
        // stand-in records nothing.
        const std::vector<Args> started = {{"ferrovan.exe", "--lock-fd", "3", "ferrovan.inp"}};
        EXPECT_EQ(RecordedRuns(s.dir.Path()), signalled ? std::vector<Args>{} : started) << row.name;
    }
}

// The depth of investigation the run wrote is kept for the view; one it cannot read is left out.
TEST(ForwardRun, TheDepthOfInvestigationOfTheRunIsRead)
{
    for (const auto& [written, points] : {std::pair{"doi2d.txt = 5 12 11", 1}, {"doi2d.txt", 0}, {"", 0}}) {
        Scene s(0);
        s.m.m_depthOfInvestigation = {{0, 1}, {2, 3}, {4, 5}};
        s.Writes(std::string("obs_dc.dat\n") + written + "\n");
        EXPECT_TRUE(s.Run()) << written;
        EXPECT_EQ(s.m.m_depthOfInvestigation.size(), size_t(points)) << written;
    }
}

TEST(ForwardRun, WithoutTheProgramTheOldResultsAreGoneAndSaidToBe)
{
    Scene s(1, {});
    s.StartFails(true);
    s.ExpectOneBox("ferrovan not found.", MB_ICONERROR);
    EXPECT_EQ(s.DataFiles(), "");
}

TEST(ForwardRun, AnInputFileThatCannotBeWrittenOrHoldANameStopsBeforeTheProgramStarts)
{
    {
        Scene s(0);
        s.Writes("obs_dc.dat\n");
        std::filesystem::create_directory(s.dir.File("ferrovan.inp"));
        s.StartFails(true);
        EXPECT_NE(s.log.Last().find("ferrovan.inp"), std::string::npos) << s.log.Last();
        EXPECT_EQ(s.log.Boxes().size(), 1u);
        EXPECT_FALSE(FileExists(s.dir.File("standin-args.txt")));
        EXPECT_EQ(s.DataFiles(), "");
    }
    // A name with a line break is refused before the old results go.
    Scene s(2);
    s.Writes("obs_dc.dat\nobs_ipL.dat\n");
    s.m.m_meshFileName = "mesh\n2d.txt"; // an existing mesh's
    s.StartFails(false);
    s.ExpectOneBox(
        "The file name\nmesh\n2d.txt\nholds a line break, which the forward-modelling input file cannot hold.", MB_OK);
    EXPECT_FALSE(FileExists(s.dir.File("standin-args.txt")) || FileExists(s.dir.File("ferrovan.inp")));
    EXPECT_EQ(s.DataFiles(), "obs_dc.dat (old) obs_ip.dat (old) obs_ipL.dat (old) ");
}

// The box after a run names the data the program's estimate puts above its target and the
// program's warnings; a missing or unreadable estimate says nothing. Another target, and off,
// are followed through the command.
TEST(ForwardRun, TheAccuracyNoteCountsTheDataAboveTheTarget)
{
    TempDir dir;
    CurrentDirGuard cwd(dir.Path());
    CModelData m;
    EXPECT_EQ(ForwardAccuracyNote(m), "");
    const struct {
        EForwardType type;
        std::string file, note;
    } rows[] = {
        {EForwardType::dc, "0 0  10 20  0.5\n0 0  20 30  0.1\n", ""},
        {EForwardType::dc, "0 0  10 20  0.51\n0 0  20 30  0.1\n0 0  30 40  2.25\n",
         "The estimated error of 2 of 3 data is above 0.5 %, up to 2.2 %.\nThe estimate of every datum is in "
         "obs_err.dat, the worst data are named in the log file."},
        {EForwardType::dcIp, "0 0  10 20  0.6 0.001\n",
         "The estimated error of 1 of 1 data is above 0.5 %, up to 0.6 %."},
        {EForwardType::dc, "0 0  10 20  0.503\n", "The estimated error of 1 of 1 data is above 0.5 %, up to 0.503 %."},
        {EForwardType::dcIp, "0 0  10 20  0.6\n", ""}, // a DC estimate for an IP run
    };
    for (const auto& row : rows) {
        WriteBytes("obs_err.dat", row.file);
        m.m_discretize.forward = row.type;
        EXPECT_EQ(ForwardAccuracyNote(m).substr(0, row.note.size()), row.note) << row.file;
        EXPECT_EQ(ForwardAccuracyNote(m).empty(), row.note.empty()) << row.file;
    }

    // The program's warnings follow, the first three, but its own count of the data above the
    // target; they come with the estimate off too.
    WriteBytes("ferrovan.log", "Grid: 10 x 10\r\nWarning: one\r\nWarning: 2 of 3 data may be off by more than the "
                               "target of 0.5%.\r\n Warning: not one\r\nWarning: two\r\nWarning: three\r\n");
    EXPECT_EQ(ForwardAccuracyNote(m, 0), "The forward-modelling program warned:\none\ntwo\nthree");
    EXPECT_EQ(ForwardAccuracyNote(m, 0, false), ""); // the batch mode has shown them
    WriteBytes("ferrovan.log", "Warning: one\nWarning: two\nWarning: three\nWarning: four\nWarning: five\n");
    WriteBytes("obs_err.dat", "0 0  10 20  0.6\n");
    m.m_discretize.forward = EForwardType::dc;
    EXPECT_EQ(ForwardAccuracyNote(m),
              "The estimated error of 1 of 1 data is above 0.5 %, up to 0.6 %.\nThe estimate of every datum is in "
              "obs_err.dat, the worst data are named in the log file.\n\nThe forward-modelling program warned:\none\n"
              "two\nthree\n2 more in the log file.");
}

} // namespace
