#include "formats/DataFile.h"

#include "formats/FormatError.h"
#include "formats/Limits.h"
#include "formats/Text.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <cmath>

namespace {

const char* const kDcHeader = "! A B M N V/I(ohm) rho_a(ohm m)\n";
const char* const kIpHeader = "! A B M N eta_a\n";
const char kCommentMark = '!';
constexpr int kDcFields = 6, kIpFields = 5;

} // namespace

CDataFile CDataFile::Parse(std::string_view text, const std::string& name, bool ip)
{
    CDataFile f;
    f.ip = ip;
    const int fields = ip ? kIpFields : kDcFields;
    const char* const names = ip ? "A B M N eta_a" : "A B M N V/I rho_a";
    CLines lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        const char first = FirstNonBlank(line);
        if (first == 0 || first == kCommentMark)
            continue;
        auto refuse = [&](const std::string& reason) { throw CFormatError(name, lines.Number(), reason); };
        if (f.data.size() >= static_cast<size_t>(kMaxData))
            refuse(FormatC("the file has more than the %i data a data file may hold", kMaxData));
        double v[kDcFields] = {};
        int count = 0;
        bool numbers = true;
        CTokens tokens(line);
        for (std::string_view t; tokens.Next(t); ++count)
            numbers = numbers && count < fields && ParseNumber(t, v[count]);
        if (!numbers || count != fields) {
            std::string reason = FormatC("expected %i numbers (%s), not %s", fields, names, Quoted(line).c_str());
            if (count == kDcFields + kIpFields - fields)
                reason += ip ? ", which look like DC data" : ", which look like IP data";
            refuse(reason);
        }
        for (int i = 0; i < 4; ++i)
            if (!(std::fabs(v[i]) <= kMaxCoordinate))
                refuse("the position " + Exact(v[i]) + " lies beyond " + Exact(kMaxCoordinate) + " units");
        CDataRecord d{v[0], v[1], v[2], v[3], ip ? 0 : v[4], ip ? v[4] : v[5], lines.Number()};
        f.data.push_back(d);
    }
    if (f.data.empty())
        throw CFormatError(name, 0, "it holds no data");
    return f;
}

CDataFile CDataFile::Read(const std::string& path, bool ip)
{
    return Parse(ReadTextFile(path, kMaxDataFileBytes), path, ip);
}

std::string CDataFile::Format() const
{
    std::string text = ip ? kIpHeader : kDcHeader;
    for (const CDataRecord& d : data) {
        AppendExact(text, d.a);
        text += ' ';
        AppendExact(text, d.b);
        text += "  ";
        AppendExact(text, d.m);
        text += ' ';
        AppendExact(text, d.n);
        text += "  ";
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
