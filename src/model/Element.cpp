#include "model/Element.h"

CElement::CElement(double x1, double z1, double x2, double z2, float value, double slope)
{
    SetGeometry(x1, z1, x2, z2, value, slope);
}

void CElement::SetGeometry(double x1, double z1, double x2, double z2, float value, double slope)
{
    m_x1 = x1;
    m_z1 = z1;
    m_x2 = x2;
    m_z2 = z2;
    m_value = value;
    m_slope = slope;
    if (m_slope == 0)
        return;
    const double d = (m_z2 - m_z1) * m_slope * 0.5;
    m_xTop1 = m_x1 + d;
    m_xTop2 = m_x2 + d;
}

void CElement::ShearBy(double w)
{
    m_xTop1 = m_x1 + w;
    m_xTop2 = m_x2 + w;
    m_slope = 2 * w / (m_z2 - m_z1);
}

CTopoPt::CTopoPt(double x, double z) : m_x(x), m_z(z) {}
