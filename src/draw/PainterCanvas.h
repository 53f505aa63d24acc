#pragma once

#include "draw/Canvas.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>

class QPainter;

QColor ToQColor(COLORREF colour);

// A canvas on a QPainter in pixels, with font for the labels; the painter keeps its state.
class CPainterCanvas : public CCanvas {
public:
    CPainterCanvas(QPainter& painter, const QFont& font);

    double TextWidth(const std::string& text) const override;

    void Line(QPointF from, QPointF to) override;
    void Fill(const QRectF& rect, COLORREF colour) override;
    void Text(QPointF anchor, unsigned align, const std::string& text, bool upward = false) override;

private:
    QPainter& m_painter;
    QFont m_font;
    QFontMetrics m_metrics;
};
