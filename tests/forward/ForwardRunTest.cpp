// The forward-modelling input file and the run of the forward program against stand-ins.
#include "forward/ForwardRun.h"
#include "forward/ForwardInput.h"
#include "forward/StandIns.h"
#include "model/ModelData.h"
#include "platform/FilePath.h"
#include "support/MessageLog.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// A name holding a line break is refused, and the old file left, only when the name is written.
TEST(ForwardInputFile, LinesFollowTheTypeAndTopographyAndReplaceAnOldFile)
{
    TempDir dir;
    const std::string head = "MESH FILE mesh2d.txt\r\nLOC LOC_X loc2d.txt\r\nCOND FILE model2d.con\r\n";
    const std::string chg = "CHG FILE model2d.chg\r\n", topo = "TOPO FILE topo2d.txt\r\n";
    const std::string old = std::string(400, 'x') + "\r\nFWD IPL\r\n";
    const struct {
        int fwdType;
        bool topography;
        std::string mesh, bytes, chgName = "model2d.chg";
    } rows[] = {
        {0, false, "mesh2d.txt", "FWD DC\r\n" + head, "model\n2d.chg"},
        {2, true, "mesh2d.txt", "FWD IPL\r\n" + head + chg + topo},
        {1, false, "/my data/mesh\r", old},
        {1, false, "mesh2d.txt", old, "model\n2d.chg"},
    };
    for (const auto& row : rows) {
        WriteBytes(dir.File("ferrovan.inp"), old);
        CModelData m;
        m.m_fwdType = row.fwdType;
        m.m_bTopography = row.topography;
        m.m_meshFileName = row.mesh;
        m.m_chgFileName = row.chgName;
        MessageLog log;
        const bool refused = row.bytes == old;
        EXPECT_EQ(WriteForwardInputFile(m, dir.File("ferrovan.inp")), !refused);
        EXPECT_EQ(ReadBytes(dir.File("ferrovan.inp")), row.bytes);
        const std::string name = row.mesh.find_first_of("\r\n") != std::string::npos ? row.mesh : row.chgName;
        EXPECT_EQ(log.Texts(), refused ? std::vector<std::string>{"The file name\n" + name +
                                                                  "\nholds a line break, which the forward-modelling "
                                                                  "input file cannot hold."}
                                       : std::vector<std::string>{});
    }
}

// A discretized model in its own current folder, with data files of earlier runs of every kind.
struct Scene {
    explicit Scene(int fwdType, std::initializer_list<const char*> names = {"ferrovan"}) : programs(names)
    {
        m.m_fwdType = fwdType;
        m.m_bDiscretized = m.m_bForwardDone = true;
        for (const char* name : kDataFiles)
            WriteBytes(dir.File(name), "old");
        SetMessageBeepHandler([this] { ++beeps; });
    }
    ~Scene() { SetMessageBeepHandler(nullptr); }

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
    int beeps = 0;
};

const char* const kFinished = "Forward modelling has finished.";
const char* const kFailed = "Error occured during forward modelling.\nLook in the log file for more information.";

