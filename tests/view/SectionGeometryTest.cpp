// The view's logical geometry of blocks: their rectangles, sheared outlines and picking.
#include "view/SectionGeometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <vector>

std::ostream& operator<<(std::ostream& os, const CPoint& p)
{
    return os << '(' << p.x << ", " << p.y << ')';
}

namespace {

// The core area 0..200 by 0..50 maps to 10000 logical units across: s = 50.
constexpr CSectionUnits kUnits{0, 0, 50};

std::vector<CPoint> Corners(const std::array<CPoint, 4>& outline)
{
    return {outline.begin(), outline.end()};
}

TEST(SectionGeometry, UprightBlockCoversTheColumnAndRowOfItsFarEdges)
{
    EXPECT_EQ(kUnits.BlockRect(CElement(0, 0, 200, 50, 1.0f, 0)), (CRect{0, 0, 10001, 2501}));
    EXPECT_EQ((CSectionUnits{100, 10, 50}.BlockRect(CElement(140, 15, 160, 25, 1.0f, 0))),
              (CRect{2000, 250, 3001, 751}))
        << "measured from the origin given";
    EXPECT_EQ(kUnits.BlockRect(CElement(-1e12, 0, 1e12, 50, 1.0f, 0)), (CRect{INT_MIN, 0, INT_MAX, 2501}))
        << "saturates, the +1 included";
}

// Slope 1 shifts the top edge right by half the height; ShearTo gets there from the pointer.
TEST(SectionGeometry, ShearingMovesTheTopEdgeAndShearToFollowsThePointer)
{
    const CElement sloped(0, 0, 200, 50, 1.0f, 1.0);
    EXPECT_EQ(Corners(kUnits.Outline(sloped)),
              (std::vector<CPoint>{{1250, 0}, {-1250, 2501}, {8751, 2501}, {11251, 0}}));
    EXPECT_DOUBLE_EQ(sloped.m_xTop1, 25);
    EXPECT_DOUBLE_EQ(sloped.m_xTop2, 225);

    CElement block(0, 0, 200, 50, 1.0f, 0);
    kUnits.ShearTo(block, {6250, 100}); // centre (0 + 10001) / 2 = 5000
    EXPECT_DOUBLE_EQ(block.m_slope, 1);
    EXPECT_EQ(Corners(kUnits.Outline(block)), Corners(kUnits.Outline(sloped)));
    EXPECT_DOUBLE_EQ(block.m_xTop1, 25);
    kUnits.ShearTo(block, {5000, 0});
    EXPECT_EQ(block.m_slope, 0) << "a pointer over the centre makes the block upright again";

    CElement odd(-3, 0, -1, 10, 1.0f, 0);        // logical -3 to 0
    CSectionUnits{0, 0, 1}.ShearTo(odd, {0, 0}); // the centre -3 / 2 is -1, not -2
    EXPECT_EQ(CSectionUnits({0, 0, 1}).Outline(odd)[0], (CPoint{-2, 0}));
    EXPECT_EQ(CSectionUnits({0, 0, 1}).Outline(odd)[3], (CPoint{1, 0}));
    EXPECT_DOUBLE_EQ(odd.m_slope, 0.2);
}

void ExpectHits(const CElement& block, std::initializer_list<std::pair<CPoint, bool>> rows, const char* what)
{
    for (const auto& [pt, inside] : rows)
        EXPECT_EQ(kUnits.Contains(block, pt), inside) << what << " at " << pt;
}

// Ellipses are picked like the block they sit in.
TEST(SectionGeometry, BlocksArePickedByTheirRectangleOrShearedOutline)
{
    for (bool ellipse : {false, true}) {
        CElement block(0, 0, 200, 50, 1.0f, 0), sheared(0, 0, 200, 50, 1.0f, 1.0);
        block.m_bEllipse = sheared.m_bEllipse = ellipse;
        ExpectHits(block,
                   {{{0, 0}, true},
                    {{10000, 2500}, true},
                    {{10001, 0}, false},
                    {{0, 2501}, false},
                    {{-1, 10}, false},
                    {{10, -1}, false}},
                   ellipse ? "ellipse" : "rectangle");
        // Left edge from (1250, 0) to (-1250, 2501), right edge from (11251, 0) to (8751, 2501).
        ExpectHits(sheared,
                   {{{11000, 100}, true},
                    {{-1000, 2400}, true},
                    {{5000, 1250}, true},
                    {{500, 100}, false},
                    {{9500, 2400}, false},
                    {{5000, -1}, false},
                    {{5000, 2502}, false},
                    {{11300, 0}, false}},
                   ellipse ? "sheared ellipse" : "sheared");
    }
}

TEST(SectionGeometry, PickingDoesNotOverflowWithHugeCoordinates)
{
    const CRect huge{-2000000000, -2000000000, 2000000000, 2000000000};
    const std::array<CPoint, 4> outline = ShearedOutline(huge, 100000000);
    for (const auto& [pt, inside] : {std::pair{CPoint{0, 0}, true},
                                     {{2090000000, -1990000000}, true},
                                     {{-2090000000, 1990000000}, true},
                                     {{INT_MAX, 0}, false},
                                     {{INT_MIN, 0}, false},
                                     {{-2050000000, -1990000000}, false}})
        EXPECT_EQ(InOutline(outline, pt), inside) << pt;
    // A shift of INT_MIN is negated without overflow for the bottom edge.
    EXPECT_EQ(ShearedOutline(huge, INT_MIN)[1], (CPoint{147483648, 2000000000}));
}

} // namespace
