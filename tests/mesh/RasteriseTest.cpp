#include "mesh/Rasterise.h"
#include "SmallMesh.h"
#include "formats/Text.h"
#include "mesh/Mesh.h"
#include "mesh/Topography.h"
#include "model/ModelData.h"
#include "platform/FileException.h"
#include "platform/TextFormat.h"
#include "support/MessageLog.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// An IP grid as text, one string per row: '.' background 0, '~' air, digits block values, and
// '|' between the outer columns and the core.
std::vector<std::string> Picture(const CMesh& m, const std::vector<float>& grid)
{
    std::vector<std::string> rows;
    for (int k = 0; k < m.nz; ++k) {
        std::string row;
        for (int i = 0; i < m.nx; ++i) {
            if (i == m.outer || i == m.nx - m.outer)
                row += '|';
            const float v = grid.at(size_t(k) * m.nx + i);
            row += v == -10 ? '~' : v == 0 ? '.' : v >= 1 && v <= 9 && v == int(v) ? char('0' + int(v)) : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(RasteriseTest, BlocksAreSnappedToNodesPaintedInOrderAndCutByTheAir)
{
    const std::string blank = "..|..........|..";
    CElement slopeZero = Block(2, 1, 5, 3, 1), narrowSlopeZero = Block(3.1, 1, 3.4, 3, 2);
    for (CElement* e : {&slopeZero, &narrowSlopeZero})
        e->m_xTop1 = -4, e->m_xTop2 = 14; // what a sheared rule would paint
    const struct {
        const char* name;
        std::vector<CElement> blocks;
        std::vector<int> air;
        std::vector<std::string> picture;
        bool fitted = true;
        int outer = 2; // 0: the columns of the core reach the mesh's edges
    } rows[] = {
        {"Rectangle", {Block(2, 1, 5, 3, 1)}, {}, {blank, "..|..111.....|..", "..|..111.....|..", blank, blank, blank}},
        {"EdgesHalfwayBetweenNodes",
         {Block(2.5, 0.5, 5.5, 2.5, 1)},
         {},
         {"..|..111.....|..", "..|..111.....|..", blank, blank, blank, blank}},
        {"NarrowBlockThatDoesNotFit",
         {Block(3.1, 1, 3.4, 3, 1)},
         {},
         {blank, blank, blank, blank, blank, blank},
         false},
        {"NarrowBlockAcrossAMidpoint",
         {Block(3.4, 1, 3.6, 3, 1)},
         {},
         {blank, "..|...1......|..", "..|...1......|..", blank, blank, blank}},
        {"LaterBlockWinsTheOverlap",
         {Block(1, 1, 6, 4, 1), Block(4, 2, 8, 5, 2)},
         {},
         {blank, "..|.11111....|..", "..|.1112222..|..", "..|.1112222..|..", "..|....2222..|..", blank}},
        {"SlopeZeroIsARectangle",
         {slopeZero, narrowSlopeZero},
         {},
         {blank, "..|..111.....|..", "..|..111.....|..", blank, blank, blank},
         false},
        {"ShearedRowsSnapLeft",
         {Block(3, 0, 6, 4, 1, 1.0)},
         {},
         {"..|....111...|..", "..|...111....|..", "..|..111.....|..", "..|.111......|..", blank, blank}},
        {"EllipseByCellCentres",
         {Block(1, 0, 9, 6, 1, 0, true)},
         {},
         {"..|...1111...|..", "..|..111111..|..", "..|.11111111.|..", "..|.11111111.|..", "..|..111111..|..",
          "..|...1111...|.."}},
        {"BlockAboveTheSurfaceStaysAir",
         {Block(2, 0, 5, 4, 1)},
         {1, 1, 2, 2, 2, 2, 1, 1, 0, 0, 0, 0, 0, 0},
         {"~~|~~~~~~....|..", "..|~~~~1.....|..", "..|..111.....|..", "..|..111.....|..", blank, blank}},
        {"BlocksIntoTheOuterColumns",
         {Block(-4, 1, -2, 3, 1), Block(8, 3, 14, 4, 2), Block(-100, 4.6, 1.4, 100, 3)},
         {},
         {blank, blank, blank, "..|........22|22", blank, "33|3.........|.."}},
        {"EllipseIntoTheLastColumnAndRowWithoutOuterColumns",
         {Block(8, 3, 14, 6, 1, 0, true)},
         {},
         {"|..............", "|..............", "|..............", "|...........111", "|..........1111",
          "|...........111"},
         true,
         0},
    };
    for (const auto& row : rows) {
        CMesh mesh = SmallMesh(row.air);
        mesh.outer = row.outer;
        CElementList blocks(row.blocks.begin(), row.blocks.end());
        bool fitted = !row.fitted;
        const std::vector<float> grid = RasteriseGrid(mesh, EModelKind::ip, 0, blocks, fitted);
        ASSERT_EQ(grid.size(), size_t(mesh.nx * mesh.nz)) << row.name;
        EXPECT_EQ(Picture(mesh, grid), row.picture) << row.name;
        EXPECT_EQ(fitted, row.fitted) << row.name;
    }
}

// A valley whose flanks rise beyond the core: the outer columns take their air from their own
// part of the surface, and their ground from the edge column's top ground cell upward.
TEST(RasteriseTest, OuterColumnsUnderAValleyKeepTheirOwnSurface)
{
    const struct {
        const char* name;
        double floor; // the valley's depth across the core
        std::vector<std::string> picture;
    } rows[] = {
        {"FloorInsideTheMesh",
         3,
         {"~~|~~~~~~~~~~|~~", ".~|~~~~~~~~~~|~3", "..|~~~~~~~~~~|33", "..|........33|33", "..|..........|..",
          "..|..........|.."}},
        {"FloorBelowTheMesh",
         7,
         {"~~|~~~~~~~~~~|~~", "~~|~~~~~~~~~~|~~", ".~|~~~~~~~~~~|~.", ".~|~~~~~~~~~~|~.", ".~|~~~~~~~~~~|~.",
          "..|~~~~~~~~~~|.."}},
    };
    for (const auto& row : rows) {
        CModelData m;
        m.m_bTopography = true;
        m.m_topo = {CTopoPt(-4, 0), CTopoPt(0, row.floor), CTopoPt(10, row.floor), CTopoPt(14, 0)};
        CMesh mesh = SmallMesh();
        ComputeAirCells(mesh, BuildExtendedProfile(m, mesh.xNodes.front(), mesh.xNodes.back()));
        // One block only in an outer column, one from the core's top ground row into the outer columns.
        CElementList blocks = {Block(-4, 4, -2, 5, 2), Block(8, 3, 14, 4, 3)};
        bool fitted;
        EXPECT_EQ(Picture(mesh, RasteriseGrid(mesh, EModelKind::ip, 0, blocks, fitted)), row.picture) << row.name;
    }
}

TEST(RasteriseTest, GivesTheCellsOfEachBlock)
{
    const CElementList blocks = {Block(2.5, 0.5, 5.5, 2.5, 1), Block(3, 0, 6, 4, 1, 1.0),
                                 Block(1, 0, 9, 6, 1, 0, true)};
    const CMesh mesh = SmallMesh();
    std::vector<CBlockCells> shapes;
    for (int run = 0; run < 2; ++run) { // a second discretization replaces the shapes
        bool fitted;
        RasteriseGrid(mesh, EModelKind::ip, 0, blocks, fitted, &shapes);
        ASSERT_EQ(shapes.size(), 3u);
        EXPECT_EQ(shapes[0].rect, (CMeshBox{2, 0, 5, 2}));
        EXPECT_EQ(shapes[1].rows, (std::vector<CMeshBox>{{4, 0, 7, 1}, {3, 1, 6, 2}, {2, 2, 5, 3}, {1, 3, 4, 4}}));
        const std::vector<CMeshBox>& cells = shapes[2].cells;
        EXPECT_EQ(cells.size(), 20u) << "the cells near the outline, q above 0.4";
        EXPECT_NE(std::find(cells.begin(), cells.end(), CMeshBox{3, 0, 4, 1}), cells.end());
        EXPECT_EQ(std::find(cells.begin(), cells.end(), CMeshBox{4, 2, 5, 3}), cells.end()) << "inner cell";
    }
}

class ModelFileWriteTest : public ::testing::Test {
protected:
    // Two columns of core (x 0..2) with one outer column each side and three rows.
    CMesh m_mesh = [] {
        CMesh m;
        m.xNodes = {-1, 0, 1, 2, 3}, m.zNodes = {0, 1, 2, 3};
        m.nx = 4, m.nz = 3, m.outer = 1, m.airPerColumn = {1, 1, 0, 0}, m.airCells = 2;
        return m;
    }();
    TempDir m_dir;
    MessageLog m_log;
    CommaLocale m_locale;
};

// Blocks too narrow for the mesh are skipped, with one warning for the whole model.
TEST_F(ModelFileWriteTest, ValuesAreWrittenRowByRowWithATrailingBlank)
{
    CElementList dc = {CElement(0, 0, 1, 3, -1, 0), CElement(1.1, 0, 1.2, 3, -2, 0), CElement(1.3, 0, 1.4, 3, -2, 0)};
    const CRasterised done = RasteriseModel(m_mesh, EModelKind::dc, -3, dc, m_dir.File("model2d.con"));
    EXPECT_EQ(ReadBytes(m_dir.File("model2d.con")), "4 3\r\n"
                                                    "1e-08 1e-08 0.001 0.001 \r\n"
                                                    "0.1 0.1 0.001 0.001 \r\n"
                                                    "0.1 0.1 0.001 0.001 \r\n");
    EXPECT_EQ(done.blocks.front().rect, (CMeshBox{0, 0, 1, 3}));
    EXPECT_EQ(done.warnings, CWarnings{"Warning, block(s) could not fit in the mesh."});

    m_log.Clear();
    CElementList ip;
    RasteriseModel(m_mesh, EModelKind::ip, 0.05f, ip, m_dir.File("model2d.chg"));
    EXPECT_EQ(ReadBytes(m_dir.File("model2d.chg")), "4 3\r\n"
                                                    "-10 -10 0.05 0.05 \r\n"
                                                    "0.05 0.05 0.05 0.05 \r\n"
                                                    "0.05 0.05 0.05 0.05 \r\n");
    EXPECT_TRUE(m_log.Empty()) << m_log.Last();

    EXPECT_THROW(RasteriseModel(m_mesh, EModelKind::ip, 0, ip, m_dir.File("missing/model2d.chg")), CFileException);
}

// Random models on designed meshes under random surfaces, some running on past the core:
// whatever the blocks, the file holds only the background, block values and air, the air where
// the surface puts it, and outer columns whose ground repeats the core's edge columns.
TEST_F(ModelFileWriteTest, EveryCellIsBackgroundABlockOrAir)
{
    std::mt19937 random(1234);
    auto uniform = [&](double a, double b) { return std::uniform_real_distribution<>(a, b)(random); };
    for (int model = 0; model < 60; ++model) {
        CModelData m;
        m.m_coreX2 = uniform(50, 300), m.m_coreZ2 = uniform(20, 100);
        const double W = m.m_coreX2, a = W / uniform(8, 40);
        m.m_bTopography = model % 4 != 0;
        std::vector<double> xs = {0, W};
        for (int p = int(random() % 5); p > 0; --p)
            xs.push_back(uniform(-0.3 * W, 1.3 * W));
        std::sort(xs.begin(), xs.end());
        m.m_topo.clear();
        for (double x : xs)
            m.m_topo.emplace_back(x, uniform(-10, 15));

        CMesh mesh;
        const double dx = a / double(1 + random() % 4);
        ASSERT_TRUE(mesh.Design(0, W, 0, m.m_coreZ2, double(2 + random() % 8) * a, dx, dx / double(1 + random() % 3),
                                MeanTopographyDepth(m)));
        CTopographyFile profile;
        if (m.m_bTopography)
            profile = BuildExtendedProfile(m, mesh.xNodes.front(), mesh.xNodes.back());
        ComputeAirCells(mesh, profile);

        // The texts of the values as the file writes them: each reads back as its float.
        auto text = [](float v) {
            std::string t;
            AppendExact(t, v);
            return t;
        };
        const float background = 0.5f;
        const std::string backgroundText = text(background);
        std::set<std::string> allowed = {"-10", backgroundText};
        for (int b = 0, count = 1 + int(random() % 10); b < count; ++b) {
            const double x1 = uniform(-0.3 * W, 1.2 * W), z1 = uniform(-10, m.m_coreZ2);
            const float value = 0.01f * float(b + 1);
            const int kind = int(random() % 3);
            m.m_ipModel.emplace_back(x1, z1, x1 + uniform(0.001, 0.5) * W, z1 + uniform(0.001, 0.6) * m.m_coreZ2, value,
                                     kind == 2 ? uniform(-3, 3) : 0);
            m.m_ipModel.back().m_bEllipse = kind == 1;
            if (random() % 8 == 0) // a model file may hold a block upside down
                std::swap(m.m_ipModel.back().m_z1, m.m_ipModel.back().m_z2);
            allowed.insert(text(value));
        }
        RasteriseModel(mesh, EModelKind::ip, background, m.m_ipModel, m_dir.File("model2d.chg"));

        // The layout of the file is checked byte for byte above.
        const std::vector<std::string> lines = Lines(ReadBytes(m_dir.File("model2d.chg")));
        ASSERT_EQ(lines.size(), size_t(mesh.nz) + 1) << "model " << model;
        std::vector<std::vector<std::string>> cells;
        for (int k = 0; k < mesh.nz; ++k) {
            std::istringstream words(lines[k + 1]);
            cells.emplace_back(std::istream_iterator<std::string>(words), std::istream_iterator<std::string>());
            ASSERT_EQ(cells.back().size(), size_t(mesh.nx)) << "model " << model << " row " << k;
        }
        const int left = mesh.outer, right = mesh.nx - mesh.outer - 1;
        for (int k = 0; k < mesh.nz; ++k) {
            for (int i = 0; i < mesh.nx; ++i) {
                const std::string& cell = cells[k][i];
                const std::string where = FormatC("model %i column %i row %i: ", model, i, k) + cell;
                ASSERT_TRUE(allowed.count(cell)) << where;
                const int edge = i < left ? left : right, edgeTop = mesh.airPerColumn[edge];
                if (k < mesh.airPerColumn[i])
                    ASSERT_EQ(cell, "-10") << where;
                else if (i != edge && (i < left || i > right))
                    ASSERT_EQ(cell, edgeTop < mesh.nz ? cells[std::max(k, edgeTop)][edge] : backgroundText) << where;
                else
                    ASSERT_NE(cell, "-10") << where << ": air below the surface";
            }
        }
    }
    for (const std::string& text : m_log.Texts())
        EXPECT_EQ(text, "Warning, block(s) could not fit in the mesh.");
}

} // namespace
