// Reading what the viewers show: the model on its mesh, the data and their pseudo-section,
// the topography, and the command lines the main program starts the viewers with.
#include "ViewerFixtures.h"
#include "files/DataEstimate.h"
#include "files/ModelSection.h"
#include "files/PseudoSection.h"
#include "files/ViewerArgs.h"
#include "formats/DataFile.h"
#include "mesh/Locations.h"
#include "model/ModelData.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <optional>

namespace {

using namespace std::string_literals;

class ViewerFiles : public ::testing::Test {
protected:
    TempDir dir;
    CurrentDirGuard cwd{dir.Path()};
};

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

// Every datum in a cell of its own, whatever the array: smaller cells where data crowd, data on one
// plotting point side by side, and the depth axis ends under the deepest datum. Where no data
// crowd, a datum's level is its separation k in spacings, each level one row of cells, and the
// rows stack without gaps.
TEST_F(ViewerFiles, NoCellCoversAnotherInAnyArray)
{
    auto apart = [](const CCellBox& p, const CCellBox& q) {
        return p.right <= q.left || q.right <= p.left || p.bottom <= q.top || q.bottom <= p.top;
    };
    for (int type = 0; type <= static_cast<int>(EArray::gradient); ++type) {
        SCOPED_TRACE(type);
        CModelData m; // Wenner-Schlumberger with every dipole length and gradient: thousands of data
        m.m_discretize.array = EArray(type);
        const bool crowded = m.m_discretize.array >= EArray::wennerSchlumberger;
        m.m_discretize.aSpacing = crowded ? 2 : 10;
        m.m_discretize.n = crowded ? 20 : 6;
        const int data = WriteLocationsFile(m).data;
        ASSERT_EQ(WriteDataFile("loc2d.txt", "obs_dc.dat", EModelKind::dc, [](double) { return 100.0; }), data);
        const CDataFile set = CDataFile::Read("obs_dc.dat", EModelKind::dc);
        CPseudoSection s;
        ASSERT_EQ(s.Build(set, "obs_dc.dat"), "");
        EXPECT_EQ(s.electrodes.back() - s.electrodes.front(), 200);
        double deepest = 0;
        std::map<int, std::pair<double, double>> rows; // level: top, bottom
        for (size_t i = 0; i < s.cells.size(); ++i) {
            const CSectionCell& c = s.cells[i];
            deepest = std::max(deepest, c.depth);
            ASSERT_TRUE(c.box.left < c.box.right && c.box.top <= c.depth && c.depth <= c.box.bottom &&
                        c.box.top < c.box.bottom && c.box.left >= s.xMin && c.box.right <= s.xMax &&
                        c.levelBox.left < c.levelBox.right && c.levelBox.top == c.level - 0.5);
            for (size_t j = 0; j < i; ++j)
                ASSERT_TRUE(apart(c.box, s.cells[j].box) && apart(c.levelBox, s.cells[j].levelBox))
                    << "data " << j << " and " << i;
            const CDataRecord& d = set.data[i];
            const CCellBox& b = c.box;
            if (crowded)
                continue;
            EXPECT_EQ(c.level, std::lround(std::min(std::fabs(d.m - d.b), std::fabs(d.m - d.a)) / 10));
            // A spacing wide, and the rows of one level alike.
            EXPECT_TRUE(b.top < c.depth && c.depth < b.bottom && b.left == c.x - 5 && b.right == c.x + 5);
            EXPECT_EQ(rows.emplace(c.level, std::pair(b.top, b.bottom)).first->second, std::pair(b.top, b.bottom));
        }
        EXPECT_LT(s.maxDepth, 1.1 * deepest);
        if (crowded)
            continue;
        ASSERT_EQ(rows.size(), 6u);
        EXPECT_EQ(s.maxLevel, 6);
        for (int level = 2; level <= 6; ++level)
            EXPECT_DOUBLE_EQ(rows[level].first, rows[level - 1].second);
        EXPECT_DOUBLE_EQ(s.maxDepth, rows[6].second);
    }
}

TEST(PseudoSectionColours, ApparentResistivityIsColouredAsLogConductivityAndNonPositiveOnesAreLeftOut)
{
    CDataFile set;
    set.data = {{0, 0, 10, 20, 1, 100, 1}, {10, 10, 20, 30, 1, 0.1, 2}, {20, 20, 30, 40, 1, -5, 3}};
    CPseudoSection section;
    ASSERT_EQ(section.Build(set, "obs_dc.dat"), "");
    EXPECT_FALSE(section.cells[2].valid);
    EXPECT_EQ(std::make_pair(section.vMin, section.vMax), std::make_pair(-2.0, 1.0));
    set.ip = true; // chargeabilities go as they are, negative ones too
    ASSERT_EQ(section.Build(set, "obs_ip.dat"), "");
    EXPECT_TRUE(section.cells[2].valid);
    EXPECT_EQ(std::make_pair(section.vMin, section.vMax), std::make_pair(-5.0, 100.0));
}

// What the viewers refuse beyond what the files' readers do, and how the readers' refusals reach
// the user.
std::string ModelSays(const std::string& mesh)
{
    CModelSection s;
    return s.Load(mesh, "model", EModelKind::dc);
}

TEST_F(ViewerFiles, FilesThatCannotBeShownAreRefusedWithAMessageNamingTheFile)
{
    WriteBytes("mesh", "2\n0 10 1\n20 1\n\n1\n0 5 2\n"); // 2 x 2 cells
    WriteBytes("bad-mesh", "2\n0 10 1\n5 1\n\n1\n0 5 2\n");
    const std::pair<const char*, const char*> rows[] = {
        {"3 2\r\n1 1 1 \r\n1 1 1 \r\n",
         "The model does not fit its mesh: the model file has 3 x 2 cells, the mesh 2 x 2.\nmodel\nmesh"},
        {"2 2\r\n1 1 \r\n1 0 \r\n", "The conductivity of the cell in column 2, row 2 is not above 0 (0):\nmodel"},
    };
    for (const auto& [model, says] : rows) {
        WriteBytes("model", model);
        EXPECT_EQ(ModelSays("mesh"), says);
    }
    EXPECT_EQ(ModelSays("bad-mesh"), "Error: Invalid mesh.\nbad-mesh\nLine 3: the x positions must increase by at "
                                     "least 1e-06, but 5 follows 10.");
    WriteBytes("model", "2 2\r\n-1 1 \r\n1 1 \r\n");
    CModelSection ip;
    EXPECT_EQ(ip.Load("mesh", "model", EModelKind::ip), "") << "a negative chargeability is fine";

    // The pseudo-section ends whatever the positions, finite or not.
    CDataFile data;
    data.data = {{0, 10, 10, 30, 1, 100, 1}};
    CPseudoSection section;
    EXPECT_EQ(section.Build(data, "obs"),
              "Line 1 of the data file puts a current electrode and a potential electrode at the same position:\nobs");
    data.data = {{-1e308, -1e308, 1e308, 1e308, 1, 1, 2}};
    EXPECT_EQ(section.Build(data, "obs"),
              "Line 2 of the data file puts its electrodes too far apart to be drawn:\nobs");
}

// obs_err.dat beside the data: shown when it fits them, otherwise the data alone and a note why.
TEST_F(ViewerFiles, TheEstimateBesideTheDataIsTakenOnlyWhenItFitsThem)
{
    const std::string notShown = "The estimated error in obs_err.dat is not shown";
    ASSERT_TRUE(std::filesystem::create_directory("run"));
    WriteBytes("run/obs_dc.dat", "! A B M N V/I(ohm) rho_a(ohm m)\n0 0  10 20  1 100\n0 0  20 30  1 10\n");
    WriteBytes("run/obs_ip.dat", "! A B M N eta_a\n0 0  10 20  0.1\n0 0  20 30  0.2\n");
    using enum EModelKind;
    const std::string dcEstimate = "! A B M N error_of_V/I(%)\r\n0 0  10 20  0.0511\r\n0 0  20 30  2.5\r\n";
    const struct {
        std::optional<std::string> estimate;
        EModelKind kind;
        std::vector<double> percent;
        std::string note; // its start
    } rows[] = {
        {std::nullopt, dc, {}, ""},
        {dcEstimate, dc, {0.0511, 2.5}, ""},
        {"0 0 10 20 0.05 1e-7\n0 0 20 30 3 2e-7\n", dc, {0.05, 3}, ""}, // an IP run's beside obs_dc.dat
        {dcEstimate, ip, {}, notShown + ". Line 2: expected 6 numbers (A B M N dV deta), not \"0 0  10 20  0.0511\"."},
        {"0 0 10 20 0.05 1e-7\n0 0 20 30 -1 0\n", dc, {}, notShown + ". Line 2: an error must be a number of 0"},
        {"0 0 10 20 0.05\n", dc, {}, notShown + ": it holds 1 data, the data file 2."},
        {"0 0 10 20 0.05\n0 0 20 40 0.05\n",
         dc,
         {},
         notShown + ": its line 2 is for A 0 B 0 M 20 N 40, line 3 of the data file for A 0 B 0 M 20 N 30."},
        {"\x89PNG\r\n\x1a\n\0\xff"s, dc, {}, notShown + ". Line 1: expected 5 numbers (A B M N dV), not \""},
        {"", dc, {}, notShown + ": it holds no data."},
    };
    for (const auto& row : rows) {
        std::filesystem::remove("run/obs_err.dat");
        if (row.estimate)
            WriteBytes("run/obs_err.dat", *row.estimate);
        const std::string data = row.kind == ip ? "run/obs_ip.dat" : "run/obs_dc.dat";
        const CDataEstimate got = LoadDataEstimate(CDataFile::Read(data, row.kind), data);
        EXPECT_EQ(got.percent, row.percent) << row.note;
        EXPECT_TRUE(got.note.starts_with(row.note) && got.note.empty() == row.note.empty()) << got.note;
    }
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
    EXPECT_EQ(ErrorPictureName("out/Data.PNG") + ErrorPictureName("data"), "out/Data-error.pngdata-error.png");
    CModelViewerArgs model;
    ASSERT_EQ(ParseModelViewerArgs({"m.txt", "c.con", "--png", "p.png", "--whole", "--no-mesh-lines"}, model), "");
    EXPECT_FALSE(model.ip);
    EXPECT_TRUE(model.wholeMesh);
    EXPECT_FALSE(model.meshLines);
    EXPECT_EQ(model.picture.width, 1200);
    ASSERT_EQ(ParseModelViewerArgs({"m.txt", "s.con", "/SENS", "/doi=doi 2d.txt"}, model), "");
    EXPECT_TRUE(model.sensitivity);
    EXPECT_EQ(model.doiPath, "doi 2d.txt");
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
        {true, {"a", "b", "/ip", "/sens"}, "Give only one of /ip and /sens."},
        {true, {"a", "b", "/doi="}, "/doi= needs the name of the depth of investigation file."},
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
