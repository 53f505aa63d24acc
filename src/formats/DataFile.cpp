#include "formats/DataFile.h"

#include "formats/FormatError.h"
#include "formats/Limits.h"
#include "formats/Text.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

const char* const kDcHeader = "! A B M N V/I(ohm) rho_a(ohm m)\n";
const char* const kErrorDcHeader = "! A B M N error_of_V/I(%)\n";
const char* const kErrorIpHeader = "! A B M N error_of_V/I(%) error_of_eta_a\n";
const char* const kIpHeader = "! A B M N eta_a\n";
const char kCommentMark = '!';
constexpr int kDcFields = 6, kIpFields = 5;

// The lines of a file of data, each with `fields` numbers, the first four positions.
// A line with otherCount numbers is said to look like otherKind.
template <class Take>
void ParseRows(std::string_view text, const std::string& name, int fields, const char* names, size_t& count,
               const Take& take, int otherCount = -1, const char* otherKind = "")
{
    CLines lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        const char first = FirstNonBlank(line);
        if (first == 0 || first == kCommentMark)
            continue;
        auto refuse = [&](const std::string& reason) { throw CFormatError(name, lines.Number(), reason); };
        if (count >= static_cast<size_t>(kMaxData))
            refuse(FormatC("the file has more than the %i data a data file may hold", kMaxData));
        double v[8] = {};
        int found = 0;
        bool numbers = true;
        CTokens tokens(line);
        for (std::string_view t; tokens.Next(t); ++found)
            numbers = numbers && found < fields && ParseNumber(t, v[found]);
        if (!numbers || found != fields)
            refuse(FormatC("expected %i numbers (%s), not %s", fields, names, Quoted(line).c_str()) +
                   (found == otherCount ? std::string(", which look like ") + otherKind : ""));
        for (int i = 0; i < 4; ++i)
            if (!(std::fabs(v[i]) <= kMaxCoordinate))
                refuse("the position " + Exact(v[i]) + " lies beyond " + Exact(kMaxCoordinate) + " units");
        take(v, lines.Number(), refuse);
        ++count;
    }
    if (count == 0)
        throw CFormatError(name, 0, "it holds no data");
}

void AppendPositions(std::string& text, double a, double b, double m, double n)
{
    AppendExact(text, a);
    text += ' ';
    AppendExact(text, b);
    text += "  ";
    AppendExact(text, m);
    text += ' ';
    AppendExact(text, n);
    text += "  ";
}

} // namespace

const char* const kAccuracyValues = "a percentage above 0 and at most 100, or off";

bool ParseAccuracyPercent(std::string_view text, double& percent)
{
    if (text == "off") {
        percent = 0;
        return true;
    }
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v) || !(v > 0) ||
        v > 100)
        return false;
    percent = v;
    return true;
}

int FirstMismatch(const CErrorFile& estimate, const CDataFile& data)
{
    const size_t common = std::min(estimate.data.size(), data.data.size());
    for (size_t i = 0; i < common; ++i) {
        const CErrorRecord& e = estimate.data[i];
        const CDataRecord& d = data.data[i];
        if (e.a != d.a || e.b != d.b || e.m != d.m || e.n != d.n)
            return static_cast<int>(i);
    }
    return estimate.data.size() == data.data.size() ? -1 : static_cast<int>(common);
}

CErrorFile CErrorFile::Parse(std::string_view text, const std::string& name, EModelKind kind)
{
    CErrorFile f;
    const bool ip = kind == EModelKind::ip;
    f.ip = ip;
    size_t count = 0;
    ParseRows(text, name, ip ? 6 : 5, ip ? "A B M N dV deta" : "A B M N dV", count,
              [&](const double* v, int line, const auto& refuse) {
                  for (int i = 4; i < (ip ? 6 : 5); ++i)
                      if (!(v[i] >= 0) || !std::isfinite(v[i]))
                          refuse("an error must be a number of 0 or more, not " + Exact(v[i]));
                  f.data.push_back({v[0], v[1], v[2], v[3], v[4], ip ? v[5] : 0, line});
              });
    return f;
}

CErrorFile CErrorFile::Read(const std::string& path, EModelKind kind)
{
    return Parse(ReadTextFile(path, kMaxDataFileBytes), path, kind);
}

std::string CErrorFile::Format() const
{
    std::string text = ip ? kErrorIpHeader : kErrorDcHeader;
    for (const CErrorRecord& d : data) {
        AppendPositions(text, d.a, d.b, d.m, d.n);
        text += FormatC("%.3g", d.percent);
        if (ip)
            text += FormatC(" %.3g", d.chargeability);
        text += '\n';
    }
    return text;
}

void CErrorFile::Write(const std::string& path) const
{
    WriteTextFile(path, Format());
}

CDataFile CDataFile::Parse(std::string_view text, const std::string& name, EModelKind kind)
{
    CDataFile f;
    const bool ip = kind == EModelKind::ip;
    f.ip = ip;
    size_t count = 0;
    ParseRows(
        text, name, ip ? kIpFields : kDcFields, ip ? "A B M N eta_a" : "A B M N V/I rho_a", count,
        [&](const double* v, int line, const auto&) {
            f.data.push_back({v[0], v[1], v[2], v[3], ip ? 0 : v[4], ip ? v[4] : v[5], line});
        },
        ip ? kDcFields : kIpFields, ip ? "DC data" : "IP data");
    return f;
}

CDataFile CDataFile::Read(const std::string& path, EModelKind kind)
{
    return Parse(ReadTextFile(path, kMaxDataFileBytes), path, kind);
}

std::string CDataFile::Format() const
{
    std::string text = ip ? kIpHeader : kDcHeader;
    for (const CDataRecord& d : data) {
        AppendPositions(text, d.a, d.b, d.m, d.n);
        if (!ip) {
            AppendG(text, d.vi);
            text += ' ';
        }
        AppendG(text, d.value);
        text += '\n';
    }
    return text;
}

void CDataFile::Write(const std::string& path) const
{
    WriteTextFile(path, Format());
}
