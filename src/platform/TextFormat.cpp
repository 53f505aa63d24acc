#include "platform/TextFormat.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace {

locale_t CLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return locale;
}

// Makes the "C" conventions current on this thread for the lifetime of the guard.
class CLocaleGuard {
public:
    CLocaleGuard() : m_previous(uselocale(CLocale())) {}
    ~CLocaleGuard() { uselocale(m_previous); }
    CLocaleGuard(const CLocaleGuard&) = delete;
    CLocaleGuard& operator=(const CLocaleGuard&) = delete;

private:
    locale_t m_previous;
};

bool IsBlank(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// The strto* functions need a terminated string; lines are short, so copy.
enum class Kind { Int, Double };

// Converts one number at the start of s; returns the characters used, 0 if none.
size_t ConvertNumber(const std::string& s, Kind kind, int base, void* target)
{
    const char* begin = s.c_str();
    char* end = nullptr;
    errno = 0;
    switch (kind) {
    case Kind::Int: {
        long long v = strtoll_l(begin, &end, base, CLocale());
        if (end == begin || errno == ERANGE || v < INT_MIN || v > INT_MAX)
            return 0;
        *static_cast<int*>(target) = static_cast<int>(v);
        break;
    }
    case Kind::Double: {
        double v = strtod_l(begin, &end, CLocale());
        if (end == begin || !std::isfinite(v))
            return 0;
        *static_cast<double*>(target) = v;
        break;
    }
    }
    return static_cast<size_t>(end - begin);
}

} // namespace

std::string FormatC(const char* format, ...)
{
    CLocaleGuard guard;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    char small[256];
    int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    std::string out;
    if (n < 0) {
        va_end(copy);
        return out;
    }
    if (static_cast<size_t>(n) < sizeof small) {
        out.assign(small, static_cast<size_t>(n));
    } else {
        out.resize(static_cast<size_t>(n));
        std::vsnprintf(out.data(), out.size() + 1, format, copy);
    }
    va_end(copy);
    return out;
}

void AppendG(std::string& out, double value)
{
    // to_chars with a precision is printf's conversion in the "C" locale.
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    out.append(buffer, result.ptr);
}

namespace {

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

namespace {

// One number making up the whole text, blanks around it allowed.
template <class T>
bool ParseWhole(std::string_view text, Kind kind, int base, T& value)
{
    std::string s(Trimmed(text));
    if (s.empty() || s.find('\0') != std::string::npos)
        return false;
    T v{};
    if (ConvertNumber(s, kind, base, &v) != s.size())
        return false;
    value = v;
    return true;
}

} // namespace

bool ParseDoubleC(std::string_view text, double& value)
{
    return ParseWhole(text, Kind::Double, 0, value);
}

bool ParseIntC(std::string_view text, int& value)
{
    return ParseWhole(text, Kind::Int, 10, value);
}

bool IsBeyondDoubleC(std::string_view text)
{
    const std::string s(Trimmed(text));
    if (s.empty() || s.find('\0') != std::string::npos)
        return false;
    char* end = nullptr;
    errno = 0;
    const double v = strtod_l(s.c_str(), &end, CLocale());
    // "inf" is no number here, and overflow is the only way to an infinity without it.
    return end == s.c_str() + s.size() && errno == ERANGE && std::isinf(v);
}

std::string FormatPercent(double value, double limit)
{
    std::string text = FormatC(value < 9.95 ? "%.2g" : "%.0f", value);
    double shown = value;
    for (int digits = 3; digits <= 6 && value > limit && ParseDoubleC(text, shown) && shown <= limit; ++digits)
        text = FormatC("%.*g", digits, value);
    return text;
}
