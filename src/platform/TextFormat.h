#pragma once

#include <string>
#include <string_view>

// printf and scanf in the "C" conventions (a point before the decimals) whatever locale
// the user's desktop set: every number the program writes or reads goes through these.

// printf into a string.
std::string FormatC(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Appends value exactly as printf "%g" writes it, without touching the locale: the fast path
// for the large files of values.
void AppendG(std::string& out, double value);

// Reads leading fields of text as sscanf does and returns how many were stored; reading stops
// at the first field that does not convert. Conversions: %i (decimal, 0 octal, 0x hexadecimal),
// %d, %f (float*), %lf and %lg (double*). Blanks in the format match any run of blanks; other
// characters must match exactly. Unlike sscanf, a number outside its type's range, NaN or
// infinity does not convert, so a file can never hand the program a wrapped count or a NaN.
int ScanFields(std::string_view text, const char* format, ...) __attribute__((format(scanf, 2, 3)));

// One number of a dialog field: the whole text (blanks around it allowed) must be the number.
bool ParseDoubleC(std::string_view text, double& value);
bool ParseIntC(std::string_view text, int& value);
