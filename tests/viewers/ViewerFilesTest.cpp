// Reading what the viewers show: the model on its mesh, the data and their pseudo-section,
// the topography, and the command lines the main program starts the viewers with.
#include "ViewerFixtures.h"
#include "files/DataFile.h"
#include "files/ModelSection.h"
#include "files/PseudoSection.h"
#include "files/TopoProfile.h"
#include "files/ViewerArgs.h"
#include "mesh/Locations.h"
#include "model/ModelData.h"
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

TEST_F(ViewerFiles, DataFilesReadWithTheirCommentsAndLineEnds)
{
    WriteBytes("obs_dc.dat", "! A B M N V/I(ohm) rho_a(ohm m)\r\n0 0  10 20  1.5 94.2478\r\n\r\n"
                             "  ! a comment\n10 10  20 30  0.75 -3\n");
    CDataSet set;
    ASSERT_EQ(ReadDataFile("obs_dc.dat", false, set), "");
    ASSERT_EQ(set.data.size(), 2u);
    EXPECT_DOUBLE_EQ(set.data[0].vi, 1.5);
    EXPECT_DOUBLE_EQ(set.data[0].value, 94.2478);
    EXPECT_EQ(set.data[1].line, 5);
}

// Edwards' (1977) median depths of investigation, in units of the electrode spacing a.
TEST(PseudoDepth, MedianDepthsMatchThePublishedTables)
{
    EXPECT_NEAR(MedianDepth(0, 0, 1, 1), std::sqrt(3.0) / 2, 1e-9); // pole-pole
    EXPECT_NEAR(MedianDepth(0, 3, 1, 2), 0.519, 5e-4);              // Wenner
    const double dipoleDipole[] = {0.416, 0.697, 0.962, 1.220, 1.476, 1.730};
    const double poleDipole[] = {0.519, 0.925, 1.318, 1.706, 2.093, 2.478};
    for (int k = 1; k <= 6; ++k) {
        EXPECT_NEAR(MedianDepth(0, 1, 1 + k, 2 + k), dipoleDipole[k - 1], 5e-4) << "n = " << k;
        // Turned round, moved and scaled: proportionally as deep.
        EXPECT_NEAR(MedianDepth(100, 100, 100 - 10 * k, 90 - 10 * k), 10 * poleDipole[k - 1], 5e-3) << "n = " << k;
    }
}

TEST_F(ViewerFiles, EveryArrayLaysOutItsDataByMidpointAndLevel)
{
    for (int type = 0; type < 4; ++type) {
        SCOPED_TRACE(type);
        CModelData m;
        m.m_arrayType = type;
        int n = m.m_n, transmitters = 0, data = 0;
        double L = 0;
        ASSERT_TRUE(WriteLocationsFile(m, n, L, m.m_aSpacing, transmitters, data));
        ASSERT_EQ(WriteDataFile("loc2d.txt", "obs_dc.dat", false, [](double) { return 100.0; }), data);
        CDataSet set;
        CPseudoSection section;
        ASSERT_EQ(ReadDataFile("obs_dc.dat", false, set), "");
        ASSERT_EQ(section.Build(set, "obs_dc.dat"), "");
        EXPECT_EQ(section.maxLevel, 6);
        EXPECT_EQ(section.electrodes.back() - section.electrodes.front(), 200);
        // The datum's level is its separation k in spacings of 10; each level is one row of
        // cells, and the rows stack without gaps.
        std::map<int, std::pair<double, double>> rows; // level: top, bottom
        for (size_t i = 0; i < set.data.size(); ++i) {
            const CDatum& d = set.data[i];
            const CSectionCell& c = section.cells[i];
            EXPECT_EQ(c.level, std::lround(std::min(std::fabs(d.m - d.b), std::fabs(d.m - d.a)) / 10));
            EXPECT_TRUE(c.top < c.depth && c.depth < c.bottom && c.x - 5 >= section.xMin && c.x + 5 <= section.xMax);
            EXPECT_EQ(rows.emplace(c.level, std::pair(c.top, c.bottom)).first->second, std::pair(c.top, c.bottom));
        }
        ASSERT_EQ(rows.size(), 6u);
        for (int level = 2; level <= 6; ++level)
            EXPECT_DOUBLE_EQ(rows[level].first, rows[level - 1].second);
        EXPECT_DOUBLE_EQ(section.maxDepth, rows[6].second);
    }
}
TEST(PseudoSectionColours, ApparentResistivityIsColouredAsLogConductivityAndNonPositiveOnesAreLeftOut)
{
    CDataSet set;
    set.data = {{0, 0, 10, 20, 100, 1, 1}, {10, 10, 20, 30, 0.1, 1, 2}, {20, 20, 30, 40, -5, 1, 3}};
    CPseudoSection section;
    ASSERT_EQ(section.Build(set, "obs_dc.dat"), "");
    EXPECT_FALSE(section.cells[2].valid);
    EXPECT_EQ(std::make_pair(section.vMin, section.vMax), std::make_pair(-2.0, 1.0));
    set.ip = true; // chargeabilities go as they are, negative ones too
    ASSERT_EQ(section.Build(set, "obs_ip.dat"), "");
    EXPECT_TRUE(section.cells[2].valid);
    EXPECT_EQ(std::make_pair(section.vMin, section.vMax), std::make_pair(-5.0, 100.0));
}

