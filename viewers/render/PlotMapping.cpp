#include "render/PlotMapping.h"

#include <algorithm>

CPlotMapping::CPlotMapping(const QRect& plot, const QRectF& window, bool isotropic) : m_plot(plot), m_window(window)
{
    const double w = std::max(1, plot.width()), h = std::max(1, plot.height());
    if (!(m_window.width() > 0))
        m_window.setWidth(1);
    if (!(m_window.height() > 0))
        m_window.setHeight(1);
    m_sx = w / m_window.width();
    m_sy = h / m_window.height();
    if (!isotropic)
        return;
    if (m_sx < m_sy) {
        m_sy = m_sx;
        m_window.setHeight(h / m_sy);
    } else {
        m_sx = m_sy;
        const double centre = m_window.center().x();
        m_window.setWidth(w / m_sx);
        m_window.moveLeft(centre - m_window.width() / 2);
    }
}
