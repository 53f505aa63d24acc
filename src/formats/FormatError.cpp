#include "formats/FormatError.h"

#include <cctype>

namespace {

std::string Compose(const std::string& file, int line, const std::string& reason)
{
    std::string text = reason;
    if (line > 0)
        text = "Line " + std::to_string(line) + ": " + text;
    else if (!text.empty())
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return file + "\n" + text + ".";
}

} // namespace

CFormatError::CFormatError(const std::string& file, int line, const std::string& reason)
    : std::runtime_error(Compose(file, line, reason)), m_file(file), m_line(line), m_reason(reason)
{
}
