#include "render/PlotFrame.h"

#include "model/ColourScale.h"
#include "platform/Numbers.h"
#include "platform/TextFormat.h"

#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>

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
    bar = QRect(plot.right() + 1 + 2 * f, plot.top(), std::max(4, f), plot.height());
}

std::vector<double> NiceTicks(double lo, double hi, int maxTicks)
{
    std::vector<double> ticks;
    if (!(hi > lo) || !std::isfinite(hi - lo) || maxTicks < 1)
        return ticks;
    const double rough = (hi - lo) / maxTicks;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power;
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= rough) {
            step = m * power;
            break;
        }
    for (double k = std::ceil(lo / step); k * step <= hi + step * 1e-9; k += 1)
        ticks.push_back(k * step);
    return ticks;
}

QString TickLabel(double value, double step)
{
    if (std::fabs(value) < step * 1e-6)
        value = 0;
    return QString::fromStdString(FormatC("%g", value));
}

QColor ToQColor(COLORREF colour)
{
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
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

void DrawAxes(QPainter& painter, const CPlotFrame& frame, const CPlotMapping& mapping, const QString& xCaption,
              const QString& yCaption, bool levels)
{
    painter.save();
    painter.setFont(frame.font);
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::NoBrush);
    const QRect& plot = frame.plot;
    const int f = frame.fontPixels;
    painter.drawRect(plot.adjusted(-1, -1, 0, 0));

    const QRectF& window = mapping.Window();
    auto ticks = NiceTicks(window.left(), window.right(), std::max(2, plot.width() / (6 * f)));
    double step = ticks.size() > 1 ? ticks[1] - ticks[0] : 1;
    for (double x : ticks) {
        const int px = static_cast<int>(std::floor(mapping.ToPixelX(x)));
        painter.drawLine(px, plot.bottom() + 1, px, plot.bottom() + f / 2);
        painter.drawText(QRect(px - 4 * f, plot.bottom() + f / 2 + 1, 8 * f, f * 3 / 2),
                         Qt::AlignHCenter | Qt::AlignTop, TickLabel(x, step));
    }
    painter.drawText(QRect(plot.left(), plot.bottom() + 2 * f, plot.width(), f * 3 / 2),
                     Qt::AlignHCenter | Qt::AlignTop, xCaption);

    ticks = NiceTicks(window.top(), window.bottom(), std::max(2, plot.height() / (3 * f)));
    step = ticks.size() > 1 ? ticks[1] - ticks[0] : 1;
    if (levels) {
        // Levels are whole numbers from 1.
        if (step < 1) {
            ticks.clear();
            for (double n = std::ceil(window.top()); n <= window.bottom(); n += 1)
                ticks.push_back(n);
            step = 1;
        }
        std::erase_if(ticks, [](double n) { return n < 1 || n != std::round(n); });
    }
    for (double y : ticks) {
        const int py = static_cast<int>(std::floor(mapping.ToPixelY(y)));
        painter.drawLine(plot.left() - f / 2, py, plot.left() - 2, py);
        painter.drawText(QRect(plot.left() - 5 * f, py - f, 5 * f - f * 2 / 3, 2 * f),
                         Qt::AlignRight | Qt::AlignVCenter, TickLabel(y, step));
    }
    painter.translate(plot.left() - 5 * f, plot.center().y());
    painter.rotate(-90);
    painter.drawText(QRect(-plot.height() / 2, -f * 3 / 2, plot.height(), f * 3 / 2),
                     Qt::AlignHCenter | Qt::AlignBottom, yCaption);
    painter.restore();
}

void DrawColourBar(QPainter& painter, const CPlotFrame& frame, const std::array<COLORREF, 61>& colours, double min,
                   double max, const CColourDisplay& display, const QString& caption)
{
    painter.save();
    const QRect& bar = frame.bar;
    const bool reversed = display.dcValues && !display.conductivity;
    const double H = bar.height();
    double y = bar.top() + H;
    for (int k = 0; k <= 60; ++k) {
        const int bottom = RoundToInt(y), top = RoundToInt(y - H / 61);
        painter.fillRect(QRect(bar.left(), top, bar.width(), bottom - top), ToQColor(colours[reversed ? 60 - k : k]));
        y -= H / 61;
    }
    painter.setPen(QPen(Qt::black, 0));
    painter.setFont(frame.font);
    const int f = frame.fontPixels;
    QString unit = caption;
    if (unit.isEmpty() && display.dcValues)
        unit = QString(display.log10 ? "log10 " : "") + (display.conductivity ? "S/m" : "ohm m");
    if (!unit.isEmpty())
        painter.drawText(QRect(bar.left(), bar.top() - 2 * f - f / 2, 10 * f, 2 * f), Qt::AlignLeft | Qt::AlignBottom,
                         unit);
    for (int j : ColourBarLabelRows(min, max, display.dcValues, display.conductivity, display.log10)) {
        const int Y = bar.top() + RoundToInt(H - j * (H / 6));
        painter.drawLine(bar.right() + 1, Y, bar.right() + f / 2, Y);
        const std::string label = ColourBarLabel(j, min, max, display.dcValues, display.conductivity, display.log10);
        painter.drawText(QRect(bar.right() + f * 3 / 4, Y - f, 7 * f, 2 * f), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromStdString(label));
    }
    painter.restore();
}
