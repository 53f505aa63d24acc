#include "render/PlotMapping.h"

#include <algorithm>
#include <cmath>

namespace {

// Grows [lo, hi] to length inside [min, max], about its middle while both sides have room.
void Grow(double& lo, double& hi, double length, double min, double max)
{
    const double extra = length - (hi - lo);
    if (!(extra > 0))
        return;
    const double below = std::min(extra / 2, lo - min), above = std::min(extra / 2, max - hi);
    lo -= below;
    hi += above;
    const double rest = extra - below - above;
    const double more = std::min(rest, max - hi);
    hi += more;
    lo -= std::min(rest - more, lo - min);
}

} // namespace

CPlotMapping::CPlotMapping(const QRect& plot, const QRectF& window, bool isotropic, const QRectF& bounds)
    : m_plot(plot), m_window(window)
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
    // The window grows to the plot's shape as far as there is something to see, and the plot
    // shrinks to the window's for the rest, so that the axes end where the section does.
    const QRectF limit = bounds.isValid() ? bounds.united(m_window) : m_window;
    const double scale = std::min(m_sx, m_sy);
    double left = m_window.left(), right = m_window.right(), top = m_window.top(), bottom = m_window.bottom();
    if (m_sx < m_sy) {
        // Deeper from the top first: what lies below the section's top is what there is to see.
        const double more = std::min(h / scale - (bottom - top), limit.bottom() - bottom);
        bottom += std::max(0.0, more);
        Grow(top, bottom, h / scale, limit.top(), limit.bottom());
    } else {
        Grow(left, right, w / scale, limit.left(), limit.right());
    }
    m_window = QRectF(QPointF(left, top), QPointF(right, bottom));
    m_sx = m_sy = scale;
    m_plot.setWidth(std::clamp(static_cast<int>(std::lround(m_window.width() * scale)), 1, plot.width()));
    m_plot.setHeight(std::clamp(static_cast<int>(std::lround(m_window.height() * scale)), 1, plot.height()));
}
