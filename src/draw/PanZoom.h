#pragma once

#include <QPointF>
#include <QRectF>

// The part of a section that a plot shows, in the section's units, moved by zooming about a point
// and by dragging: the main window's view keeps one, and each viewer's plot.
class CPanZoom {
public:
    // The window is as narrow as the whole's width over maxZoom at the most and as wide as it over
    // minZoom; with inside, it never leaves the whole.
    CPanZoom(double minZoom, double maxZoom, bool inside);

    // Another section, shown whole.
    void SetWhole(const QRectF& whole);
    const QRectF& Whole() const { return m_whole; }
    const QRectF& Window() const { return m_window; }
    // How many times narrower than the whole the window is: 1 shows all of its width.
    double Zoom() const;

    // Shows window, shrunk or grown about its middle into the limits.
    void Show(const QRectF& window);
    void Fit() { Show(m_whole); }
    // Magnifies by factor, as far as the limits let it, keeping the section point anchor in its place.
    void ZoomAt(QPointF anchor, double factor);

    // A drag from a pointer's position: the section follows the pointer, given its pixels per
    // unit across and down.
    void BeginPan(QPointF pixel);
    void PanTo(QPointF pixel, double pixelsPerUnitX, double pixelsPerUnitY);
    void EndPan() { m_panning = false; }
    bool Panning() const { return m_panning; }

private:
    double m_minZoom;
    double m_maxZoom;
    bool m_inside;
    QRectF m_whole;
    QRectF m_window;
    bool m_panning = false;
    QPointF m_panPixel;
    QRectF m_panWindow;
};
