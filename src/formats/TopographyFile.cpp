#include "formats/TopographyFile.h"

#include "formats/FormatError.h"
#include "formats/Limits.h"
#include "formats/Text.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cmath>

namespace {

// The count, and a number the forward-modelling program once read and nothing uses.
const char* const kCountLine = "%zu  0\n";
// The profile reaches the mesh's edges beyond the model's points.
constexpr int kMostPoints = kMaxTopographyPoints + 2;

} // namespace

CTopographyFile CTopographyFile::Parse(std::string_view text, const std::string& name)
{
    CLines lines(text);
    std::string_view line;
    auto refuse = [&](const std::string& reason) { throw CFormatError(name, lines.Number(), reason); };
    auto nextLine = [&] {
        while (lines.Next(line))
            if (!IsBlankLine(line))
                return true;
        return false;
    };
    if (!nextLine())
        throw CFormatError(name, 0, "it is empty");
    CTokens tokens(line);
    std::string_view t;
    int count = 0;
    double zero = 0;
    if (!tokens.Next(t) || !ParseInteger(t, count) || (tokens.Next(t) && !ParseNumber(t, zero)) || tokens.Next(t))
        refuse("expected the number of points");
    if (count < 2 || count > kMostPoints)
        refuse(FormatC("the number of points must be from 2 to %i, not %i", kMostPoints, count));
    CTopographyFile f;
    f.x.reserve(static_cast<size_t>(count));
    f.elevation.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        if (!nextLine())
            throw CFormatError(name, 0, FormatC("it ends after %i of its %i points", i, count));
        tokens = CTokens(line);
        double v[2];
        for (double& value : v) {
            if (!tokens.Next(t) || !ParseNumber(t, value))
                refuse("expected a point: x and elevation");
            if (!(std::fabs(value) <= kMaxCoordinate))
                refuse("the number " + Exact(value) + " lies beyond " + Exact(kMaxCoordinate) + " units");
        }
        if (tokens.Next(t))
            refuse("expected a point: x and elevation, but " + Quoted(t) + " follows them");
        if (!f.x.empty() && v[0] < f.x.back())
            refuse("the points must run from left to right, but x = " + Exact(v[0]) +
                   " follows x = " + Exact(f.x.back()));
        f.x.push_back(v[0]);
        f.elevation.push_back(v[1]);
    }
    if (nextLine())
        refuse(FormatC("the file holds more than its %i points", count));
    return f;
}

CTopographyFile CTopographyFile::Read(const std::string& path)
{
    return Parse(ReadTextFile(path, kMaxTopographyFileBytes), path);
}

std::string CTopographyFile::Format() const
{
    std::string text = FormatC(kCountLine, x.size());
    for (size_t j = 0; j < x.size() && j < elevation.size(); ++j) {
        AppendExact(text, x[j]);
        text += ' ';
        AppendExact(text, elevation[j]);
        text += '\n';
    }
    return text;
}

void CTopographyFile::Write(const std::string& path) const
{
    WriteTextFile(path, Format());
}

double ElevationAlong(const std::vector<double>& x, const std::vector<double>& elevation, double position)
{
    if (x.empty())
        return 0;
    if (position <= x.front())
        return elevation.front();
    if (position >= x.back())
        return elevation.back();
    const size_t j = std::upper_bound(x.begin(), x.end(), position) - x.begin(); // x[j - 1] <= position < x[j]
    const double t = (position - x[j - 1]) / (x[j] - x[j - 1]);
    return elevation[j - 1] + t * (elevation[j] - elevation[j - 1]);
}
