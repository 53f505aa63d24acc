#include "model/Element.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <ostream>

std::ostream& operator<<(std::ostream& os, const CPoint& p)
{
    return os << '(' << p.x << ", " << p.y << ')';
}
std::ostream& operator<<(std::ostream& os, const CRect& r)
{
    return os << '(' << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ')';
}

namespace {

// The core area 0..200 by 0..50 maps to 10000 logical units across: s = 50.
constexpr double kScale = 50;

TEST(RoundToIntTest, RoundsHalvesAwayFromZeroAndSaturates)
{
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, int> rows[] = {
        {0.5, 1},
        {-0.5, -1},
        {2.5, 3},
        {-2.5, -3},
        {-0.4, 0},
        {1.49, 1},
        {2147483646.4, 2147483646},
        {2147483646.5, INT_MAX},
        {-2147483647.6, INT_MIN},
        {-2147483648.0, INT_MIN},
        {1e10, INT_MAX},
        {-1e10, INT_MIN},
        {inf, INT_MAX},
        {-inf, INT_MIN},
        {std::nan(""), 0},
    };
    for (const auto& [x, expected] : rows)
        EXPECT_EQ(RoundToInt(x), expected) << "RoundToInt(" << x << ")";
}

TEST(ElementTest, UprightBlockCoversTheColumnAndRowOfItsFarEdges)
{
    EXPECT_EQ(CElement(0, 0, 200, 50, 1.0f, 0, 0, 0, kScale).m_rect, (CRect{0, 0, 10001, 2501}));
    EXPECT_EQ(CElement(140, 15, 160, 25, 1.0f, 0, 100, 10, kScale).m_rect, (CRect{2000, 250, 3001, 751}))
        << "measured from the origin given";
    EXPECT_EQ(CElement(-1e12, 0, 1e12, 50, 1.0f, 0, 0, 0, kScale).m_rect, (CRect{INT_MIN, 0, INT_MAX, 2501}))
        << "saturates, the +1 included";
}

// Slope 1 shifts the top edge right by half the height; ShearTo gets there from the pointer.
TEST(ElementTest, ShearingMovesTheTopEdgeAndShearToFollowsThePointer)
{
    const CElement sloped(0, 0, 200, 50, 1.0f, 1.0, 0, 0, kScale);
    EXPECT_EQ(std::vector(sloped.m_corners, sloped.m_corners + 4),
              (std::vector<CPoint>{{1250, 0}, {-1250, 2501}, {8751, 2501}, {11251, 0}}));
    EXPECT_DOUBLE_EQ(sloped.m_xTop1, 25);
    EXPECT_DOUBLE_EQ(sloped.m_xTop2, 225);

    CElement block(0, 0, 200, 50, 1.0f, 0, 0, 0, kScale);
    block.ShearTo({6250, 100}, kScale); // centre (0 + 10001) / 2 = 5000
    EXPECT_DOUBLE_EQ(block.m_slope, 1);
    EXPECT_EQ(std::vector(block.m_corners, block.m_corners + 4), std::vector(sloped.m_corners, sloped.m_corners + 4));
    EXPECT_DOUBLE_EQ(block.m_xTop1, 25);
    block.ShearTo({5000, 0}, kScale);
    EXPECT_EQ(block.m_slope, 0) << "a pointer over the centre makes the block upright again";

    CElement odd;
    odd.m_z2 = 10;
    odd.SetLogicalRect({-3, 0, 0, 10}, 1);
    odd.ShearTo({0, 0}, 1); // the centre -3 / 2 is -1, not -2
    EXPECT_EQ(odd.m_corners[0], (CPoint{-2, 0}));
    EXPECT_EQ(odd.m_corners[3], (CPoint{1, 0}));
    EXPECT_DOUBLE_EQ(odd.m_slope, 0.2);
}

void ExpectHits(const CElement& block, std::initializer_list<std::pair<CPoint, bool>> rows, const char* what)
{
    for (const auto& [pt, inside] : rows)
        EXPECT_EQ(block.HitTest(pt), inside) << what << " at " << pt;
}

// Ellipses are picked like the block they sit in.
TEST(ElementTest, BlocksArePickedByTheirRectangleOrShearedOutline)
{
    for (bool ellipse : {false, true}) {
        CElement block(0, 0, 200, 50, 1.0f, 0, 0, 0, kScale), sheared(0, 0, 200, 50, 1.0f, 1.0, 0, 0, kScale);
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

TEST(ElementTest, PickingDoesNotOverflowWithHugeCoordinates)
{
    CElement block;
    block.m_slope = 1;
    block.SetLogicalRect({-2000000000, -2000000000, 2000000000, 2000000000}, 1);
    block.UpdateCorners(100000000);
    ExpectHits(block,
               {{{0, 0}, true},
                {{2090000000, -1990000000}, true},
                {{-2090000000, 1990000000}, true},
                {{INT_MAX, 0}, false},
                {{INT_MIN, 0}, false},
                {{-2050000000, -1990000000}, false}},
               "huge");
    // A shift of INT_MIN is negated without overflow for the bottom edge.
    block.UpdateCorners(INT_MIN);
    EXPECT_EQ(block.m_corners[1], (CPoint{147483648, 2000000000}));
}

} // namespace
