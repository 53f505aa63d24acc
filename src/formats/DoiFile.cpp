#include "formats/DoiFile.h"

#include "formats/FormatError.h"
#include "formats/Limits.h"
#include "formats/Text.h"
#include "platform/StdioFile.h"

#include <cmath>

namespace {

const char* const kHeader = "! depth of investigation: the median depth of the data's sensitivity (Edwards 1977) on "
                            "this earth, the deepest of the data over each column\n! x z depth\n";

} // namespace

CDoiFile CDoiFile::Parse(std::string_view text, const std::string& name)
{
    CDoiFile f;
    CLines lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        if (IsBlankLine(line) || FirstNonBlank(line) == '!')
            continue;
        auto refuse = [&](const std::string& why) { throw CFormatError(name, lines.Number(), why); };
        CTokens tokens(line);
        std::string_view token;
        double values[3];
        for (double& value : values) {
            if (!tokens.Next(token))
                refuse("expected three numbers: x, z and the depth below the ground.");
            if (!ParseNumber(token, value) || std::fabs(value) > kMaxCoordinate)
                refuse("the value " + Quoted(token) + " is not a number within 1e+12.");
        }
        if (tokens.Next(token))
            refuse("expected three numbers, but " + Quoted(token) + " follows them.");
        if (!f.points.empty() && !(values[0] > f.points.back().x))
            refuse("the positions must increase.");
        if (f.points.size() >= static_cast<size_t>(kMaxAxisCells))
            refuse("there are more points than a mesh has columns.");
        f.points.push_back({values[0], values[1], values[2]});
    }
    return f;
}

CDoiFile CDoiFile::Read(const std::string& path)
{
    return Parse(ReadTextFile(path, kMaxDataFileBytes), path);
}

std::string CDoiFile::Format() const
{
    std::string text = kHeader;
    for (const CPoint& p : points) {
        AppendExact(text, p.x);
        text += ' ';
        AppendExact(text, p.z);
        text += ' ';
        AppendExact(text, p.depth);
        text += '\n';
    }
    return text;
}

void CDoiFile::Write(const std::string& path) const
{
    WriteTextFile(path, Format());
}
