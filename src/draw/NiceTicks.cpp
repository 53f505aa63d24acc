#include "draw/NiceTicks.h"

#include "platform/TextFormat.h"

#include <algorithm>
#include <cmath>

double NiceStepAtLeast(double least)
{
    if (!(least > 0) || !std::isfinite(least))
        return 0;
    const double power = std::pow(10.0, std::floor(std::log10(least)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= least * (1 - 1e-9))
            return m * power;
    return 10 * power;
}

std::vector<double> TicksOnStep(double lo, double hi, double step)
{
    std::vector<double> ticks;
    if (lo > hi)
        std::swap(lo, hi);
    if (!(step > 0) || !std::isfinite(lo) || !std::isfinite(hi) || !std::isfinite(step))
        return ticks;
    const double first = std::ceil(lo / step - 1e-9), last = std::floor(hi / step + 1e-9);
    if (!(last - first < 10000))
        return ticks;
    // Counted, not stepped: far from zero k + 1 can equal k.
    for (int i = 0; i <= static_cast<int>(last - first); ++i)
        ticks.push_back((first + i) * step + 0.0);
    return ticks;
}

std::string TickLabel(double value, double step)
{
    if (!(step > 0) || !std::isfinite(step))
        return FormatC("%g", value);
    if (std::fabs(value) < step * 1e-6)
        value = 0;
    const int magnitude = static_cast<int>(std::floor(std::log10(step) + 1e-9));
    const double largest = std::max(std::fabs(value), step);
    // Very small and very large numbers read better with an exponent.
    if (magnitude < -5 || largest >= 1e9) {
        const int digits = static_cast<int>(std::floor(std::log10(largest) + 1e-9)) - magnitude + 1;
        return FormatC("%.*g", std::clamp(digits, 1, 17), value);
    }
    return FormatC("%.*f", std::max(0, -magnitude), value + 0.0);
}

double AxisStep(double lo, double hi, double pixelsPerUnit, double gap,
                const std::function<double(const std::string&)>& width)
{
    if (!(pixelsPerUnit > 0) || !std::isfinite(lo) || !std::isfinite(hi) || lo == hi)
        return 0;
    double step = NiceStepAtLeast(std::max(gap, 1.0) / pixelsPerUnit);
    for (int tries = 0; tries < 40 && step > 0; ++tries) {
        // Every label: one between the ends can be the widest, as 1.5e-09 between 1e-09 and 2e-09.
        double widest = 0;
        for (double v : TicksOnStep(lo, hi, step))
            widest = std::max(widest, width(TickLabel(v, step)));
        if (step * pixelsPerUnit >= widest + gap)
            return step;
        step = NiceStepAtLeast(step * 1.5);
    }
    return step;
}

namespace {

std::vector<CBarTick> Place(const std::vector<double>& values, double lo, double hi, bool logScale, double step)
{
    std::vector<CBarTick> ticks;
    const double a = logScale ? std::log10(lo) : lo, b = logScale ? std::log10(hi) : hi;
    for (double v : values)
        ticks.push_back({std::clamp(((logScale ? std::log10(v) : v) - a) / (b - a), 0.0, 1.0),
                         step > 0 ? TickLabel(v, step) : FormatC("%g", v)});
    return ticks;
}

} // namespace

std::vector<CBarTick> BarTicks(double lo, double hi, bool logScale, double gap)
{
    if (lo > hi)
        std::swap(lo, hi);
    if (!std::isfinite(lo) || !std::isfinite(hi) || (logScale && !(lo > 0)))
        return {};
    gap = std::clamp(gap, 1e-6, 1.0);
    if (hi - lo <= 1e-9 * std::max(std::fabs(lo), std::fabs(hi)))
        return {{0.5, FormatC("%.3g", (lo + hi) / 2)}};
    if (!logScale) {
        const double step = NiceStepAtLeast(gap * (hi - lo));
        return Place(TicksOnStep(lo, hi, step), lo, hi, false, step);
    }

    const double a = std::log10(lo), b = std::log10(hi), decades = b - a;
    if (decades < 1) {
        // Within a decade: round values, spaced so that the closest pair, at the top, keep apart.
        const double step = NiceStepAtLeast(hi * (1 - std::pow(10.0, -gap * decades)));
        return Place(TicksOnStep(lo, hi, step), lo, hi, true, step);
    }
    std::vector<double> values;
    if (std::log10(2.0) >= gap * decades) {
        for (double e = std::floor(a); e <= std::ceil(b); e += 1)
            for (double m : {1.0, 2.0, 5.0}) {
                const double v = m * std::pow(10.0, e);
                if (v >= lo * (1 - 1e-9) && v <= hi * (1 + 1e-9))
                    values.push_back(v);
            }
    } else {
        const double every = std::max(1.0, std::round(NiceStepAtLeast(gap * decades)));
        for (double e : TicksOnStep(a, b, every))
            values.push_back(std::pow(10.0, e));
    }
    return Place(values, lo, hi, true, 0);
}
