#include "view/SectionGeometry.h"

#include "platform/Numbers.h"

#include <climits>
#include <cstdint>

namespace {

// Products of two 32-bit differences need more than 64 bits.
__extension__ typedef __int128 Wide;

int AddSaturated(int a, int64_t b)
{
    int64_t sum = a + b;
    if (sum > INT_MAX)
        return INT_MAX;
    if (sum < INT_MIN)
        return INT_MIN;
    return static_cast<int>(sum);
}

} // namespace

CPoint CSectionUnits::Point(double x, double z) const
{
    return {RoundToInt((x - x0) * s), RoundToInt((z - z0) * s)};
}

CRect CSectionUnits::Rect(double x1, double z1, double x2, double z2) const
{
    const CPoint a = Point(x1, z1), b = Point(x2, z2);
    return {a.x, a.y, b.x, b.y};
}

CRect CSectionUnits::Area(double x1, double z1, double x2, double z2) const
{
    CRect r = Rect(x1, z1, x2, z2);
    r.right = AddSaturated(r.right, 1);
    r.bottom = AddSaturated(r.bottom, 1);
    return r;
}

std::array<CPoint, 4> CSectionUnits::Outline(const CElement& block) const
{
    const double d = (block.m_z2 - block.m_z1) * block.m_slope * 0.5;
    return ShearedOutline(BlockRect(block), RoundToInt(d * s));
}

bool CSectionUnits::Contains(const CElement& block, CPoint pt) const
{
    if (block.m_slope == 0) {
        const CRect r = BlockRect(block);
        return r.left <= pt.x && pt.x < r.right && r.top <= pt.y && pt.y < r.bottom;
    }
    return InOutline(Outline(block), pt);
}

void CSectionUnits::ShearTo(CElement& block, CPoint pt) const
{
    const CRect r = BlockRect(block);
    // Integer division truncating toward zero, as the outline's centre is taken in logical units.
    const int centre = static_cast<int>((static_cast<int64_t>(r.left) + r.right) / 2);
    block.ShearBy(AddSaturated(pt.x, -int64_t(centre)) / s);
}

std::array<CPoint, 4> ShearedOutline(const CRect& r, int d)
{
    return {CPoint{AddSaturated(r.left, d), r.top}, CPoint{AddSaturated(r.left, -int64_t(d)), r.bottom},
            CPoint{AddSaturated(r.right, -int64_t(d)), r.bottom}, CPoint{AddSaturated(r.right, d), r.top}};
}

bool InOutline(const std::array<CPoint, 4>& outline, CPoint pt)
{
    // Count the outline's edges that a ray to the right of pt crosses.
    bool inside = false;
    for (int i = 0, j = 3; i < 4; j = i++) {
        const CPoint& a = outline[i];
        const CPoint& b = outline[j];
        if ((a.y > pt.y) == (b.y > pt.y))
            continue;
        // x of the edge at pt.y, compared without division: pt.x < a.x + (pt.y - a.y)(b.x - a.x)/(b.y - a.y)
        Wide lhs = (Wide(pt.x) - a.x) * (Wide(b.y) - a.y);
        Wide rhs = (Wide(pt.y) - a.y) * (Wide(b.x) - a.x);
        bool crosses = (b.y > a.y) ? lhs < rhs : lhs > rhs;
        if (crosses)
            inside = !inside;
    }
    return inside;
}
