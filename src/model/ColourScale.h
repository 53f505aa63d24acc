#pragma once

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

// Label j (0 at the bottom, 6 at the top) of the colour bar.
std::string ColourBarLabel(int j, double min, double max, bool dcModel, bool conductivity, bool log10);

// Which labels the bar shows, as j of ColourBarLabel: all seven, or only the middle one when
// all seven would read alike, as they do for an empty range.
std::vector<int> ColourBarLabelRows(double min, double max, bool dcModel, bool conductivity, bool log10);

// An axis label: whole numbers when the tick step is above 15 units, two decimals otherwise.
std::string AxisLabel(double value, double step);

std::string ModelTitle(bool dcModel, bool conductivity, bool log10);
