#pragma once

#include <string>
#include <string_view>

// printf and numbers typed into fields in the "C" conventions (a point before the decimals)
// whatever locale the user's desktop set. The shared files' numbers are formats/Text.h's.

// printf into a string.
std::string FormatC(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A percentage for the user: two significant digits, no exponent from 10 on ("up to 1e+02 %"
// reads as a fault), and more, up to six, where two would round a value above limit down to it
// ("above 0.5 %, up to 0.5 %").
std::string FormatPercent(double value, double limit);

// Appends value exactly as printf "%g" writes it, without touching the locale.
void AppendG(std::string& out, double value);

// One number of a dialog field: the whole text (blanks around it allowed) must be the number.
bool ParseDoubleC(std::string_view text, double& value);
bool ParseIntC(std::string_view text, int& value);
// Whether the whole text is a number too large for a double, such as "1e400".
bool IsBeyondDoubleC(std::string_view text);
