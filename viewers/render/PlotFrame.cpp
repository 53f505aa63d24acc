#include "render/PlotFrame.h"

#include "draw/ColourBar.h"

#include <QGuiApplication>
#include <QPainter>

#include <algorithm>

CPlotFrame::CPlotFrame(QSize pictureSize, bool withBand) : size(pictureSize)
{
    const int w = size.width(), h = size.height();
    fontPixels = std::clamp(std::min(w / 75, h / 40), 10, 28);
    font = QGuiApplication::font();
    font.setPixelSize(fontPixels);
    const int f = fontPixels;

    const int left = 7 * f, right = 9 * f, top = 3 * f, bottom = 4 * f;
    title = QRect(0, 0, w, top);
    QRect area(left, top, std::max(1, w - left - right), std::max(1, h - top - bottom));
    if (withBand) {
        const int bandHeight = std::max(3 * f, area.height() / 5);
        band = QRect(area.left(), area.top(), area.width(), bandHeight);
        area.setTop(std::min(area.bottom(), band.bottom() + 1 + f));
    }
    plot = area;
    bar = BarBeside(plot);
}

QRect CPlotFrame::BarBeside(const QRect& plotArea) const
{
    return ::BarBeside(plotArea, fontPixels, size.height() - fontPixels).toRect();
}

void DrawTitle(QPainter& painter, const CPlotFrame& frame, const QString& title)
{
    painter.save();
    QFont font = frame.font;
    font.setPixelSize(frame.fontPixels * 5 / 4);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(frame.title, Qt::AlignCenter, title);
    painter.restore();
}
