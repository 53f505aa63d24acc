#include "formats/ExportReaders.h"

#include "formats/FormatError.h"
#include "formats/Text.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

namespace {

// The lines of a file read strictly: every line counts, and the file must not end early.
class CRows {
public:
    CRows(std::string_view text, const std::string& name) : m_lines(text), m_name(name) {}

    [[noreturn]] void Refuse(const std::string& reason) const { throw CFormatError(m_name, m_lines.Number(), reason); }

    std::string_view Next()
    {
        if (!m_lines.Next(m_line))
            throw CFormatError(m_name, 0, "it ends too soon");
        return m_line;
    }
    bool More()
    {
        while (m_lines.Next(m_line))
            if (!IsBlankLine(m_line))
                return true;
        return false;
    }
    std::string_view Line() const { return m_line; }

    // The numbers of a line, separated by blanks or by sep; exactly count of them unless count < 0.
    std::vector<double> Numbers(std::string_view line, int count, const char* what, char sep = ' ') const
    {
        std::string text(line);
        std::replace(text.begin(), text.end(), sep, ' ');
        std::vector<double> v;
        CTokens tokens(text);
        for (std::string_view t; tokens.Next(t);)
            if (!ParseNumber(t, v.emplace_back()))
                Refuse(std::string("expected ") + what + ", not " + Quoted(line));
        if (count >= 0 && static_cast<int>(v.size()) != count)
            Refuse(FormatC("expected %i numbers (%s), not %s", count, what, Quoted(line).c_str()));
        return v;
    }
    double Number(const char* what) { return Numbers(Next(), 1, what)[0]; }
    int Whole(double v, int lo, int hi, const char* what) const
    {
        if (!(v >= lo && v <= hi && v == std::floor(v)))
            Refuse(FormatC("%s must be a whole number from %i to %i, not %s", what, lo, hi, Exact(v).c_str()));
        return static_cast<int>(v);
    }
    int Count(const char* what) { return Whole(Number(what), 0, 100'000'000, what); }
    void Expect(std::string_view text)
    {
        if (Next() != text)
            Refuse("expected " + Quoted(text) + ", not " + Quoted(m_line));
    }

private:
    CLines m_lines;
    std::string m_name;
    std::string_view m_line;
};

// The text before a comment mark.
std::string_view BeforeComment(std::string_view line)
{
    return line.substr(0, line.find('#'));
}

// A datum with A and M real electrodes: a pole of the current or the potential pair is moved
// to B or N, the resistance changing sign as the pair's order does.
void MovePolesBack(CExportDatum& d)
{
    if (d.a == 0)
        std::swap(d.a, d.b), d.r = -d.r;
    if (d.m == 0)
        std::swap(d.m, d.n), d.r = -d.r;
}

void CheckDatum(const CRows& rows, const CExportDatum& d)
{
    if (d.a == 0 || d.m == 0)
        rows.Refuse("both current or both potential electrodes lie at infinity");
}

} // namespace

