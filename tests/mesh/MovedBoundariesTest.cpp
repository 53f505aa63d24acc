#include "mesh/MovedBoundaries.h"
#include "SmallMesh.h"
#include "mesh/Discretize.h"
#include "model/ModelData.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Left(const char* block, const char* from, const char* cell)
{
    return std::string("The mesh moves the left edge of ") + block + " from x " + from + ": cells of dx = " + cell +
           " or smaller keep it within a tenth of its width.\n";
}

std::string Level(const char* edge, const char* block, const char* from, const char* cell)
{
    return std::string("The mesh moves the ") + edge + " of " + block + " from depth " + from +
           ": cells of dz = " + cell + " or smaller keep it within a tenth of its thickness.\n";
}

TEST(MovedBoundariesTest, EachEdgeMovedBeyondATenthOfTheBlockIsNamed)
{
    const struct {
        const char* name;
        std::vector<CElement> dc, ip;
        std::string said;
    } rows[] = {
        {"OnMeshLines", {Block(2, 1, 5, 3), Block(0, 0, 10, 2)}, {}, ""},
        // 0.4 off 3.9 is beyond a tenth, 0.1 off 2.5 within it.
        {"LeftAndTopMoveRightAndBottomStay",
         {Block(2.4, 1.4, 4.9, 3.9)},
         {},
         Left("DC block 1", "2.4 to 2", "0.25") + Level("top", "DC block 1", "1.4 to 1", "0.25")},
        {"RightAndBottomMoveLeftAndTopStay",
         {Block(2.1, 1.1, 4.4, 3.4)},
         {},
         "The mesh moves the right edge of DC block 1 from x 4.4 to 4: cells of dx = 0.23 or smaller keep it within a "
         "tenth of its width.\n" +
             Level("bottom", "DC block 1", "3.4 to 3", "0.23")},
        // 0.1 off 0.9 is just beyond a tenth, 0.1 off 1.1 just within it.
        {"JustBeyondAndJustWithinATenth",
         {Block(2.1, 1, 3, 2), Block(2, 1.1, 3, 2), Block(1.9, 1, 3, 2), Block(2, 0.9, 3, 2)},
         {},
         Left("DC block 1", "2.1 to 2", "0.09") + Level("top", "DC block 2", "1.1 to 1", "0.09")},
        {"ALayerByItsTopAndBottomOnly",
         {Block(-1.4, 0.1, 10, 1.4)},
         {},
         Level("bottom", "DC block 1 (a layer)", "1.4 to 1", "0.13")},
        {"EllipseByTheCellsWhoseCentresItHolds",
         {Block(1, 0, 9, 6, 1, 0, true), Block(2, 1, 5, 2.4, 1, 0, true)},
         {},
         Level("bottom", "DC block 2 (an ellipse)", "2.4 to 2", "0.14")},
        {"ShearedByItsRows",
         {Block(3, 0, 6, 4, 1, 1.0), Block(3, 1, 6, 2.4, 1, 1.0), Block(3, 1, 4.2, 3, 1, 0.5)},
         {},
         "The mesh moves the left edge of DC block 1 (sheared) at depth 0.5 from x 4.5 to 4: cells of dx = 0.3 or "
         "smaller keep it within a tenth of its width.\n"
         "The mesh moves the right edge of DC block 1 (sheared) at depth 0.5 from x 7.5 to 7: cells of dx = 0.3 or "
         "smaller keep it within a tenth of its width.\n" +
             Level("bottom", "DC block 2 (sheared)", "2.4 to 2", "0.14") +
             "The mesh moves the left edge of DC block 3 (sheared) at depth 1.5 from x 3.25 to 3: cells of dx = 0.12 "
             "or smaller keep it within a tenth of its width.\n"
             "The mesh moves the right edge of DC block 3 (sheared) at depth 1.5 from x 4.45 to 4: cells of dx = 0.12 "
             "or smaller keep it within a tenth of its width.\n"},
        {"NoCellAtAll",
         {Block(3.1, 1, 3.4, 3), Block(2, 1, 3, 1.2, 1, 0, true), Block(3, 1.1, 4, 1.2, 1, 2)},
         {},
         "The mesh gives DC block 1 no cell: cells of dx = 0.03 or smaller keep it.\n"
         "The mesh gives DC block 2 (an ellipse) no cell: cells of dz = 0.02 or smaller keep it.\n"
         "The mesh gives DC block 3 (sheared) no cell: cells of dz = 0.01 or smaller keep it.\n"},
        {"EdgesOutsideTheCoreOrBeyondTheMesh",
         {Block(-3.4, 1, -2.2, 2.4), Block(-0.6, 1, 0.6, 2.4), Block(2, 5.4, 3, 6.6), Block(11.4, 1, 13, 3)},
         {},
         "The mesh moves the right edge of DC block 2 from x 0.6 to 1: cells of dx = 0.12 or smaller keep it within a "
         "tenth of its width.\n" +
             Level("bottom", "DC block 2", "2.4 to 2", "0.14") + Level("top", "DC block 3", "5.4 to 5", "0.12")},
        {"TheIPModelCountsItsOwnBlocks",
         {Block(2.4, 1, 4.9, 3)},
         {Block(2, 1, 5, 3), Block(2.4, 1, 4.9, 3)},
         Left("DC block 1", "2.4 to 2", "0.25") + Left("IP block 2", "2.4 to 2", "0.25")},
    };
    for (const auto& row : rows) {
        CModelData m;
        m.m_coreX1 = 0, m.m_coreX2 = 10, m.m_coreZ1 = 0, m.m_coreZ2 = 6;
        m.m_dcModel.assign(row.dc.begin(), row.dc.end());
        m.m_ipModel.assign(row.ip.begin(), row.ip.end());
        EXPECT_EQ(DescribeMovedBoundaries(FindMovedBoundaries(SmallMesh(), m, true, 1, 1, nullptr)), row.said)
            << row.name;
    }
}