TEST(ForwardRun, JudgedByTheDataFilesOfTheTypeAndOnlyThoseAreRemoved)
{
    const struct {
        const char* name;
        int fwdType;
        std::string writes; // by the stand-in
        bool ok;
        std::string files; // afterwards
    } rows[] = {
        {"DC writing DC", 0, "obs_dc.dat\n", true, "obs_dc.dat obs_ip.dat (old) obs_ipL.dat (old) "},
        {"IP writing DC and IP", 1, "obs_dc.dat\nobs_ip.dat\n", true, "obs_dc.dat obs_ip.dat obs_ipL.dat (old) "},
        {"IPL writing DC and IPL", 2, "obs_dc.dat\nobs_ipL.dat\n", true, "obs_dc.dat obs_ip.dat (old) obs_ipL.dat "},
        {"DC writing nothing", 0, "", false, "obs_ip.dat (old) obs_ipL.dat (old) "},
        {"DC writing DC but exiting 1", 0, "obs_dc.dat\nexit 1\n", false,
         "obs_dc.dat obs_ip.dat (old) obs_ipL.dat (old) "},
        {"IP writing only DC", 1, "obs_dc.dat\n", false, "obs_dc.dat obs_ipL.dat (old) "},
        {"IPL writing DC and IP", 2, "obs_dc.dat\nobs_ip.dat\n", false, "obs_dc.dat obs_ip.dat "},
    };
    for (const auto& row : rows) {
        Scene s(row.fwdType);
        s.Writes(row.writes);
        EXPECT_EQ(RunForwardModel(s.m), row.ok) << row.name;
        EXPECT_EQ(s.DataFiles(), row.files) << row.name;
        s.ExpectOneBox(row.ok ? kFinished : kFailed, row.ok ? MB_ICONINFORMATION : MB_ICONERROR);
        EXPECT_EQ(s.beeps, row.ok ? 1 : 0) << row.name;
        EXPECT_EQ(s.m.m_bForwardDone, row.ok) << row.name;
        // Started once, as "ferrovan.exe ferrovan.inp", in the model's folder, and waited for.
        EXPECT_EQ(RecordedRuns(s.dir.Path()), (std::vector<Args>{{"ferrovan.exe", "ferrovan.inp"}})) << row.name;
    }
}

TEST(ForwardRun, WithoutTheProgramTheOldResultsAreGoneAndSoIsTheFlag)
{
    Scene s(1, {});
    EXPECT_FALSE(RunForwardModel(s.m));
    s.ExpectOneBox("ferrovan.exe not found.", MB_ICONERROR);
    EXPECT_EQ(s.DataFiles(), "obs_ipL.dat (old) ");
    EXPECT_FALSE(s.m.m_bForwardDone);
    EXPECT_EQ(s.beeps, 0);
}

TEST(ForwardRun, AnInputFileThatCannotBeWrittenOrHoldANameStopsBeforeTheProgramStarts)
{
    {
        Scene s(0);
        s.Writes("obs_dc.dat\n");
        std::filesystem::create_directory(s.dir.File("ferrovan.inp"));
        EXPECT_FALSE(RunForwardModel(s.m));
        EXPECT_NE(s.log.Last().find("ferrovan.inp"), std::string::npos) << s.log.Last();
        EXPECT_EQ(s.log.Boxes().size(), 1u);
        EXPECT_FALSE(FileExists(s.dir.File("standin-args.txt")));
        EXPECT_EQ(s.DataFiles(), "obs_ip.dat (old) obs_ipL.dat (old) ");
        EXPECT_FALSE(s.m.m_bForwardDone);
    }
    // A name with a line break is refused before the old results go.
    Scene s(2);
    s.Writes("obs_dc.dat\nobs_ipL.dat\n");
    s.m.m_bTopography = true;
    s.m.m_topoFileName = "topo\n2d.txt";
    EXPECT_FALSE(RunForwardModel(s.m));
    s.ExpectOneBox(
        "The file name\ntopo\n2d.txt\nholds a line break, which the forward-modelling input file cannot hold.", MB_OK);
    EXPECT_FALSE(FileExists(s.dir.File("standin-args.txt")) || FileExists(s.dir.File("ferrovan.inp")));
    EXPECT_EQ(s.DataFiles(), "obs_dc.dat (old) obs_ip.dat (old) obs_ipL.dat (old) ");
    EXPECT_TRUE(s.m.m_bForwardDone);
}

// The forward program beside this one wins over a planted "ferrovan.exe" in the model's folder
// or on PATH.
TEST(ForwardRun, APlantedFerrovanExeIsNotRun)
{
    Scene s(0);
    s.Writes("obs_dc.dat\n");
    TempDir path;
    for (const std::string& planted : {s.dir.File("ferrovan.exe"), path.File("ferrovan.exe")}) {
        WriteBytes(planted, "#!/bin/sh\ntouch planted\n");
        std::filesystem::permissions(planted, std::filesystem::perms::owner_all);
    }
    const std::string previous = std::getenv("PATH");
    ::setenv("PATH", (path.Path() + ":" + previous).c_str(), 1);
    EXPECT_TRUE(RunForwardModel(s.m));
    ::setenv("PATH", previous.c_str(), 1);
    EXPECT_FALSE(FileExists(s.dir.File("planted")));
}

} // namespace
