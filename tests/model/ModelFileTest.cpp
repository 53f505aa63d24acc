#include "model/ModelFile.h"
#include "model/ModelData.h"
#include "model/ModelHistory.h"
#include "platform/Refusal.h"
#include "support/ExampleModel.h"
#include "support/MessageLog.h"
#include "support/ModelDump.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::vector<std::string>& kExample = kExampleModel;

CModelData ExampleModel()
{
    CModelData m;
    m.m_dcModel.emplace_back(40, 10, 80, 20, -1.0f, 0);
    m.m_dcModel.emplace_back(100, 5, 140, 25, -2.0f, 0.5);
    m.m_ipModel.emplace_back(40, 10, 80, 20, 0.1f, 0).m_bEllipse = true;
    m.m_topo = {CTopoPt(0, 0), CTopoPt(100, -5), CTopoPt(200, 0)};
    m.m_bTopography = true;
    return m;
}

// The open model that a failed read must leave alone.
CModelData OpenModel()
{
    CModelData m;
    m.m_coreX1 = 10, m.m_coreX2 = 310, m.m_dcBackground = -2.5f, m.m_ipBackground = 0.05f, m.m_discretize.n = 9;
    m.m_dcModel.emplace_back(20, 5, 60, 15, -1.5f, 0.25);
    m.m_topo = {CTopoPt(10, 0), CTopoPt(310, 4)};
    m.m_bTopography = true;
    return m;
}

class ModelFileTest : public ::testing::Test {
protected:
    bool Read(const std::string& bytes, CModelData& m)
    {
        WriteBytes(m_dir.File("model.mod"), bytes);
        return Attempt([&] { ReadModelFile(m_dir.File("model.mod"), m); });
    }

    TempDir m_dir;
    MessageLog m_log;
};

TEST_F(ModelFileTest, TheExampleIsWrittenAndReadBack)
{
    CommaLocale comma;
    ASSERT_TRUE(Attempt([&] { WriteModelFile(m_dir.File("example.mod"), ExampleModel()); })) << m_log.Last();
    CModelData m = OpenModel();
    m.m_discretize.n = 6;
    ASSERT_TRUE(Attempt([&] { ReadModelFile(m_dir.File("example.mod"), m); })) << m_log.Last();
    EXPECT_EQ(Dump(m), Dump(ExampleModel()));
    EXPECT_TRUE(m_log.Empty()) << m_log.Last();

    m.m_dcBackground = -2.5f;
    ASSERT_TRUE(Read(ReplaceExampleLine(1, "2  ! DC # of blocks, background"), m)) << m_log.Last();
    EXPECT_EQ(m.m_dcBackground, -2.5f) << "a count without a background keeps the background";
}

// A failed read says why, naming the file and the line, and leaves the open model alone.
TEST_F(ModelFileTest, ARefusedFileLeavesTheOpenModelAsItWas)
{
    const std::string path = m_dir.File("bad.mod");
    const std::pair<const char*, std::string> rows[] = {
        {"block line with six fields", "Error reading\n" + path + "\nLine 4: expected a DC block"},
        {"missing", path + "\nCannot find this file.\nVerify that the correct path and file name are given."},
    };
    for (const auto& [name, message] : rows) {
        fs::remove_all(path);
        if (name[0] == 'b')
            WriteBytes(path, ReplaceExampleLine(3, "100 140  5 25  -2  0.5"));
        m_log.Clear();
        CModelData m = OpenModel();
        EXPECT_FALSE(Attempt([&] { ReadModelFile(path, m); })) << name;
        ASSERT_EQ(m_log.Texts().size(), 1u) << name;
        EXPECT_EQ(m_log.Last().rfind(message, 0), 0u) << name << ": " << m_log.Last();
        EXPECT_EQ(Dump(m), Dump(OpenModel())) << name;
    }
}

TEST_F(ModelFileTest, TopographyIsFlatOnlyWithAtMostTwoVerticesAtDepthZero)
{
    const std::pair<std::vector<std::string>, bool> rows[] = {
        {{"0"}, false},
        {{"-4"}, false},
        {{"1", "0 2"}, true},
        {{"2", "0 0", "200 0"}, false},
        {{"2", "0 -3", "200 0"}, true},
        {{"3", "0 0", "100 0", "200 0"}, true},
    };
    for (const auto& [topography, notFlat] : rows) {
        std::vector<std::string> lines(kExample.begin(), kExample.begin() + 6);
        lines.insert(lines.end(), topography.begin(), topography.end());
        CModelData m = OpenModel();
        m.m_bTopography = !notFlat;
        ASSERT_TRUE(Read(Join(lines), m)) << m_log.Last();
        EXPECT_EQ(m.m_topo.size(), topography.size() - 1) << Join(topography, " / ");
        EXPECT_EQ(m.m_bTopography, notFlat) << Join(topography, " / ");
    }
}