TEST_F(ViewerFiles, TheTopographyFileOfADiscretizationReadsBack)
{
    DiscretizedModel(0, true);
    CTopoProfile p;
    ASSERT_EQ(ReadTopoProfile("topo2d.txt", p), "");
    ASSERT_EQ(p.x.size(), 5u); // the three points and the mesh's two edges
    EXPECT_DOUBLE_EQ(p.elevation[2], -20);
    EXPECT_DOUBLE_EQ(p.ElevationAt(50), -10);
    EXPECT_DOUBLE_EQ(p.ElevationAt(-1000), 0); // flat beyond the ends
    EXPECT_DOUBLE_EQ(p.ElevationAt(1000), 0);
}

// What each reader says of the file "bad".
std::string ModelSays(bool ip)
{
    CModelSection s;
    return s.Load("mesh.txt", "bad", ip);
}
std::string DataSays(bool ip)
{
    CDataSet set;
    CPseudoSection section;
    const std::string message = ReadDataFile("bad", ip, set);
    return message.empty() ? section.Build(set, "bad") : message;
}
std::string TopoSays(bool)
{
    CTopoProfile p;
    const std::string message = ReadTopoProfile("bad", p);
    EXPECT_TRUE(p.x.empty());
    return message;
}

TEST_F(ViewerFiles, BadFilesAreRefusedWithAMessageNamingTheFile)
{
    WriteBytes("mesh.txt", "2\n0 10 1\n20 1\n\n1\n0 5 2\n"); // 2 x 2 cells
    const struct {
        std::string (*reader)(bool ip);
        const char* text; // nullptr: no such file
        const char* says; // "": accepted
        bool ip = false;
    } rows[] = {
        {ModelSays, nullptr, "Model file not found:\nbad"},
        {ModelSays, "", "The model file is empty:\nbad"},
        {ModelSays, "x 2\r\n", "does not start with its numbers of columns and rows"},
        {ModelSays, "2 2\r\n1 1 \r\n1 ", "cut short: it holds 3 of its 2 x 2 values"},
        {ModelSays, "2 2\r\n1 1,5 \r\n1 1 \r\n",
         "Value 2 of the model file (column 2, row 1) is not a number: \"1,5\""},
        {ModelSays, "2 2\r\nnan 1 \r\n1 1 \r\n", "(column 1, row 1) is not a number"},
        {ModelSays, "2 2\r\n1 1 \r\n1 1 \r\n1 \r\n", "holds more than its 2 x 2 values"},
        {ModelSays, "100000 100000\r\n", "more than a mesh may hold"},
        {ModelSays, "3 2\r\n1 1 1 \r\n1 1 1 \r\n",
         "The model does not fit its mesh: the model file has 3 x 2 cells, the mesh 2 x 2.\nbad\nmesh.txt"},
        {ModelSays, "2 2\r\n1 1 \r\n1 0 \r\n", "column 2, row 2 is not above 0 (0)"},
        {ModelSays, "2 2\r\n-1 1 \r\n1 1 \r\n", "", true}, // negative chargeability is fine
        {DataSays, nullptr, "Data file not found:\nbad"},
        {DataSays, "! A B M N eta_a\r\n", "The data file holds no data:\nbad", true},
        {DataSays, "! A B M N eta_a\r\n0 10  20 30  0.01\r\n0 10  30",
         "Line 3 of the data file should hold 5 numbers (A B M N eta_a), not:\n\"0 10  30\"\nbad", true},
        {DataSays, "0 10  20 30  0.01\r\n", "It looks like IP data: start the viewer with /ip."},
        {DataSays, "0 10  20 30  1 100\r\n", "It looks like DC data: start the viewer with /dc.", true},
        {DataSays, "0 10  20 30  1,5 100\r\n", "Line 1 of the data file should hold 6 numbers"},
        {DataSays, "0 10  20 30  1 inf\r\n", "should hold 6 numbers"},
        {DataSays, "0 10  10 30  1 100\r\n",
         "Line 1 of the data file puts a current electrode and a potential electrode at the same position:\nbad"},
        {TopoSays, nullptr, "Topography file not found:\nbad"},
        {TopoSays, "\r\n", "The topography file is empty:\nbad"},
        {TopoSays, "x  0\r\n0 0\r\n", "The first line of the topography file should hold its number of points"},
        {TopoSays, "3  0\r\n0 0\r\n10 1\r\n", "cut short: it holds 2 of its 3 points"},
        {TopoSays, "2  0\r\n0 0\r\n10\r\n", "Line 3 of the topography file should hold two numbers"},
        {TopoSays, "3  0\r\n0 0\r\n10 1\r\n5 1\r\n", "go back to the left at line 4"},
        {TopoSays, "2  0\r\n0 0\r\n10 1\r\n20 1\r\n", "holds more than its 2 points"},
    };
    for (const auto& row : rows) {
        std::filesystem::remove("bad");
        if (row.text)
            WriteBytes("bad", row.text);
        const std::string message = row.reader(row.ip);
        EXPECT_TRUE(*row.says ? message.find(row.says) != std::string::npos : message.empty())
            << row.says << ": " << message;
    }
    // Folders and bad meshes.
    std::filesystem::create_directory("folder");
    CModelSection s;
    EXPECT_EQ(s.Load("folder", "bad", false), "Mesh file not found:\nfolder");
    WriteBytes("bad-mesh.txt", "2\n0 10 1\n5 1\n\n1\n0 5 2\n");
    EXPECT_EQ(s.Load("bad-mesh.txt", "bad", false), "Error: Invalid mesh.\nbad-mesh.txt");
    EXPECT_EQ(s.Load("mesh.txt", "folder", false), "Cannot read the model file:\nfolder");
    CDataSet set;
    EXPECT_EQ(ReadDataFile("folder", false, set), "Cannot read the data file:\nfolder");
}

