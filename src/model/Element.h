#pragma once

#include <list>

// One block of a model: an upright rectangle, a sheared parallelogram (slope != 0) or the
// ellipse inscribed in its rectangle (ellipse flag, which wins over the slope).
// Geometry is in model units (x right, z depth downward).
class CElement {
public:
    CElement() = default;
    CElement(double x1, double z1, double x2, double z2, float value, double slope);
    virtual ~CElement() = default;
    CElement(const CElement&) = default;
    CElement& operator=(const CElement&) = default;

    // Stores the geometry, with a sheared block's top edge.
    void SetGeometry(double x1, double z1, double x2, double z2, float value, double slope);

    // Shears the block so that its top edge lies w to the right of its rectangle's (the bottom
    // edge as far to the left). Needs z1 != z2.
    void ShearBy(double w);

    bool m_bEllipse = false;
    double m_x1 = 0;
    double m_z1 = 0;
    double m_x2 = 0;
    double m_z2 = 0;
    float m_value = 0;
    double m_slope = 0;
    // The ends of a sheared block's top edge.
    double m_xTop1 = 0;
    double m_xTop2 = 0;
};

// One vertex of the topography: x and depth z.
class CTopoPt {
public:
    CTopoPt(double x, double z);
    virtual ~CTopoPt() = default;
    CTopoPt(const CTopoPt&) = default;
    CTopoPt& operator=(const CTopoPt&) = default;

    double m_x = 0;
    double m_z = 0;
};
