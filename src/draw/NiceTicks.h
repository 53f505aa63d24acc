#pragma once

#include <functional>
#include <string>
#include <vector>

// Round tick values for axes and colour bars, of the main view and the viewers alike.

// The smallest step of 1, 2 or 5 times a power of ten that is at least least; 0 when least is
// not a positive finite number.
double NiceStepAtLeast(double least);

// The multiples of step in [lo, hi] (either order), at most 10000 of them; none for a bad step.
std::vector<double> TicksOnStep(double lo, double hi, double step);

// A value on an axis of the given step, with just the decimals the step needs and never "-0".
std::string TickLabel(double value, double step);

// The finest round step whose labels, as wide as width says, leave gap between neighbours on
// an axis of pixelsPerUnit; 0 for an empty or unusable axis.
double AxisStep(double lo, double hi, double pixelsPerUnit, double gap,
                const std::function<double(const std::string&)>& width);

// One label of a colour bar: where it stands, 0 at the bottom and 1 at the top, and its text.
struct CBarTick {
    double at = 0;
    std::string label;
};

// Labels of a bar showing lo to hi bottom to top, at least gap (a fraction of the bar) apart.
// A log scale labels decades, with 2 and 5 between them when there is room, or round values
// within a decade; a linear scale takes round steps. An empty range has one label in the middle.
std::vector<CBarTick> BarTicks(double lo, double hi, bool logScale, double gap);
