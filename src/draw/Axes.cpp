#include "draw/Axes.h"

#include "draw/Canvas.h"
#include "draw/NiceTicks.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cmath>

std::vector<CAxisTick> AxisTicks(const CCanvas& canvas, const CAxis& axis, double start, double length, bool across)
{
    std::vector<CAxisTick> ticks;
    const double span = axis.last - axis.first;
    if (!(length > 0) || !(std::fabs(span) > 0))
        return ticks;
    const double f = canvas.FontSize(), lineHeight = canvas.LineHeight();
    auto extent = [&](const std::string& label) { return across ? canvas.TextWidth(label) : lineHeight; };
    double step = AxisStep(axis.first, axis.last, length / std::fabs(span), across ? f : f / 2, extent);
    if (axis.levels)
        step = std::max(step, 1.0);
    for (double v : TicksOnStep(axis.first, axis.last, step))
        if (!axis.levels || v >= 1)
            ticks.push_back({start + (v - axis.first) / span * length, TickLabel(v, step)});
    return ticks;
}

void DrawAxisLeft(CCanvas& canvas, const QRectF& area, const CAxis& axis)
{
    const double f = canvas.FontSize(), x = area.left();
    double widest = 0;
    for (const CAxisTick& tick : AxisTicks(canvas, axis, area.top(), area.height(), false)) {
        canvas.Line({x - f / 2, tick.at}, {x - 2 * canvas.Pixel(), tick.at});
        canvas.Text({x - f * 2 / 3, tick.at}, CCanvas::right | CCanvas::middle, tick.label);
        widest = std::max(widest, canvas.TextWidth(tick.label));
    }
    // Beyond the widest label, and no nearer than four font sizes so that it stays put as labels change.
    if (!axis.caption.empty())
        canvas.Text({std::min(x - 4 * f, x - f * 7 / 6 - widest), area.center().y()}, CCanvas::centre | CCanvas::bottom,
                    axis.caption, true);
}

void DrawAxes(CCanvas& canvas, const QRectF& plot, const CAxis& x, const CAxis& y, double exaggeration)
{
    const double f = canvas.FontSize(), px = canvas.Pixel();
    // Just outside the plot, whose last pixels end at right and bottom.
    const double l = plot.left() - px, t = plot.top() - px, r = plot.right(), b = plot.bottom();
    canvas.Line({l, t}, {r, t});
    canvas.Line({r, t}, {r, b});
    canvas.Line({r, b}, {l, b});
    canvas.Line({l, b}, {l, t});

    for (const CAxisTick& tick : AxisTicks(canvas, x, plot.left(), plot.width(), true)) {
        canvas.Line({tick.at, b}, {tick.at, b + f / 2});
        canvas.Text({tick.at, b + f * 7 / 12}, CCanvas::centre | CCanvas::top, tick.label);
    }
    canvas.Text({plot.center().x(), b + 2 * f}, CCanvas::centre | CCanvas::top, x.caption);
    canvas.Text({r, b + 2 * f}, CCanvas::right | CCanvas::top, ExaggerationLabel(exaggeration));
    DrawAxisLeft(canvas, plot, y);
}

std::string ExaggerationLabel(double exaggeration)
{
    if (!std::isfinite(exaggeration) || std::fabs(exaggeration - 1) < 0.005)
        return "";
    return FormatC(exaggeration >= 999.5 ? "VE %.0f" : "VE %.3g", exaggeration);
}
