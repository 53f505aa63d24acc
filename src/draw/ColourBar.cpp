#include "draw/ColourBar.h"

#include "draw/Canvas.h"
#include "platform/Numbers.h"

#include <algorithm>
#include <cmath>

std::vector<CBarTick> ColourBarTicks(double min, double max, EModelKind kind, bool conductivity, bool log10, double gap)
{
    if (kind == EModelKind::ip)
        return BarTicks(min, max, false, gap);
    // Stored values are log10 conductivities; resistivities turn the bar upside down.
    const double lo = conductivity ? min : -max, hi = conductivity ? max : -min;
    if (log10)
        return BarTicks(lo, hi, false, gap);
    return BarTicks(std::pow(10.0, lo), std::pow(10.0, hi), true, gap);
}

std::string ColourBarUnit(EModelKind kind, bool conductivity, bool log10)
{
    if (kind == EModelKind::ip)
        return "";
    return std::string(log10 ? "log10 " : "") + (conductivity ? "S/m" : "ohm m");
}

QRectF BarBeside(const QRectF& plot, double fontSize, double lowest)
{
    const double f = fontSize;
    const double height = std::max(plot.height(), std::min(10 * f, lowest - plot.top()));
    return QRectF(plot.right() + 3 * f, plot.top(), f, height);
}

void DrawColourBar(CCanvas& canvas, const QRectF& bar, const std::array<COLORREF, 61>& colours, double min, double max,
                   const CColourDisplay& display, const std::string& caption)
{
    const bool reversed = display.kind == EModelKind::dc && !display.conductivity;
    const double H = bar.height();
    double y = bar.bottom();
    for (int k = 0; k <= 60; ++k) {
        const double bottom = RoundToInt(y), top = RoundToInt(y - H / 61);
        canvas.Fill(QRectF(QPointF(bar.left(), top), QPointF(bar.right(), bottom)), colours[reversed ? 60 - k : k]);
        y -= H / 61;
    }
    const double f = canvas.FontSize();
    const std::string unit =
        caption.empty() ? ColourBarUnit(display.kind, display.conductivity, display.log10) : caption;
    canvas.Text({bar.left(), bar.top() - f / 2}, CCanvas::left | CCanvas::bottom, unit);
    const double gap = (canvas.LineHeight() + f / 6) / std::max(1.0, H);
    for (const CBarTick& tick : ColourBarTicks(min, max, display.kind, display.conductivity, display.log10, gap)) {
        const double at = bar.top() + RoundToInt(H - tick.at * H);
        canvas.Line({bar.right(), at}, {bar.right() + f / 2, at});
        canvas.Text({bar.right() + f * 3 / 4, at}, CCanvas::left | CCanvas::middle, tick.label);
    }
}