CExportSurvey ParseUnified(std::string_view text, const std::string& name)
{
    CRows rows(text, name);
    CExportSurvey s;
    // A count and its comment, as "4# number of electrodes".
    auto count = [&](int least, const char* what) {
        return static_cast<size_t>(
            rows.Whole(rows.Numbers(BeforeComment(rows.Next()), 1, "a count")[0], least, 100'000'000, what));
    };
    s.electrodes.resize(count(1, "the number of electrodes"));
    rows.Expect("# x y z");
    for (CExportElectrode& e : s.electrodes) {
        const std::vector<double> v = rows.Numbers(rows.Next(), 3, "x y z");
        if (v[1] != 0)
            rows.Refuse("y must be 0 on a line");
        e = {v[0], v[2]};
    }
    s.data.resize(count(0, "the number of data"));
    const std::string_view tokenLine = rows.Next();
    if (tokenLine.substr(0, 1) != "#")
        rows.Refuse("expected the data tokens after '#'");
    std::vector<std::string> tokens;
    CTokens split(tokenLine.substr(1));
    for (std::string_view t; split.Next(t);)
        tokens.emplace_back(t);
    auto column = [&](const char* token) {
        const auto at = std::find(tokens.begin(), tokens.end(), token);
        return at == tokens.end() ? -1 : static_cast<int>(at - tokens.begin());
    };
    if (tokens.size() < 5 || column("a") != 0 || column("b") != 1 || column("m") != 2 || column("n") != 3 ||
        column("r") < 0)
        rows.Refuse("expected the tokens a b m n r and more, not " + Quoted(tokenLine));
    s.ip = column("ip") >= 0;
    const int electrodes = static_cast<int>(s.electrodes.size());
    for (CExportDatum& d : s.data) {
        const std::vector<double> v = rows.Numbers(rows.Next(), static_cast<int>(tokens.size()), "a value per token");
        int* numbers[] = {&d.a, &d.b, &d.m, &d.n};
        for (int i = 0; i < 4; ++i)
            *numbers[i] = rows.Whole(v[static_cast<size_t>(i)], 0, electrodes, "an electrode number");
        auto value = [&](const char* token) { return column(token) < 0 ? 0 : v[static_cast<size_t>(column(token))]; };
        d.r = value("r");
        d.rhoa = value("rhoa");
        d.k = value("k");
        d.eta = value("ip") / 1000;
        d.rSd = value("err") * std::fabs(d.r);
        CheckDatum(rows, d);
    }
    return s;
}

CExportSurvey ParseRes2dinv(std::string_view text, const std::string& name)
{
    CRows rows(text, name);
    CExportSurvey s;
    s.title = rows.Next();
    std::string_view ipLine;
    s.spacing = rows.Number("the unit electrode spacing");
    rows.Expect("11");
    rows.Number("the sub-array type");
    rows.Expect(CExportSurvey::kMeasurementType);
    rows.Expect("1");
    s.data.resize(static_cast<size_t>(rows.Count("the number of data")));
    const int location = rows.Whole(rows.Number("the type of x-location"), 1, 2, "the type of x-location");
    s.ip = rows.Whole(rows.Number("the IP flag"), 0, 1, "the IP flag") == 1;
    if (s.ip)
        for (CLines block(CExportSurvey::kIpBlock); block.Next(ipLine);)
            rows.Expect(ipLine);
    // Electrodes by x, numbered once all are known.
    std::map<double, double> elevation;
    std::vector<std::vector<double>> positions;
    for (CExportDatum& d : s.data) {
        std::vector<double> v = rows.Numbers(rows.Next(), -1, "the electrodes and values");
        const int count = v.empty() ? 0 : rows.Whole(v[0], 2, 4, "the number of electrodes");
        if (static_cast<int>(v.size()) != 1 + 2 * count + (s.ip ? 2 : 1))
            rows.Refuse(FormatC("expected %i numbers for %i electrodes", 1 + 2 * count + (s.ip ? 2 : 1), count));
        d.r = v[static_cast<size_t>(1 + 2 * count)];
        d.eta = s.ip ? v.back() / 1000 : 0;
        std::vector<double> xz(v.begin() + 1, v.begin() + 1 + 2 * count);
        if (count == 3) // A M N
            xz.insert(xz.begin() + 2, {CExportSurvey::kRemoteB, 0});
        if (count == 2) // A M
            xz = {xz[0], xz[1], CExportSurvey::kRemoteB, 0, xz[2], xz[3], CExportSurvey::kRemoteN, 0};
        if (std::fabs(xz[0]) == CExportSurvey::kRemoteN || std::fabs(xz[4]) == CExportSurvey::kRemoteN)
            rows.Refuse("A and M cannot lie at infinity");
        for (size_t i = 0; i < 8; i += 2)
            if (std::fabs(xz[i]) != CExportSurvey::kRemoteN) {
                const auto [at, fresh] = elevation.emplace(xz[i], xz[i + 1]);
                if (!fresh && at->second != xz[i + 1])
                    rows.Refuse("an electrode has two elevations, " + Exact(at->second) + " and " + Exact(xz[i + 1]));
            }
        positions.push_back(std::move(xz));
    }
    std::vector<double> x;
    for (const auto& [at, z] : elevation) {
        s.electrodes.push_back({at, z});
        x.push_back(at);
    }
    auto number = [&x](double at) {
        return std::fabs(at) == CExportSurvey::kRemoteN
                   ? 0
                   : static_cast<int>(std::lower_bound(x.begin(), x.end(), at) - x.begin()) + 1;
    };
    for (size_t i = 0; i < s.data.size(); ++i) {
        const std::vector<double>& xz = positions[i];
        CExportDatum& d = s.data[i];
        d.a = number(xz[0]), d.b = number(xz[2]), d.m = number(xz[4]), d.n = number(xz[6]);
    }
    std::string_view line = rows.Next();
    if (line == CExportSurvey::kTopographyList) {
        if (location != 2)
            rows.Refuse("a topography list needs x-locations of type 2");
        rows.Expect("2");
        if (rows.Count("the number of points") != static_cast<int>(s.electrodes.size()))
            rows.Refuse("the topography list must hold the electrodes, no more and no fewer");
        for (const CExportElectrode& e : s.electrodes) {
            const std::vector<double> v = rows.Numbers(rows.Next(), 2, "x z");
            if (v[0] != e.x || v[1] != e.z)
                rows.Refuse("the topography list must hold the electrodes in their order");
        }
        rows.Expect("1");
        line = rows.Next();
    }
    for (int zeros = 1;; ++zeros, line = rows.Next())
        if (line != "0")
            rows.Refuse("expected the closing 0");
        else if (zeros == 4)
            break;
    return s;
}

