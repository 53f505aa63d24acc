#include "model/Element.h"

#include <climits>
#include <cmath>
#include <cstdint>

namespace {

// Products of two 32-bit differences need more than 64 bits.
__extension__ typedef __int128 Wide;

CRect LogicalRect(double x1, double z1, double x2, double z2, double x0, double z0, double s)
{
    return {RoundToInt((x1 - x0) * s), RoundToInt((z1 - z0) * s), RoundToInt((x2 - x0) * s), RoundToInt((z2 - z0) * s)};
}

// Adds without overflow; logical caches of absurd models saturate instead of wrapping.
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

CElement::CElement(double x1, double z1, double x2, double z2, float value, double slope, double x0, double z0,
                   double s)
{
    SetGeometry(x1, z1, x2, z2, value, slope);
    UpdateRect(x0, z0, s);
}

void CElement::SetGeometry(double x1, double z1, double x2, double z2, float value, double slope)
{
    m_x1 = x1;
    m_z1 = z1;
    m_x2 = x2;
    m_z2 = z2;
    m_value = value;
    m_slope = slope;
}

void CElement::UpdateRect(double x0, double z0, double s)
{
    m_rect = LogicalRect(m_x1, m_z1, m_x2, m_z2, x0, z0, s);
    // The +1 takes in the logical column and row of x2 and z2.
    m_rect.right = AddSaturated(m_rect.right, 1);
    m_rect.bottom = AddSaturated(m_rect.bottom, 1);
    UpdateShear(s);
}

void CElement::SetLogicalRect(const CRect& rect, double s)
{
    m_rect = rect;
    UpdateShear(s);
}

void CElement::UpdateShear(double s)
{
    if (m_slope == 0)
        return;
    double d = (m_z2 - m_z1) * m_slope * 0.5;
    UpdateCorners(RoundToInt(d * s));
    m_xTop1 = m_x1 + d;
    m_xTop2 = m_x2 + d;
}

void CElement::UpdateCorners(int d)
{
    const CRect& r = m_rect;
    m_corners[0] = {AddSaturated(r.left, d), r.top};
    m_corners[1] = {AddSaturated(r.left, -int64_t(d)), r.bottom};
    m_corners[2] = {AddSaturated(r.right, -int64_t(d)), r.bottom};
    m_corners[3] = {AddSaturated(r.right, d), r.top};
}

void CElement::ShearTo(CPoint pt, double s)
{
    // Integer division truncating toward zero, as the outline's centre is taken in logical units.
    int centre = static_cast<int>((static_cast<int64_t>(m_rect.left) + m_rect.right) / 2);
    int d = AddSaturated(pt.x, -int64_t(centre));
    UpdateCorners(d);
    double w = d / s;
    m_xTop1 = m_x1 + w;
    m_xTop2 = m_x2 + w;
    m_slope = 2 * w / (m_z2 - m_z1);
}

void CElement::SetMeshRect(double x1, double z1, double x2, double z2, double x0, double z0, double s)
{
    m_meshRect = LogicalRect(x1, z1, x2, z2, x0, z0, s);
}

void CElement::AddMeshCell(double x1, double z1, double x2, double z2, double x0, double z0, double s)
{
    CRect r = LogicalRect(x1, z1, x2, z2, x0, z0, s);
    r.right = AddSaturated(r.right, 1);
    r.bottom = AddSaturated(r.bottom, 1);
    m_meshCells.push_back(r);
}

void CElement::ResetMeshRows(int n)
{
    m_meshRows.assign(n > 0 ? static_cast<size_t>(n) : 0, CRect());
}

void CElement::SetMeshRow(int i, double x1, double z1, double x2, double z2, double x0, double z0, double s)
{
    if (i >= 0 && static_cast<size_t>(i) < m_meshRows.size())
        m_meshRows[static_cast<size_t>(i)] = LogicalRect(x1, z1, x2, z2, x0, z0, s);
}

bool CElement::HitTest(CPoint pt) const
{
    if (m_slope == 0)
        return m_rect.left <= pt.x && pt.x < m_rect.right && m_rect.top <= pt.y && pt.y < m_rect.bottom;

    // Even-odd rule: count the outline's edges that a ray to the right of pt crosses.
    bool inside = false;
    for (int i = 0, j = 3; i < 4; j = i++) {
        const CPoint& a = m_corners[i];
        const CPoint& b = m_corners[j];
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

CTopoPt::CTopoPt(double x, double z) : m_x(x), m_z(z) {}

CTopoPt::CTopoPt(CPoint pt, double x0, double z0, double s) : m_x(pt.x / s + x0), m_z(pt.y / s + z0), m_pt(pt) {}

CTopoPt::CTopoPt(double x, double z, double x0, double z0, double s)
    : m_x(x), m_z(z), m_pt{RoundToInt((x - x0) * s), RoundToInt((z - z0) * s)}
{
}
