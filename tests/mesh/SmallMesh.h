#pragma once

#include "mesh/Mesh.h"
#include "model/Element.h"

#include <vector>

// Columns of 2 outside a core of ten unit columns (x 0..10), six unit rows; air cells per column
// as given, none by default.
inline CMesh SmallMesh(std::vector<int> air = {})
{
    CMesh m;
    m.xNodes = {-4, -2, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 14};
    m.zNodes = {0, 1, 2, 3, 4, 5, 6};
    m.nx = 14, m.nz = 6, m.outer = 2;
    m.airPerColumn = air.empty() ? std::vector<int>(14, 0) : air;
    for (int a : m.airPerColumn)
        m.airCells += a;
    return m;
}

inline CElement Block(double x1, double z1, double x2, double z2, float value = 1, double slope = 0,
                      bool ellipse = false)
{
    CElement e(x1, z1, x2, z2, value, slope);
    e.m_bEllipse = ellipse;
    return e;
}
