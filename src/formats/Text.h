#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The text of the shared files: read whole, handed out as lines or blank-separated tokens, and
// numbers in the "C" conventions whatever the locale. Readers accept LF and CR LF line ends.

// The whole of a regular file, symbolic links followed. Anything else (a folder, a device, a
// named pipe) is refused before it is opened, and so is a file larger than maxBytes: both raise
// CFormatError. A file that cannot be opened or read raises CFileException. A UTF-8 byte-order
// mark at the start is left out.
std::string ReadTextFile(const std::string& path, size_t maxBytes);

// The start of a regular file, at most maxBytes of it, with the same refusals.
std::string ReadTextFileStart(const std::string& path, size_t maxBytes);

// The lines of a text, without their line ends, numbered from 1.
class CLines {
public:
    explicit CLines(std::string_view text) : m_text(text) {}

    // The next line; false after the last one.
    bool Next(std::string_view& line);
    // The number of the line last handed out.
    int Number() const { return m_number; }

private:
    std::string_view m_text;
    size_t m_pos = 0;
    int m_number = 0;
};

// The blank-separated tokens of a text, whatever its line breaks.
class CTokens {
public:
    explicit CTokens(std::string_view text) : m_text(text) {}

    // The next token; false at the end of the text.
    bool Next(std::string_view& token);
    // The line of the token last handed out, or at the end the text's last line.
    int Line() const { return m_line; }

private:
    std::string_view m_text;
    size_t m_pos = 0;
    int m_line = 1;
};

// Whether a line holds nothing but blanks; and its first character that is not a blank (0 if none).
bool IsBlankLine(std::string_view line);
char FirstNonBlank(std::string_view line);

// A number as C writes it in the "C" locale: an optional sign, decimal digits with an optional
// point and exponent, and nothing else. Never NaN, an infinity or beyond the type's range.
bool ParseNumber(std::string_view token, double& value);
bool ParseNumber(std::string_view token, float& value);

// A decimal integer of the int range; with base 0 as C's "%i" reads it (0x hexadecimal, a
// leading 0 octal).
bool ParseInteger(std::string_view token, int& value, int base = 10);

// Appends value as "%g" writes it when that reads back as exactly the same number, otherwise
// with the fewest more significant digits that do ("%.7g" to "%.17g"). A float reads back as a
// float, with up to nine digits.
void AppendExact(std::string& out, double value);
void AppendExact(std::string& out, float value);
std::string Exact(double value);

// A token as a message quotes it: in double quotes, cut after 40 characters.
std::string Quoted(std::string_view token);