TEST(MovedBoundariesTest, TheFirstTenAreNamedAndTheRestCounted)
{
    std::string ten;
    for (int i = 0; i < 10; ++i)
        ten += "The mesh gives DC block 0 no cell.\n";
    EXPECT_EQ(DescribeMovedBoundaries(std::vector<CMovedBoundary>(11)), ten + "The mesh moves one more boundary.\n");
    EXPECT_EQ(DescribeMovedBoundaries(std::vector<CMovedBoundary>(12)), ten + "The mesh moves 2 more boundaries.\n");
}

// The default model's mesh (dz 1.66667) under a surface layer, through the whole command: the
// cell size offered keeps the layer when discretized again.
TEST(MovedBoundariesTest, TheSummaryNamesAThinLayerAndItsCellSizeKeepsIt)
{
    const struct {
        double bottom;
        std::string said; // after the conductivity file's line
        double dz;        // offered
    } rows[] = {
        // A sixth of the thickness off: the data of such a layer change by a fifth.
        {2,
         "\nThe mesh moves the bottom of DC block 1 (a layer) from depth 2 to 1.66667: cells of dz = 0.2 or smaller "
         "keep it within a tenth of its thickness.\n",
         0.2},
        {1,
         "\nThe mesh moves the bottom of DC block 1 (a layer) from depth 1 to 1.66667: cells of dz = 0.1 or smaller "
         "keep it within a tenth of its thickness.\n",
         0.1},
        {0.7, "\nThe mesh gives DC block 1 (a layer) no cell: cells of dz = 0.07 or smaller keep it.\n", 0.07},
        {5, "", 0},
    };
    for (const auto& row : rows) {
        TempDir dir;
        CurrentDirGuard cwd{dir.Path()};
        CModelData m;
        m.m_dcModel.emplace_back(0, 0, 200, row.bottom, 0.5229f, 0);
        m.m_discretize = ProposedSettings(m);
        const std::string summary = RunDiscretization(m).summary;
        const std::string tail = summary.substr(summary.find("model2d.con\n") + 12);
        EXPECT_EQ(tail, row.said) << row.bottom;
        if (row.dz > 0) {
            m.m_discretize.mesh = EMeshOption::cellSize;
            m.m_discretize.dx = 10.0 / 3;
            m.m_discretize.dz = row.dz;
            const std::string again = RunDiscretization(m).summary;
            EXPECT_EQ(again.substr(again.find("model2d.con\n") + 12), "") << row.bottom;
        }
    }
}

} // namespace
