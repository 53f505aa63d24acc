#pragma once

#include <QRect>
#include <QRectF>

// Maps a window of the section (x to the right, y = depth or level downward) onto the pixels of
// a plot area. A pixel p covers [p, p + 1); its centre p + 0.5 is what it shows.
class CPlotMapping {
public:
    CPlotMapping() = default;
    // With isotropic, one unit is as long across as down: the window grows to the plot's shape
    // within bounds (deeper from its top, wider about its middle), and the plot is narrowed or
    // lowered from its top-left corner until the window fills it.
    CPlotMapping(const QRect& plot, const QRectF& window, bool isotropic, const QRectF& bounds = QRectF());

    const QRect& Plot() const { return m_plot; }
    const QRectF& Window() const { return m_window; }

    double ToPixelX(double x) const { return m_plot.left() + (x - m_window.left()) * m_sx; }
    double ToPixelY(double y) const { return m_plot.top() + (y - m_window.top()) * m_sy; }
    double ToModelX(double px) const { return m_window.left() + (px - m_plot.left()) / m_sx; }
    double ToModelY(double py) const { return m_window.top() + (py - m_plot.top()) / m_sy; }
    QPointF ToModel(const QPointF& pixel) const { return {ToModelX(pixel.x()), ToModelY(pixel.y())}; }
    QPointF ToPixel(const QPointF& model) const { return {ToPixelX(model.x()), ToPixelY(model.y())}; }
    // Pixels per unit across and down.
    double ScaleX() const { return m_sx; }
    double ScaleY() const { return m_sy; }

private:
    QRect m_plot;
    QRectF m_window;
    double m_sx = 1;
    double m_sy = 1;
};