TEST_F(ModelFileTest, ReservedNamesAreNeitherReadNorWritten)
{
    auto text = [](const char* direction) {
        return std::string("Cannot use \"model2d.con\" or \"model2d.chg\" as the\n") + direction +
               " filenames, since these files are used to store the\ndescretized models used for forward modelling.";
    };
    for (const char* name : {"MODEL2D.CON", "Model2D.chg"}) {
        const std::string path = m_dir.File(name);
        m_log.Clear();
        EXPECT_FALSE(Attempt([&] { WriteModelFile(path, ExampleModel()); })) << name;
        EXPECT_TRUE(fs::is_empty(m_dir.Path())) << name << " was written";
        WriteBytes(path, Join(kExample));
        CModelData m = OpenModel();
        EXPECT_FALSE(Attempt([&] { ReadModelFile(path, m); })) << name;
        EXPECT_EQ(Dump(m), Dump(OpenModel())) << name;
        EXPECT_EQ(m_log.Texts(), (std::vector<std::string>{text("output"), text("input")})) << name;
        fs::remove(path);
    }
    for (const char* name : {"model2d.con.bak", "my_model2d.con"}) {
        CModelData m = OpenModel();
        EXPECT_TRUE(Attempt([&] { WriteModelFile(m_dir.File(name), ExampleModel()); }) &&
                    Attempt([&] { ReadModelFile(m_dir.File(name), m); }))
            << name;
    }
}

TEST_F(ModelFileTest, LocationsFileHeaderBesideTheModelSetsTheDiscretization)
{
    const char* const unchanged = "4 5 0 2 1.5 / 1 0.5 2";
    const std::pair<const char*, const char*> rows[] = {
        {"#6 10 1 3 2", "6 10 1 3 2 / 1 0.5 2"},
        {"#6 10 8 3 2", "6 10 0 2 1.5 / 1 0.5 2"}, // no array type 8: it and what follows are left out
        {"6 10 1 3 2", unchanged},
    };
    TempDir elsewhere;
    CurrentDirGuard cwd(elsewhere.Path());
    for (const auto& [header, expected] : rows) {
        WriteBytes(m_dir.File("loc2d.txt"), std::string(header) + "\r\n1 0 0\r\n");
        CModelData m;
        m.m_discretize.n = 4, m.m_discretize.aSpacing = 5, m.m_discretize.array = EArray::polePole,
        m.m_discretize.cellsPerElectrode = 2, m.m_discretize.aspectRatio = 1.5;
        m.m_discretize.mesh = EMeshOption::cellSize, m.m_discretize.dx = 0.5,
        m.m_discretize.forward = EForwardType::dcIpl;
        ASSERT_TRUE(Read(Join(kExample), m)) << m_log.Last();
        EXPECT_EQ(Discretization(m), expected) << '"' << header << '"';
    }
}

// Beyond its states the history forgets the oldest: the saved mark stays on the saved model while
// that is held, and none is the saved one once it is forgotten.
TEST(ModelHistory, TheSavedMarkFollowsTheStatesBeyondTheirLimit)
{
    CModelData m;
    CModelHistory h;
    auto edit = [&](int times) {
        for (int i = 0; i < times; ++i)
            m.m_dcBackground += 1, h.Record(m);
    };
    m.m_dcBackground = 0;
    h.Reset(m, true);
    edit(10);
    h.MarkSaved();
    edit(int(CModelHistory::kMaxStates) - 5); // the oldest six forgotten
    int undone = 0;
    while (!h.AtSavedState() && h.CanUndo())
        h.Undo(m), ++undone;
    EXPECT_TRUE(h.AtSavedState() && m.m_dcBackground == 10 && undone == 995) << undone;
    while (h.CanRedo())
        h.Redo(m);
    edit(10); // now the saved state too
    bool saved = false;
    while (h.CanUndo())
        h.Undo(m), saved |= h.AtSavedState();
    EXPECT_FALSE(saved);
    EXPECT_EQ(m.m_dcBackground, 16);
}

} // namespace
