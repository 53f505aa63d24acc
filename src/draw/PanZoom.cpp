#include "draw/PanZoom.h"

#include <algorithm>
#include <cmath>

CPanZoom::CPanZoom(double minZoom, double maxZoom, bool inside)
    : m_minZoom(minZoom), m_maxZoom(maxZoom), m_inside(inside)
{
}

void CPanZoom::SetWhole(const QRectF& whole)
{
    m_whole = whole;
    m_panning = false;
    Fit();
}

double CPanZoom::Zoom() const
{
    return m_window.width() > 0 ? m_whole.width() / m_window.width() : 1;
}

void CPanZoom::Show(const QRectF& window)
{
    QRectF w = window;
    const double zoom = m_whole.width() > 0 && w.width() > 0 ? m_whole.width() / w.width() : 1;
    const double limited = std::clamp(zoom, m_minZoom, m_maxZoom);
    if (limited != zoom) {
        const QPointF middle = w.center();
        w.setSize(w.size() * (zoom / limited));
        w.moveCenter(middle);
    }
    if (m_inside) {
        w.moveLeft(std::clamp(w.left(), m_whole.left(), std::max(m_whole.left(), m_whole.right() - w.width())));
        w.moveTop(std::clamp(w.top(), m_whole.top(), std::max(m_whole.top(), m_whole.bottom() - w.height())));
    }
    m_window = w;
}

void CPanZoom::ZoomAt(QPointF anchor, double factor)
{
    const double zoom = Zoom();
    factor = std::clamp(zoom * factor, m_minZoom, m_maxZoom) / zoom;
    if (!(factor > 0) || !std::isfinite(factor))
        return;
    Show(QRectF(anchor.x() - (anchor.x() - m_window.left()) / factor,
                anchor.y() - (anchor.y() - m_window.top()) / factor, m_window.width() / factor,
                m_window.height() / factor));
}

void CPanZoom::BeginPan(QPointF pixel)
{
    m_panning = true;
    m_panPixel = pixel;
    m_panWindow = m_window;
}

void CPanZoom::PanTo(QPointF pixel, double pixelsPerUnitX, double pixelsPerUnitY)
{
    if (!m_panning)
        return;
    const QPointF moved = pixel - m_panPixel;
    Show(m_panWindow.translated(-moved.x() / pixelsPerUnitX, -moved.y() / pixelsPerUnitY));
}
