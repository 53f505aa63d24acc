#pragma once

#include "draw/NiceTicks.h"
#include "formats/Choices.h"
#include "platform/Colour.h"

#include <QRectF>

#include <array>
#include <string>
#include <vector>

class CCanvas;

// How values are labelled: the main view's colour bar toggles, which the viewers share.
struct CColourDisplay {
    EModelKind kind = EModelKind::dc; // dc: log10 conductivities, which the toggles apply to
    bool conductivity = true;         // false: resistivity
    bool log10 = false;
};

// The colour bar's labels, at least gap (a fraction of the bar) apart: conductivities or
// resistivities on a log scale, their logarithms or chargeabilities on a linear one.
std::vector<CBarTick> ColourBarTicks(double min, double max, EModelKind kind, bool conductivity, bool log10,
                                     double gap);

// The unit the bar's labels are in, "" for chargeabilities.
std::string ColourBarUnit(EModelKind kind, bool conductivity, bool log10);

// The colour bar right of a plot: as high as the plot, but never so low that it cannot carry a
// few labels, reaching down to lowest at the most; in the units of fontSize.
QRectF BarBeside(const QRectF& plot, double fontSize, double lowest);

// The 61 bands in bar from the bottom up (turned over for resistivity), the unit above it, or
// caption when one is given, and labels right of it at round values that never touch.
void DrawColourBar(CCanvas& canvas, const QRectF& bar, const std::array<COLORREF, 61>& colours, double min, double max,
                   const CColourDisplay& display, const std::string& caption = "");
