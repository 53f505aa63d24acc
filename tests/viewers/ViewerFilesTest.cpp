// Reading what the viewers show: the model on its mesh, the data and their pseudo-section,
// the topography, and the command lines the main program starts the viewers with.
#include "ViewerFixtures.h"
#include "files/DataFile.h"
#include "files/ModelSection.h"
#include "files/PseudoSection.h"
#include "files/TopoProfile.h"
#include "files/ViewerArgs.h"
#include "forward/ForwardRun.h"
#include "mesh/Locations.h"
#include "platform/Process.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>

namespace {

class ViewerFiles : public ::testing::Test {
protected:
    TempDir dir;
    CurrentDirGuard cwd{dir.Path()};
};

// --- The model on its mesh -------------------------------------------------------------------

TEST_F(ViewerFiles, ADiscretizedModelReadsBackOnItsMeshWithItsCoreRegion)
{
    DiscretizedModel(1);
    CModelSection dc;
    ASSERT_EQ(dc.Load("mesh2d.txt", "model2d.con", false), "");
    // The defaults: 82 x 35 cells, 7 padding columns and 4 uniform ones outside the core on each
    // side, 21 rows of dz and 7 of 1.5 dz.
    EXPECT_EQ((std::vector<int>{dc.coreColumn0, dc.coreColumn1, dc.coreRow0, dc.coreRow1}), (std::vector<int>{7, 75, 0, 28}));
    // log10 of the background and of the block from x 40 to 80, depth 10 to 20, which holds 0.1.
    EXPECT_DOUBLE_EQ(dc.vMin, -3);
    EXPECT_NEAR(dc.vMax, -1, 1e-6);
    EXPECT_NEAR(dc.grid.At(dc.ColumnAt(60), dc.RowAt(15)), 0.1, 1e-7);
    EXPECT_EQ(dc.ColumnAt(dc.mesh.xNodes.front() - 1), -1);
    EXPECT_EQ(dc.RowAt(dc.mesh.zNodes.back()), -1);

    CModelSection ip;
    ASSERT_EQ(ip.Load("mesh2d.txt", "model2d.chg", true), "");
    EXPECT_DOUBLE_EQ(ip.vMin, 0);
    EXPECT_NEAR(ip.vMax, 0.1, 1e-7);
}

TEST_F(ViewerFiles, BadModelFilesAreRefusedWithAMessageNamingTheFile)
{
    const std::string mesh = "2\n0 10 1\n20 1\n\n1\n0 5 2\n";   // 2 x 2 cells
    WriteBytes("mesh.txt", mesh);
    std::filesystem::create_directory("folder");
    struct Row {
        const char* name;
        const char* model; // nullptr: no such file
        bool ip;
        const char* says;
    } rows[] = {
        {"missing", nullptr, false, "Model file not found:\nmodel.con"},
        {"empty", "", false, "The model file is empty:\nmodel.con"},
        {"only blanks", " \r\n\r\n", false, "The model file is empty:"},
        {"no header", "x 2\r\n", false, "does not start with its numbers of columns and rows"},
        {"zero columns", "0 2\r\n", false, "does not start with its numbers of columns and rows"},
        {"one count", "2\r\n", false, "does not start with its numbers of columns and rows"},
        {"cut short", "2 2\r\n1 1 \r\n1 ", false, "cut short: it holds 3 of its 2 x 2 values"},
        {"not a number", "2 2\r\n1 1 \r\n1 x \r\n", false, "Value 4 of the model file (column 2, row 2) is not a number: \"x\""},
        {"comma decimal", "2 2\r\n1 1,5 \r\n1 1 \r\n", false, "(column 2, row 1) is not a number: \"1,5\""},
        {"nan", "2 2\r\nnan 1 \r\n1 1 \r\n", false, "(column 1, row 1) is not a number"},
        {"too many values", "2 2\r\n1 1 \r\n1 1 \r\n1 \r\n", false, "holds more than its 2 x 2 values"},
        {"huge header", "100000 100000\r\n", false, "more than a mesh may hold"},
        {"other size", "3 2\r\n1 1 1 \r\n1 1 1 \r\n", false,
         "The model does not fit its mesh: the model file has 3 x 2 cells, the mesh 2 x 2.\nmodel.con\nmesh.txt"},
        {"zero conductivity", "2 2\r\n1 1 \r\n1 0 \r\n", false, "column 2, row 2 is not above 0 (0)"},
        {"negative conductivity", "2 2\r\n-1 1 \r\n1 1 \r\n", false, "column 1, row 1 is not above 0 (-1)"},
        {"negative chargeability is fine", "2 2\r\n-1 1 \r\n1 1 \r\n", true, ""},
    };
    for (const Row& row : rows) {
        std::filesystem::remove("model.con");
        if (row.model)
            WriteBytes("model.con", row.model);
        CModelSection s;
        const std::string message = s.Load("mesh.txt", "model.con", row.ip);
        if (*row.says == 0)
            EXPECT_EQ(message, "") << row.name;
        else
            EXPECT_NE(message.find(row.says), std::string::npos) << row.name << ": " << message;
    }

    CModelSection s;
    EXPECT_EQ(s.Load("folder", "model.con", false), "Mesh file not found:\nfolder");
    EXPECT_EQ(s.Load("nomesh.txt", "model.con", false), "Mesh file not found:\nnomesh.txt");
    WriteBytes("bad-mesh.txt", "2\n0 10 1\n5 1\n\n1\n0 5 2\n");
    EXPECT_EQ(s.Load("bad-mesh.txt", "model.con", false), "Error: Invalid mesh.\nbad-mesh.txt");
    WriteBytes("model.con", "2 2\r\n1 1 \r\n1 1 \r\n");
    EXPECT_EQ(s.Load("mesh.txt", "folder", false), "Cannot read the model file:\nfolder");
}

// --- Data files -----------------------------------------------------------------------------

TEST_F(ViewerFiles, DataFilesReadWithTheirCommentsAndLineEnds)
{
    WriteBytes("obs_dc.dat", "! A B M N V/I(ohm) rho_a(ohm m)\r\n0 0  10 20  1.5 94.2478\r\n\r\n"
                             "  ! a comment\n10 10  20 30  0.75 -3\n");
    CDataSet set;
    ASSERT_EQ(ReadDataFile("obs_dc.dat", false, set), "");
    ASSERT_EQ(set.data.size(), 2u);
    EXPECT_EQ(set.data[0].m, 10);
    EXPECT_EQ(set.data[0].n, 20);
    EXPECT_DOUBLE_EQ(set.data[0].vi, 1.5);
    EXPECT_DOUBLE_EQ(set.data[0].value, 94.2478);
    EXPECT_EQ(set.data[1].line, 5);

    WriteBytes("obs_ip.dat", "! A B M N eta_a\r\n0 10  20 30  0.0123\r\n");
    ASSERT_EQ(ReadDataFile("obs_ip.dat", true, set), "");
    ASSERT_EQ(set.data.size(), 1u);
    EXPECT_DOUBLE_EQ(set.data[0].value, 0.0123);
}

TEST_F(ViewerFiles, BadDataFilesAreRefusedWithAMessageNamingTheFile)
{
    std::filesystem::create_directory("folder");
    struct Row {
        const char* name;
        const char* text; // nullptr: no such file
        bool ip;
        const char* says;
    } rows[] = {
        {"missing", nullptr, false, "Data file not found:\nobs.dat"},
        {"empty", "", false, "The data file holds no data:\nobs.dat"},
        {"comments only", "! A B M N eta_a\r\n", true, "The data file holds no data:"},
        {"cut short", "! A B M N eta_a\r\n0 10  20 30  0.01\r\n0 10  30", true,
         "Line 3 of the data file should hold 5 numbers (A B M N eta_a), not:\n\"0 10  30\"\nobs.dat"},
        {"IP data read as DC", "0 10  20 30  0.01\r\n", false, "It looks like IP data: start the viewer with /ip."},
        {"DC data read as IP", "0 10  20 30  1 100\r\n", true, "It looks like DC data: start the viewer with /dc."},
        {"not a number", "0 10  20 30  1 abc\r\n", false, "Line 1 of the data file should hold 6 numbers"},
        {"comma decimals", "0 10  20 30  1,5 100\r\n", false, "should hold 6 numbers"},
        {"infinite", "0 10  20 30  1 inf\r\n", false, "should hold 6 numbers"},
        {"electrodes together", "0 10  10 30  1 100\r\n", false,
         "Line 1 of the data file puts a current electrode and a potential electrode at the same position:\nobs.dat"},
    };
    for (const Row& row : rows) {
        std::filesystem::remove("obs.dat");
        if (row.text)
            WriteBytes("obs.dat", row.text);
        CDataSet set;
        CPseudoSection section;
        std::string message = ReadDataFile("obs.dat", row.ip, set);
        if (message.empty())
            message = section.Build(set, "obs.dat");
        EXPECT_NE(message.find(row.says), std::string::npos) << row.name << ": " << message;
    }
    CDataSet set;
    EXPECT_EQ(ReadDataFile("folder", false, set), "Cannot read the data file:\nfolder");
}

// --- The pseudo-section ---------------------------------------------------------------------

// Edwards' (1977) median depths of investigation, in units of the electrode spacing a.
TEST(PseudoDepth, MedianDepthsMatchThePublishedTables)
{
    EXPECT_NEAR(MedianDepth(0, 0, 1, 1), std::sqrt(3.0) / 2, 1e-9); // pole-pole
    EXPECT_NEAR(MedianDepth(0, 3, 1, 2), 0.519, 5e-4);              // Wenner
    const double dipoleDipole[] = {0.416, 0.697, 0.962, 1.220, 1.476, 1.730};
    const double poleDipole[] = {0.519, 0.925, 1.318, 1.706, 2.093, 2.478};
    for (int k = 1; k <= 6; ++k) {
        EXPECT_NEAR(MedianDepth(0, 1, 1 + k, 2 + k), dipoleDipole[k - 1], 5e-4) << "n = " << k;
        EXPECT_NEAR(MedianDepth(0, 0, k, k + 1), poleDipole[k - 1], 5e-4) << "n = " << k;
        // The same array turned round, and moved and scaled, lies proportionally as deep.
        EXPECT_NEAR(MedianDepth(100, 100, 100 - 10 * k, 90 - 10 * k), 10 * poleDipole[k - 1], 5e-3);
    }
}

TEST_F(ViewerFiles, EveryArrayLaysOutItsDataByMidpointAndLevel)
{
    const char* names[] = {"pole-pole", "dipole-dipole", "pole-dipole(R)", "pole-dipole(L)"};
    for (int type = 0; type < 4; ++type) {
        SCOPED_TRACE(names[type]);
        CModelData m;
        m.m_arrayType = type;
        int n = m.m_n, transmitters = 0, data = 0;
        double L = 0;
        ASSERT_TRUE(WriteLocationsFile(m, n, L, m.m_aSpacing, transmitters, data));
        ASSERT_EQ(WriteDataFile("loc2d.txt", "obs_dc.dat", false, [](double, double, double, double) { return 100.0; }), data);
        CDataSet set;
        CPseudoSection section;
        ASSERT_EQ(ReadDataFile("obs_dc.dat", false, set), "");
        ASSERT_EQ(section.Build(set, "obs_dc.dat"), "");
        EXPECT_DOUBLE_EQ(section.spacing, 10);
        EXPECT_EQ(section.maxLevel, 6);
        EXPECT_EQ(section.electrodes.front(), 0);
        EXPECT_EQ(section.electrodes.back(), 200);
        // Within a transmitter the separation k grows from 1: k is the datum's level.
        std::map<int, std::vector<const CSectionCell*>> byLevel;
        for (size_t i = 0; i < set.data.size(); ++i) {
            const CDatum& d = set.data[i];
            const CSectionCell& c = section.cells[i];
            const int k = static_cast<int>(std::lround(std::min(std::fabs(d.m - d.b), std::fabs(d.m - d.a)) / 10));
            EXPECT_EQ(c.level, k);
            EXPECT_LT(c.top, c.depth);
            EXPECT_GT(c.bottom, c.depth);
            EXPECT_GE(c.x - 5, section.xMin);
            EXPECT_LE(c.x + 5, section.xMax);
            byLevel[c.level].push_back(&c);
        }
        // Each level is one row of cells a spacing apart, and the rows stack without gaps.
        ASSERT_EQ(byLevel.size(), 6u);
        for (auto& [level, cells] : byLevel) {
            for (size_t j = 1; j < cells.size(); ++j) {
                EXPECT_EQ(cells[j]->top, cells[0]->top);
                EXPECT_NEAR(std::fabs(cells[j]->x - cells[j - 1]->x), 10, 1e-9);
            }
            if (level > 1) {
                EXPECT_DOUBLE_EQ(cells[0]->top, byLevel[level - 1][0]->bottom);
            }
        }
        EXPECT_DOUBLE_EQ(section.maxDepth, byLevel[6][0]->bottom);
    }
}

TEST(PseudoSectionColours, ApparentResistivityIsColouredAsLogConductivityAndNonPositiveOnesAreLeftOut)
{
    CDataSet set;
    set.data = {{0, 0, 10, 20, 100, 1, 1}, {10, 10, 20, 30, 0.1, 1, 2}, {20, 20, 30, 40, -5, 1, 3}};
    CPseudoSection section;
    ASSERT_EQ(section.Build(set, "obs_dc.dat"), "");
    EXPECT_DOUBLE_EQ(section.cells[0].colourValue, -2);
    EXPECT_DOUBLE_EQ(section.cells[1].colourValue, 1);
    EXPECT_FALSE(section.cells[2].valid);
    EXPECT_DOUBLE_EQ(section.vMin, -2);
    EXPECT_DOUBLE_EQ(section.vMax, 1);

    set.ip = true; // chargeabilities go as they are, negative ones too
    ASSERT_EQ(section.Build(set, "obs_ip.dat"), "");
    EXPECT_TRUE(section.cells[2].valid);
    EXPECT_DOUBLE_EQ(section.vMin, -5);
    EXPECT_DOUBLE_EQ(section.vMax, 100);
}

// --- Topography -----------------------------------------------------------------------------

TEST_F(ViewerFiles, TheTopographyFileOfADiscretizationReadsBack)
{
    const CModelData m = DiscretizedModel(0, true);
    CTopoProfile p;
    ASSERT_EQ(ReadTopoProfile("topo2d.txt", p), "");
    ASSERT_EQ(p.x.size(), 5u); // the three points and the mesh's two edges
    EXPECT_DOUBLE_EQ(p.elevation[2], -20);
    EXPECT_DOUBLE_EQ(p.ElevationAt(50), -10);
    EXPECT_DOUBLE_EQ(p.ElevationAt(-1000), 0); // flat beyond the ends
    EXPECT_DOUBLE_EQ(p.ElevationAt(1000), 0);
}

TEST_F(ViewerFiles, BadTopographyFilesAreRefusedWithAMessageNamingTheFile)
{
    struct Row {
        const char* name;
        const char* text; // nullptr: no such file
        const char* says;
    } rows[] = {
        {"missing", nullptr, "Topography file not found:\ntopo.txt"},
        {"empty", "\r\n", "The topography file is empty:\ntopo.txt"},
        {"no count", "x  0\r\n0 0\r\n", "The first line of the topography file should hold its number of points"},
        {"zero points", "0  0\r\n", "should hold its number of points"},
        {"cut short", "3  0\r\n0 0\r\n10 1\r\n", "cut short: it holds 2 of its 3 points"},
        {"one number", "2  0\r\n0 0\r\n10\r\n", "Line 3 of the topography file should hold two numbers"},
        {"three numbers", "2  0\r\n0 0\r\n10 1 2\r\n", "Line 3 of the topography file should hold two numbers"},
        {"going back", "3  0\r\n0 0\r\n10 1\r\n5 1\r\n", "go back to the left at line 4"},
        {"too many", "2  0\r\n0 0\r\n10 1\r\n20 1\r\n", "holds more than its 2 points"},
    };
    for (const Row& row : rows) {
        std::filesystem::remove("topo.txt");
        if (row.text)
            WriteBytes("topo.txt", row.text);
        CTopoProfile p;
        const std::string message = ReadTopoProfile("topo.txt", p);
        EXPECT_NE(message.find(row.says), std::string::npos) << row.name << ": " << message;
        EXPECT_TRUE(p.x.empty()) << row.name;
    }
}

// --- Command lines --------------------------------------------------------------------------

std::vector<std::string> Words(const std::string& commandLine)
{
    std::vector<std::string> words = SplitCommandLine(commandLine);
    words.erase(words.begin());
    return words;
}

TEST(ViewerCommandLines, TheMainProgramsCommandLinesReachTheViewersAsMeant)
{
    CModelData m;
    m.m_fwdType = 2;
    CModelViewerArgs model;
    ASSERT_EQ(ParseModelViewerArgs(Words(ModelViewerCommandLine(m, true)), model), "");
    EXPECT_EQ(model.meshPath, "mesh2d.txt");
    EXPECT_EQ(model.modelPath, "model2d.con");
    EXPECT_FALSE(model.ip);
    EXPECT_TRUE(model.picture.png.empty());
    ASSERT_EQ(ParseModelViewerArgs(Words(ModelViewerCommandLine(m, false)), model), "");
    EXPECT_EQ(model.modelPath, "model2d.chg");
    EXPECT_TRUE(model.ip);

    CDataViewerArgs data;
    ASSERT_EQ(ParseDataViewerArgs(Words(DataViewerCommandLine(m, true)), data), "");
    EXPECT_EQ(data.dataPath, "obs_dc.dat");
    EXPECT_FALSE(data.ip);
    EXPECT_EQ(data.topoPath, "");
    m.m_bTopography = true;
    ASSERT_EQ(ParseDataViewerArgs(Words(DataViewerCommandLine(m, false)), data), "");
    EXPECT_EQ(data.dataPath, "obs_ipL.dat");
    EXPECT_TRUE(data.ip);
    EXPECT_EQ(data.topoPath, "topo2d.txt");

    // As typed by hand: Windows-style switches in any case, and the picture options.
    ASSERT_EQ(ParseDataViewerArgs({"obs.dat", "/DC", "/Topo=t.txt", "--png", "out.png", "--size", "800x600", "--n-level"}, data), "");
    EXPECT_EQ(data.topoPath, "t.txt");
    EXPECT_EQ(data.picture.png, "out.png");
    EXPECT_EQ(data.picture.width, 800);
    EXPECT_EQ(data.picture.height, 600);
    EXPECT_TRUE(data.nLevel);
    ASSERT_EQ(ParseModelViewerArgs({"m.txt", "c.con", "--png", "p.png", "--whole", "--no-mesh-lines"}, model), "");
    EXPECT_TRUE(model.wholeMesh);
    EXPECT_FALSE(model.meshLines);
    EXPECT_EQ(model.picture.width, 1200);
}

TEST(ViewerCommandLines, WrongCommandLinesSayWhatIsWrong)
{
    struct Row {
        std::vector<std::string> words;
        const char* says;
    } modelRows[] = {
        {{}, "Name the mesh file and the model file."},
        {{"mesh2d.txt"}, "Name the mesh file and the model file."},
        {{"a", "b", "c"}, "Too many file names: c"},
        {{"a", "b", "--colour"}, "Unknown option --colour."},
        {{"a", "b", "--png"}, "The option --png needs a value."},
        {{"a", "b", "--png", "p.png", "--size", "800"}, "--size 800: give the width and height"},
        {{"a", "b", "--png", "p.png", "--size", "10x10"}, "--size 10x10: give"},
        {{"a", "b", "--whole"}, "--whole and --no-mesh-lines go with --png."},
    }, dataRows[] = {
        {{}, "Name the data file."},
        {{"obs_dc.dat"}, "Say whether the data are DC (/dc) or IP (/ip)."},
        {{"obs_dc.dat", "/dc", "/ip"}, "Give only one of /dc and /ip."},
        {{"obs_dc.dat", "obs_ip.dat", "/dc"}, "Too many file names: obs_ip.dat"},
        {{"obs_dc.dat", "/dc", "/topo="}, "/topo= needs the name of the topography file."},
        {{"obs_dc.dat", "/dc", "--size", "axb"}, "--size axb: give"},
    };
    for (const Row& row : modelRows) {
        CModelViewerArgs args;
        EXPECT_EQ(ParseModelViewerArgs(row.words, args).rfind(row.says, 0), 0u) << row.says;
    }
    for (const Row& row : dataRows) {
        CDataViewerArgs args;
        EXPECT_EQ(ParseDataViewerArgs(row.words, args).rfind(row.says, 0), 0u) << row.says;
    }
    CModelViewerArgs args;
    EXPECT_EQ(ParseModelViewerArgs({"--help"}, args), "");
    EXPECT_TRUE(args.help);
}

} // namespace
