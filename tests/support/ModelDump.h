#pragma once

// A model as text, to full precision, so that two models compare and a difference shows where it is.

#include "model/ModelData.h"

#include <sstream>
#include <string>

inline std::string Discretization(const CModelData& m)
{
    std::ostringstream s;
    s << m.m_discretize.n << ' ' << m.m_discretize.aSpacing << ' ' << int(m.m_discretize.array) << ' '
      << m.m_discretize.cellsPerElectrode << ' ' << m.m_discretize.aspectRatio << " / " << int(m.m_discretize.mesh)
      << ' ' << m.m_discretize.dx << ' ' << int(m.m_discretize.forward);
    return s.str();
}

// Everything a model file sets, as text, so that a difference shows where it is.
inline std::string Dump(const CModelData& m)
{
    std::ostringstream s;
    s.precision(17);
    s << "core " << m.m_coreX1 << ' ' << m.m_coreX2 << ' ' << m.m_coreZ1 << ' ' << m.m_coreZ2;
    for (const auto* list : {&m.m_dcModel, &m.m_ipModel}) {
        s << '\n'
          << (list == &m.m_dcModel ? "DC " : "IP ") << (list == &m.m_dcModel ? m.m_dcBackground : m.m_ipBackground);
        for (const CElement& e : *list) {
            s << "\n  " << e.m_x1 << ' ' << e.m_x2 << ' ' << e.m_z1 << ' ' << e.m_z2 << ' ' << e.m_value << ' '
              << e.m_slope << ' ' << e.m_bEllipse;
            if (e.m_slope != 0)
                s << " top " << e.m_xTop1 << ' ' << e.m_xTop2;
        }
    }
    s << "\ntopography " << m.m_bTopography;
    for (const CTopoPt& p : m.m_topo)
        s << "\n  " << p.m_x << ' ' << p.m_z;
    return s.str() + "\ndiscretization " + Discretization(m);
}
