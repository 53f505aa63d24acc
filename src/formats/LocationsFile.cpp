#include "formats/LocationsFile.h"

#include "formats/FormatError.h"
#include "formats/Limits.h"
#include "formats/Text.h"
#include "platform/FileException.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cmath>

namespace {

const char kHeaderMark = '#';
const char kCommentMark = '!';
// By EArray; both pole-dipole arrays write the same line.
const char* const kArrayLines[] = {"!pole-pole\n", "!dipole-dipole\n",       "!pole-dipole\n", "!pole-dipole\n",
                                   "!wenner\n",    "!wenner-schlumberger\n", "!gradient\n",    "!protocol\n"};
constexpr int kArrayTypes = 8;
constexpr size_t kLongestHeader = 4096;

} // namespace

double ElectrodeTolerance(const std::vector<double>& sorted)
{
    if (sorted.empty())
        return 0;
    double extent = sorted.back() - sorted.front();
    if (extent == 0)
        extent = std::max(std::fabs(sorted.front()), std::fabs(sorted.back()));
    return 1e-9 * (extent == 0 ? 1 : extent);
}

std::vector<double> ElectrodePositions(std::vector<double> positions)
{
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    if (positions.empty())
        return positions;
    const double tolerance = ElectrodeTolerance(positions);
    std::vector<double> electrodes{positions.front()};
    for (double x : positions)
        if (x - electrodes.back() >= tolerance)
            electrodes.push_back(x);
    return electrodes;
}

int ElectrodeIndex(const std::vector<double>& electrodes, double x)
{
    return static_cast<int>(std::upper_bound(electrodes.begin(), electrodes.end(), x) - electrodes.begin()) - 1;
}

CLocationsHeader CLocationsHeader::Parse(std::string_view line)
{
    CLocationsHeader h;
    h.fields = 0;
    if (line.empty() || line.front() != kHeaderMark)
        return h;
    CTokens tokens(line.substr(1));
    std::string_view t;
    auto next = [&tokens, &t] { return tokens.Next(t); };
    if (!next() || !ParseInteger(t, h.n) || h.n < 1)
        return h;
    h.fields = 1;
    if (!next() || !ParseNumber(t, h.aSpacing) || !(h.aSpacing > 0))
        return h;
    h.fields = 2;
    int array = 0;
    if (!next() || !ParseInteger(t, array) || array < 0 || array >= kArrayTypes)
        return h;
    h.array = static_cast<EArray>(array);
    h.fields = 3;
    if (!next() || !ParseInteger(t, h.cellsPerElectrode) || h.cellsPerElectrode < 1)
        return h;
    h.fields = 4;
    if (!next() || !ParseNumber(t, h.aspectRatio) || !(h.aspectRatio > 0))
        return h;
    h.fields = 5;
    return h;
}

CLocationsFile CLocationsFile::Parse(std::string_view text, const std::string& name)
{
    CLocationsFile f;
    CLines lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        if (lines.Number() == 1)
            f.header = CLocationsHeader::Parse(line);
        const char first = FirstNonBlank(line);
        if (first == 0 || first == kHeaderMark || first == kCommentMark)
            continue;
        auto refuse = [&](const std::string& reason) { throw CFormatError(name, lines.Number(), reason); };
        if (f.data.size() >= static_cast<size_t>(kMaxData))
            refuse(FormatC("the survey has more than the %i data a locations file may hold", kMaxData));
        CQuadrupole q;
        q.line = lines.Number();
        CTokens tokens(line);
        std::string_view t;
        for (double* v : {&q.a, &q.b, &q.m, &q.n}) {
            if (!tokens.Next(t) || !ParseNumber(t, *v))
                refuse("expected four electrode positions A B M N");
            if (!(std::fabs(*v) <= kMaxCoordinate))
                refuse("the position " + Exact(*v) + " lies beyond " + Exact(kMaxCoordinate) + " units");
        }
        if (tokens.Next(t))
            refuse("expected four electrode positions A B M N, but " + Quoted(t) + " follows them");
        f.data.push_back(q);
    }
    if (f.data.empty())
        throw CFormatError(name, 0, "it holds no data");
    return f;
}

CLocationsFile CLocationsFile::Read(const std::string& path)
{
    return Parse(ReadTextFile(path, kMaxLocationsFileBytes), path);
}

CLocationsHeader CLocationsFile::ReadHeader(const std::string& path)
{
    std::string start;
    try {
        start = ReadTextFileStart(path, kLongestHeader);
    } catch (const CFileException&) {
        start.clear();
    } catch (const CFormatError&) {
        start.clear(); // the header only saves retyping: nothing to refuse for
    }
    std::string_view first;
    CLines lines(start);
    if (!lines.Next(first))
        first = {};
    return CLocationsHeader::Parse(first);
}

std::string CLocationsFile::Format() const
{
    const CLocationsHeader& h = header;
    std::string text = FormatC("%c%i ", kHeaderMark, h.n);
    AppendExact(text, h.aSpacing);
    const int array = static_cast<int>(h.array);
    text += FormatC(" %i %i ", array, h.cellsPerElectrode);
    AppendExact(text, h.aspectRatio);
    text += '\n';
    text += kArrayLines[array >= 0 && array < kArrayTypes ? array : 2];
    for (const CQuadrupole& q : data) {
        AppendExact(text, q.a);
        text += ' ';
        AppendExact(text, q.b);
        text += "  ";
        AppendExact(text, q.m);
        text += ' ';
        AppendExact(text, q.n);
        text += '\n';
    }
    return text;
}

void CLocationsFile::Write(const std::string& path) const
{
    WriteTextFile(path, Format());
}

CPairTerms PairTerms(bool poleSource, bool poleReceiver)
{
    CPairTerms t;
    t.terms[t.count++] = {0, 0, 1};
    if (!poleReceiver)
        t.terms[t.count++] = {0, 1, -1};
    if (!poleSource) {
        t.terms[t.count++] = {1, 0, -1};
        if (!poleReceiver)
            t.terms[t.count++] = {1, 1, 1};
    }
    return t;
}

double GeometricFactor(double a, double b, double m, double n, bool poleSource, bool poleReceiver)
{
    const double current[] = {a, b}, potential[] = {m, n};
    double sum = 0;
    for (const CPairTerm& t : PairTerms(poleSource, poleReceiver))
        sum += t.sign / std::fabs(potential[t.potential] - current[t.current]);
    return 2 * M_PI / sum;
}
