#include "draw/PainterCanvas.h"

#include <QPainter>

#include <cmath>

QColor ToQColor(COLORREF colour)
{
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

CPainterCanvas::CPainterCanvas(QPainter& painter, const QFont& font)
    : CCanvas(font.pixelSize(), QFontMetrics(font).height(), 1), m_painter(painter), m_font(font), m_metrics(font)
{
}

double CPainterCanvas::TextWidth(const std::string& text) const
{
    return m_metrics.horizontalAdvance(QString::fromStdString(text));
}

void CPainterCanvas::Line(QPointF from, QPointF to)
{
    // Whole pixels: the pixel a coordinate falls in.
    auto pixel = [](QPointF p) { return QPoint(int(std::floor(p.x())), int(std::floor(p.y()))); };
    m_painter.save();
    m_painter.setPen(QPen(Qt::black, 0));
    m_painter.drawLine(pixel(from), pixel(to));
    m_painter.restore();
}

void CPainterCanvas::Fill(const QRectF& rect, COLORREF colour)
{
    m_painter.fillRect(rect.toRect(), ToQColor(colour));
}

void CPainterCanvas::Text(QPointF anchor, unsigned align, const std::string& text, bool upward)
{
    m_painter.save();
    m_painter.setFont(m_font);
    m_painter.setPen(Qt::black);
    if (upward) {
        m_painter.translate(anchor);
        m_painter.rotate(-90);
        anchor = QPointF();
    }
    // A box reaching far from the anchor on the sides the text may take.
    const double far = 1e5, x = anchor.x(), y = anchor.y();
    const unsigned across = align & 3, down = align & 12;
    const double x0 = across == CCanvas::left ? x : x - far, x1 = across == CCanvas::right ? x : x + far;
    const double y0 = down == CCanvas::top ? y : y - far, y1 = down == CCanvas::bottom ? y : y + far;
    const int flags = (across == CCanvas::left ? Qt::AlignLeft
                       : across == centre      ? Qt::AlignHCenter
                                               : Qt::AlignRight) |
                      (down == CCanvas::top ? Qt::AlignTop
                       : down == middle     ? Qt::AlignVCenter
                                            : Qt::AlignBottom);
    m_painter.drawText(QRectF(QPointF(x0, y0), QPointF(x1, y1)), flags, QString::fromStdString(text));
    m_painter.restore();
}
