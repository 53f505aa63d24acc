#pragma once

#include "model/Element.h"
#include "platform/Geometry.h"

#include <array>

// Logical units span the core area's width whatever its size in model units.
constexpr int kCoreLogicalWidth = 10000;

// The section's logical units, in which the view draws, picks and edits: X = RoundToInt((x - x0) s)
// and Z likewise from the core area's top-left corner (x0, z0). Logical values saturate instead
// of wrapping for absurd models.
struct CSectionUnits {
    double x0 = 0, z0 = 0, s = 1;

    CPoint Point(double x, double z) const;
    // The rectangle of two corners, as they fall.
    CRect Rect(double x1, double z1, double x2, double z2) const;
    // The rectangle that takes in the logical column and row of x2 and z2, as a block's does.
    CRect Area(double x1, double z1, double x2, double z2) const;
    CRect BlockRect(const CElement& b) const { return Area(b.m_x1, b.m_z1, b.m_x2, b.m_z2); }
    // A sheared block's outline: top-left, bottom-left, bottom-right, top-right.
    std::array<CPoint, 4> Outline(const CElement& block) const;
    // Whether the block contains the logical point: by its rectangle when upright (ellipses
    // included), by its outline (even-odd rule) when sheared.
    bool Contains(const CElement& block, CPoint pt) const;
    // Shears the block so that the centre of its top edge follows pt.x. Needs z1 != z2.
    void ShearTo(CElement& block, CPoint pt) const;
};

// The outline of a rectangle whose top edge is shifted d to the right and bottom edge d to the left.
std::array<CPoint, 4> ShearedOutline(const CRect& rect, int d);
// Whether pt lies inside the outline, by the even-odd rule.
bool InOutline(const std::array<CPoint, 4>& outline, CPoint pt);
