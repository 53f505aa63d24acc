#pragma once

#include "formats/Choices.h"
#include "model/NiceTicks.h"
#include "platform/Colour.h"

#include <array>
#include <string>
#include <vector>

// The view's 61 colours, from dark blue for the lowest value through cyan, green and yellow to
// pink for the highest.
std::array<COLORREF, 61> BuildColourTable();

// The table index of value v in the range [min, max]: 0 to 60, 0 also when the range is empty.
int ColourIndex(double v, double min, double max);

// Widens [min, max] to take in v.
void FoldIntoRange(double v, double& min, double& max);

// The colour bar's labels, at least gap (a fraction of the bar) apart: conductivities or
// resistivities on a log scale, their logarithms or chargeabilities on a linear one.
std::vector<CBarTick> ColourBarTicks(double min, double max, EModelKind kind, bool conductivity, bool log10,
                                     double gap);

// The unit the bar's labels are in, "" for chargeabilities.
std::string ColourBarUnit(EModelKind kind, bool conductivity, bool log10);

std::string ModelTitle(EModelKind kind, bool conductivity, bool log10);
