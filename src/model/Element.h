#pragma once

#include "platform/Geometry.h"
#include "platform/Numbers.h"

#include <vector>

// Logical units span the core area's width whatever its size in model units.
constexpr int kCoreLogicalWidth = 10000;

// One block of a model: an upright rectangle, a sheared parallelogram (slope != 0) or the
// ellipse inscribed in its rectangle (ellipse flag, which wins over the slope).
// Geometry is kept in model units (x right, z depth downward) with a cache in logical units:
// X = RoundToInt((x - x0) * s), where (x0, z0) is the core area's top-left corner.
class CElement {
public:
    CElement() = default;
    CElement(double x1, double z1, double x2, double z2, float value, double slope, double x0, double z0, double s);
    virtual ~CElement() = default;
    CElement(const CElement&) = default;
    CElement& operator=(const CElement&) = default;

    // Stores the model geometry; the logical caches are left as they are.
    void SetGeometry(double x1, double z1, double x2, double z2, float value, double slope);

    // Recomputes the logical rectangle (and a sheared block's outline) from the model geometry.
    void UpdateRect(double x0, double z0, double s);

    // Takes the logical rectangle from a drag and recomputes the sheared outline from it.
    void SetLogicalRect(const CRect& rect, double s);

    // Sets the sheared outline from the logical rectangle and a logical shift d of the top edge.
    void UpdateCorners(int d);

    // Shears the block so that the centre of its top edge follows pt.x. Needs z1 != z2.
    void ShearTo(CPoint pt, double s);

    // Discretized shapes, written by the discretization for the view to draw.
    void SetMeshRect(double x1, double z1, double x2, double z2, double x0, double z0, double s);
    void AddMeshCell(double x1, double z1, double x2, double z2, double x0, double z0, double s);
    void ResetMeshRows(int n);
    void SetMeshRow(int i, double x1, double z1, double x2, double z2, double x0, double z0, double s);

    // Whether the block contains the logical point: by its rectangle when upright (ellipses
    // included), by its outline (even-odd rule) when sheared.
    bool HitTest(CPoint pt) const;

    bool m_bEllipse = false;
    double m_x1 = 0;
    double m_z1 = 0;
    double m_x2 = 0;
    double m_z2 = 0;
    float m_value = 0;
    CRect m_rect;
    CRect m_meshRect;
    CPoint m_corners[4]; // top-left, bottom-left, bottom-right, top-right
    double m_slope = 0;
    double m_xTop1 = 0;
    double m_xTop2 = 0;
    std::vector<CRect> m_meshRows;
    std::vector<CRect> m_meshCells;

private:
    void UpdateShear(double s);
};

// One vertex of the topography: x and depth z, with its logical point.
class CTopoPt {
public:
    CTopoPt(double x, double z);
    CTopoPt(CPoint pt, double x0, double z0, double s);
    CTopoPt(double x, double z, double x0, double z0, double s);
    virtual ~CTopoPt() = default;
    CTopoPt(const CTopoPt&) = default;
    CTopoPt& operator=(const CTopoPt&) = default;

    double m_x = 0;
    double m_z = 0;
    CPoint m_pt;
};
