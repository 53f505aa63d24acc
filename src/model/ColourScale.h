#pragma once

#include "formats/Choices.h"
#include "platform/Colour.h"

#include <array>
#include <string>

// The view's 61 colours, from dark blue for the lowest value through cyan, green and yellow to
// pink for the highest.
std::array<COLORREF, 61> BuildColourTable();

// The table index of value v in the range [min, max]: 0 to 60, 0 also when the range is empty.
int ColourIndex(double v, double min, double max);

// Widens [min, max] to take in v.
void FoldIntoRange(double v, double& min, double& max);

std::string ModelTitle(EModelKind kind, bool conductivity, bool log10);
