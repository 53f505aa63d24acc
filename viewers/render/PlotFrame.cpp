#include "render/PlotFrame.h"

#include "model/ColourScale.h"
#include "platform/Numbers.h"
#include "platform/TextFormat.h"

#include <QFontMetrics>
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
    bar = BarBeside(plot);
}

QRect CPlotFrame::BarBeside(const QRect& plotArea) const
{
    const int f = fontPixels;
    const int room = std::max(1, size.height() - plotArea.top() - f);
    const int height = std::max(plotArea.height(), std::min(10 * f, room));
    return QRect(plotArea.right() + 1 + 2 * f, plotArea.top(), std::max(4, f), height);
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
    const QRect& plot = mapping.Plot();
    const int f = frame.fontPixels;
    const QFontMetrics metrics(frame.font);
    painter.drawRect(plot.adjusted(-1, -1, 0, 0));

    const QRectF& window = mapping.Window();
    auto width = [&](const std::string& text) {
        return double(metrics.horizontalAdvance(QString::fromStdString(text)));
    };
    double step = AxisStep(window.left(), window.right(), mapping.ScaleX(), f, width);
    for (double x : TicksOnStep(window.left(), window.right(), step)) {
        const int px = static_cast<int>(std::floor(mapping.ToPixelX(x)));
        painter.drawLine(px, plot.bottom() + 1, px, plot.bottom() + f / 2);
        painter.drawText(QRect(px - 4 * f, plot.bottom() + f / 2 + 1, 8 * f, f * 3 / 2),
                         Qt::AlignHCenter | Qt::AlignTop, QString::fromStdString(TickLabel(x, step)));
    }
    painter.drawText(QRect(plot.left(), plot.bottom() + 2 * f, plot.width(), f * 3 / 2),
                     Qt::AlignHCenter | Qt::AlignTop, xCaption);

    const double lineHeight = metrics.height();
    step = AxisStep(window.top(), window.bottom(), mapping.ScaleY(), f / 2.0,
                    [&](const std::string&) { return lineHeight; });
    // Levels are whole numbers from 1.
    if (levels)
        step = std::max(step, 1.0);
    auto ticks = TicksOnStep(window.top(), window.bottom(), step);
    if (levels)
        std::erase_if(ticks, [](double n) { return n < 1; });
    for (double y : ticks) {
        const int py = static_cast<int>(std::floor(mapping.ToPixelY(y)));
        painter.drawLine(plot.left() - f / 2, py, plot.left() - 2, py);
        painter.drawText(QRect(plot.left() - 5 * f, py - f, 5 * f - f * 2 / 3, 2 * f),
                         Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(TickLabel(y, step)));
    }
    // A short plot keeps its caption readable, running beyond the plot if need be.
    const int length = std::max(plot.height(), metrics.horizontalAdvance(yCaption) + f);
    painter.translate(plot.left() - 5 * f, plot.center().y());
    painter.rotate(-90);
    painter.drawText(QRect(-length / 2, -f * 3 / 2, length, f * 3 / 2), Qt::AlignHCenter | Qt::AlignBottom, yCaption);
    painter.restore();
}

void DrawExaggeration(QPainter& painter, const CPlotFrame& frame, const CPlotMapping& mapping)
{
    const double ve = mapping.ScaleY() / mapping.ScaleX();
    if (!std::isfinite(ve) || std::fabs(ve - 1) < 0.05)
        return;
    const QRect& plot = mapping.Plot();
    const int f = frame.fontPixels;
    painter.save();
    painter.setFont(frame.font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(plot.left(), plot.bottom() + 2 * f, plot.width(), f * 3 / 2), Qt::AlignRight | Qt::AlignTop,
                     QString::fromStdString(FormatC(ve >= 9.95    ? "VE %.0f"
                                                    : ve >= 0.995 ? "VE %.1f"
                                                                  : "VE %.2f",
                                                    ve)));
    painter.restore();
}

void DrawColourBar(QPainter& painter, const CPlotFrame& frame, const QRect& bar,
                   const std::array<COLORREF, 61>& colours, double min, double max, const CColourDisplay& display,
                   const QString& caption)
{
    painter.save();
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
    if (unit.isEmpty())
        unit = QString::fromStdString(
            ColourBarUnit(display.dcValues ? EModelKind::dc : EModelKind::ip, display.conductivity, display.log10));
    if (!unit.isEmpty())
        painter.drawText(QRect(bar.left(), bar.top() - 2 * f - f / 2, 10 * f, 2 * f), Qt::AlignLeft | Qt::AlignBottom,
                         unit);
    const double gap = (QFontMetrics(frame.font).height() + 2) / std::max(1.0, H);
    for (const CBarTick& tick : ColourBarTicks(min, max, display.dcValues ? EModelKind::dc : EModelKind::ip,
                                               display.conductivity, display.log10, gap)) {
        const int Y = bar.top() + RoundToInt(H - tick.at * H);
        painter.drawLine(bar.right() + 1, Y, bar.right() + f / 2, Y);
        painter.drawText(QRect(bar.right() + f * 3 / 4, Y - f, 7 * f, 2 * f), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromStdString(tick.label));
    }
    painter.restore();
}
