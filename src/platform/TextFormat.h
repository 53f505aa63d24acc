#pragma once

#include <string>
#include <string_view>

// printf and numbers typed into fields in the "C" conventions (a point before the decimals)
// whatever locale the user's desktop set. The shared files' numbers are formats/Text.h's.

// printf into a string.
std::string FormatC(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Appends value exactly as printf "%g" writes it, without touching the locale.
void AppendG(std::string& out, double value);

// One number of a dialog field: the whole text (blanks around it allowed) must be the number.
bool ParseDoubleC(std::string_view text, double& value);
bool ParseIntC(std::string_view text, int& value);