CExportSurvey ParseProtocol(std::string_view protocol, std::string_view electrodes, const std::string& name, bool ip,
                            const CExportOptions& options)
{
    CExportSurvey s;
    s.ip = ip;
    CRows csv(electrodes, name + " (electrodes)");
    csv.Expect(CExportSurvey::kCsvHeader);
    std::vector<bool> remote;
    while (csv.More()) {
        const std::string_view line = csv.Line();
        std::vector<std::string_view> fields;
        for (size_t from = 0, to = 0; to != std::string_view::npos; from = to + 1)
            fields.push_back(line.substr(from, (to = line.find(',', from)) - from));
        if (fields.size() != 6 || (fields[4] != "True" && fields[4] != "False") || fields[5] != "False")
            csv.Refuse("expected label,x,y,z,remote,buried, not " + Quoted(line));
        const std::vector<double> v =
            csv.Numbers(line.substr(0, line.size() - fields[4].size() - 7), 4, "label,x,y,z", ',');
        csv.Whole(v[0], static_cast<int>(remote.size()) + 1, static_cast<int>(remote.size()) + 1, "the label");
        remote.push_back(fields[4] == "True");
        if (!remote.back()) {
            if (remote.size() > s.electrodes.size() + 1)
                csv.Refuse("the remote electrodes must follow the others");
            s.electrodes.push_back({v[1], v[3]});
        }
    }
    CRows rows(protocol, name);
    s.data.resize(static_cast<size_t>(rows.Count("the number of data")));
    const int columns = 6 + (ip ? 1 : 0) + (options.errors ? (ip ? 2 : 1) : 0);
    for (CExportDatum& d : s.data) {
        const std::vector<double> v = rows.Numbers(rows.Next(), columns, ip ? "j a b m n |r| phase" : "j a b m n r");
        int* numbers[] = {&d.a, &d.b, &d.m, &d.n};
        for (size_t i = 0; i < 4; ++i) {
            const int e = rows.Whole(v[i + 1], 1, static_cast<int>(remote.size()), "an electrode number");
            *numbers[i] = remote[static_cast<size_t>(e - 1)] ? 0 : e;
        }
        d.r = v[5];
        if (ip)
            d.eta = -v[6] / options.phaseFactor / 1000;
        if (options.errors)
            d.rSd = v[ip ? 7 : 6];
        if (options.errors && ip)
            d.etaSd = v[8] / options.phaseFactor;
        MovePolesBack(d);
        CheckDatum(rows, d);
    }
    return s;
}
