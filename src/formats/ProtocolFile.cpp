#include "formats/ProtocolFile.h"

#include "formats/FormatError.h"
#include "formats/Limits.h"
#include "formats/Text.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <algorithm>

namespace {

const char kCommentMark = '#';

} // namespace

int CProtocolFile::Electrodes() const
{
    int most = 0;
    for (const CProtocolDatum& d : data)
        most = std::max({most, d.a, d.b, d.m, d.n});
    return most;
}

CProtocolFile CProtocolFile::Parse(std::string_view text, const std::string& name)
{
    CProtocolFile f;
    CLines lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        line = line.substr(0, line.find(kCommentMark));
        if (IsBlankLine(line))
            continue;
        auto refuse = [&](const std::string& reason) { throw CFormatError(name, lines.Number(), reason); };
        if (f.data.size() >= static_cast<size_t>(kMaxData))
            refuse(FormatC("the protocol has more than the %i data a locations file may hold", kMaxData));
        CProtocolDatum d;
        d.line = lines.Number();
        CTokens tokens(line);
        std::string_view t;
        for (int* v : {&d.a, &d.b, &d.m, &d.n}) {
            if (!tokens.Next(t) || !ParseInteger(t, *v))
                refuse("expected four electrode numbers A B M N");
            if (*v < 0 || *v > kMaxProtocolElectrode)
                refuse(FormatC("the electrode number %i is not one of 1 to %i, or 0 for B or N at infinity", *v,
                               kMaxProtocolElectrode));
        }
        if (tokens.Next(t))
            refuse("expected four electrode numbers A B M N, but " + Quoted(t) + " follows them");
        if (d.a == 0 || d.m == 0)
            refuse("A and M must be electrodes of the line; only B and N may be 0, at infinity");
        const int real[] = {d.a, d.b, d.m, d.n};
        for (int i = 0; i < 4; ++i)
            for (int j = i + 1; j < 4; ++j)
                if (real[i] != 0 && real[i] == real[j])
                    refuse(FormatC("the electrode %i appears twice", real[i]));
        f.data.push_back(d);
    }
    if (f.data.empty())
        throw CFormatError(name, 0, "it holds no data");
    return f;
}

CProtocolFile CProtocolFile::Read(const std::string& path)
{
    return Parse(ReadTextFile(path, kMaxLocationsFileBytes), path);
}

std::string CProtocolFile::Format() const
{
    std::string text = "# A B M N, 0 for an electrode at infinity\n";
    for (const CProtocolDatum& d : data)
        text += FormatC("%i %i %i %i\n", d.a, d.b, d.m, d.n);
    return text;
}

void CProtocolFile::Write(const std::string& path) const
{
    WriteTextFile(path, Format());
}