// Windows-style switches in any case, and the picture options.
TEST(ViewerCommandLines, SwitchesAndPictureOptionsAreRead)
{
    CDataViewerArgs data;
    ASSERT_EQ(ParseDataViewerArgs(
                  {"obs.dat", "/IP", "/Topo=t.txt", "--png", "out.png", "--size", "800x600", "--n-level"}, data),
              "");
    EXPECT_TRUE(data.ip);
    EXPECT_EQ(data.topoPath, "t.txt");
    EXPECT_EQ(data.picture.png, "out.png");
    EXPECT_EQ(std::make_pair(data.picture.width, data.picture.height), std::make_pair(800, 600));
    EXPECT_TRUE(data.nLevel);
    CModelViewerArgs model;
    ASSERT_EQ(ParseModelViewerArgs({"m.txt", "c.con", "--png", "p.png", "--whole", "--no-mesh-lines"}, model), "");
    EXPECT_FALSE(model.ip);
    EXPECT_TRUE(model.wholeMesh);
    EXPECT_FALSE(model.meshLines);
    EXPECT_EQ(model.picture.width, 1200);
}

TEST(ViewerCommandLines, WrongCommandLinesSayWhatIsWrong)
{
    const struct {
        bool model; // the model viewer's, else the data viewer's
        std::vector<std::string> words;
        const char* says;
    } rows[] = {
        {true, {"mesh2d.txt"}, "Name the mesh file and the model file."},
        {true, {"a", "b", "c"}, "Too many file names: c"},
        {true, {"a", "b", "--colour"}, "Unknown option --colour."},
        {true, {"a", "b", "--png"}, "The option --png needs a value."},
        {true, {"a", "b", "--png", "p.png", "--size", "800"}, "--size 800: give the width and height"},
        {true, {"a", "b", "--png", "p.png", "--size", "10x10"}, "--size 10x10: give"},
        {true, {"a", "b", "--whole"}, "--whole and --no-mesh-lines go with --png."},
        {false, {}, "Name the data file."},
        {false, {"obs_dc.dat"}, "Say whether the data are DC (/dc) or IP (/ip)."},
        {false, {"obs_dc.dat", "/dc", "/ip"}, "Give only one of /dc and /ip."},
        {false, {"obs_dc.dat", "/dc", "/topo="}, "/topo= needs the name of the topography file."},
    };
    for (const auto& row : rows) {
        CModelViewerArgs model;
        CDataViewerArgs data;
        const std::string message =
            row.model ? ParseModelViewerArgs(row.words, model) : ParseDataViewerArgs(row.words, data);
        EXPECT_EQ(message.rfind(row.says, 0), 0u) << row.says << ": " << message;
    }
}

} // namespace
