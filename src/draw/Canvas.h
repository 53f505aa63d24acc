#pragma once

#include "platform/Colour.h"

#include <QPointF>
#include <QRectF>

#include <string>

// What the axes and colour bars are drawn on: a surface in its own units, y downward, with the
// labels' font chosen. The viewers' pictures draw on a QPainter in pixels (CPainterCanvas), the
// main window's view on its device context in page units; every layout is measured in FontSize.
class CCanvas {
public:
    // Where a text stands about its anchor, across and down its own lines; upward text turns with it.
    enum Align : unsigned { left = 0, centre = 1, right = 2, top = 0, middle = 4, bottom = 8 };

    // The font's size and line height, and one device pixel, in the canvas's units.
    CCanvas(double fontSize, double lineHeight, double pixel)
        : m_fontSize(fontSize), m_lineHeight(lineHeight), m_pixel(pixel)
    {
    }
    virtual ~CCanvas() = default;

    double FontSize() const { return m_fontSize; }
    double LineHeight() const { return m_lineHeight; }
    double Pixel() const { return m_pixel; }
    virtual double TextWidth(const std::string& text) const = 0;

    // A black line one pixel wide, both ends drawn.
    virtual void Line(QPointF from, QPointF to) = 0;
    // Fills the rectangle, its edges in whole units.
    virtual void Fill(const QRectF& rect, COLORREF colour) = 0;
    // A black text placed at anchor as align says; upward, it reads from the bottom up and its own
    // bottom faces right.
    virtual void Text(QPointF anchor, unsigned align, const std::string& text, bool upward = false) = 0;

private:
    double m_fontSize;
    double m_lineHeight;
    double m_pixel;
};
