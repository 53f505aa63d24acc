#include "formats/ExportFiles.h"

#include "formats/FormatError.h"
#include "formats/Text.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <utility>

namespace {

// Six digits as the forward run's data have them; the geometric factor is exact arithmetic.
constexpr int kValueDigits = 6, kFactorDigits = 9;
// ResIPy's place for an electrode at infinity, B to the left and N to the right.
constexpr double kRemoteB = -999999.0, kRemoteN = 999999.0;
const char* const kMeasurementType = "Type of measurement (0=app. resistivity,1=resistance)";
const char* const kTopographyList = "Topography in separate list";
const char* const kIpBlock = "Chargeability\nmV/V\n0.12,1.0\n";
const char* const kCsvHeader = "label,x,y,z,remote,buried";

// The lines of a file read strictly: every line counts, and the file must not end early.
class CRows {
public:
    CRows(std::string_view text, const std::string& name)
        : m_lines(text), m_name(name), m_total(static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1)
    {
    }

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
    int Count(const char* what) { return Lines(Whole(Number(what), 0, 100'000'000, what), what); }
    // A count of records a line each, refused when the file has fewer lines left: a short text
    // must not make the reader allocate for what it announces.
    int Lines(int count, const char* what) const
    {
        if (count > m_total - m_lines.Number())
            Refuse(FormatC("%s is %i, but only %i lines follow", what, count, m_total - m_lines.Number()));
        return count;
    }
    void Expect(std::string_view text)
    {
        if (Next() != text)
            Refuse("expected " + Quoted(text) + ", not " + Quoted(m_line));
    }

private:
    CLines m_lines;
    std::string m_name;
    std::string_view m_line;
    int m_total;
};

void Append(std::string& out, double value, int significant, char before)
{
    out += before;
    AppendDecimal(out, value, significant);
}

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

void AppendDecimal(std::string& out, double value, int significant)
{
    if (value == 0)
        value = 0; // never "-0.0"
    char buf[64];
    const auto end =
        significant > 0
            ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, significant - 1).ptr
            : std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific).ptr;
    std::string_view s(buf, static_cast<size_t>(end - buf));
    const size_t e = s.find('e');
    if (e == std::string_view::npos) { // not finite
        out += s;
        return;
    }
    std::string digits;
    for (char c : s.substr(0, e))
        if (c != '.' && c != '-')
            digits += c;
    int exponent = 0;
    std::from_chars(s.data() + e + 2, s.data() + s.size(), exponent);
    if (s[0] == '-')
        out += '-';
    const int point = (s[e + 1] == '-' ? -exponent : exponent) + 1; // digits before the point
    std::string text;
    if (point <= 0)
        text = "0." + std::string(static_cast<size_t>(-point), '0') + digits;
    else if (point >= static_cast<int>(digits.size()))
        text = digits + std::string(static_cast<size_t>(point) - digits.size(), '0') + ".0";
    else
        text = digits.substr(0, static_cast<size_t>(point)) + "." + digits.substr(static_cast<size_t>(point));
    while (text.back() == '0' && text[text.size() - 2] != '.')
        text.pop_back();
    out += text;
}

bool CExportSurvey::HasTopography() const
{
    return std::any_of(electrodes.begin(), electrodes.end(), [](const CExportElectrode& e) { return e.z != 0; });
}

// ---- pyGIMLi/BERT unified data ----

std::string CExportSurvey::FormatUnified(const CExportOptions& options) const
{
    std::string text = std::to_string(electrodes.size()) + "# number of electrodes\n# x y z\n";
    for (const CExportElectrode& e : electrodes) {
        AppendDecimal(text, e.x);
        text += "\t0.0";
        Append(text, e.z, 0, '\t');
        text += '\n';
    }
    // pyGIMLi's time-domain IP takes ip as a chargeability in mV/V.
    text += std::to_string(data.size()) + "# number of data; r = V/I in ohm, rhoa in ohm m, k in m (flat ground)" +
            (ip ? ", ip = chargeability in mV/V" : "") + (options.errors ? ", err = relative error of r" : "") +
            "\n# a b m n r rhoa k" + (ip ? " ip" : "") + (options.errors ? " err" : "") + "\n";
    for (const CExportDatum& d : data) {
        text += FormatC("%i\t%i\t%i\t%i", d.a, d.b, d.m, d.n);
        Append(text, d.r, kValueDigits, '\t');
        Append(text, d.rhoa, kValueDigits, '\t');
        Append(text, d.k, kFactorDigits, '\t');
        if (ip)
            Append(text, 1000 * d.eta, kValueDigits, '\t');
        if (options.errors)
            Append(text, d.r != 0 ? d.rSd / std::fabs(d.r) : 0, kValueDigits, '\t');
        text += '\n';
    }
    return text;
}

CExportSurvey CExportSurvey::ParseUnified(std::string_view text, const std::string& name)
{
    CRows rows(text, name);
    CExportSurvey s;
    s.electrodes.resize(
        static_cast<size_t>(rows.Lines(rows.Whole(rows.Numbers(BeforeComment(rows.Next()), 1, "a count")[0], 1,
                                                  100'000'000, "the number of electrodes"),
                                       "the number of electrodes")));
    rows.Expect("# x y z");
    for (CExportElectrode& e : s.electrodes) {
        const std::vector<double> v = rows.Numbers(rows.Next(), 3, "x y z");
        if (v[1] != 0)
            rows.Refuse("y must be 0 on a line");
        e = {v[0], v[2]};
    }
    s.data.resize(static_cast<size_t>(rows.Lines(
        rows.Whole(rows.Numbers(BeforeComment(rows.Next()), 1, "a count")[0], 0, 100'000'000, "the number of data"),
        "the number of data")));
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

// ---- Res2DInv general array ----

std::string CExportSurvey::FormatRes2dinv(bool resipy) const
{
    // ResIPy reads the measurement type after the first line holding "Type".
    std::string heading = title;
    for (size_t i = 0; i + 4 <= heading.size(); ++i)
        if (std::equal(heading.begin() + static_cast<long>(i), heading.begin() + static_cast<long>(i) + 4, "type",
                       [](char c, char t) { return std::tolower(static_cast<unsigned char>(c)) == t; }))
            heading.replace(i, 4, "type");
    std::replace_if(
        heading.begin(), heading.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    const bool topography = HasTopography();
    std::string text = heading + "\n";
    AppendDecimal(text, spacing);
    text += FormatC("\n11\n0\n%s\n1\n%zu\n%i\n%i\n", kMeasurementType, data.size(), topography ? 2 : 1, ip ? 1 : 0);
    if (ip)
        text += kIpBlock;
    auto position = [&](int number, double remote) {
        const CExportElectrode e = number ? electrodes[static_cast<size_t>(number - 1)] : CExportElectrode{remote, 0};
        Append(text, e.x, 0, ' ');
        Append(text, e.z, 0, ' ');
    };
    for (const CExportDatum& d : data) {
        std::vector<std::pair<int, double>> at = {{d.a, kRemoteB}, {d.b, kRemoteB}, {d.m, kRemoteN}, {d.n, kRemoteN}};
        if (!resipy) {
            // Readers take three electrodes as A M N: a dipole-pole datum goes as its reciprocal.
            if (d.n == 0 && d.b != 0)
                std::swap(at[0], at[2]), std::swap(at[1], at[3]);
            at.erase(std::remove_if(at.begin(), at.end(), [](const auto& e) { return e.first == 0; }), at.end());
        }
        text += std::to_string(at.size());
        for (const auto& [number, remote] : at)
            position(number, remote);
        Append(text, d.r, kValueDigits, ' ');
        if (ip)
            Append(text, 1000 * d.eta, kValueDigits, ' ');
        text += '\n';
    }
    // ResIPy joins the list's elevations to the electrodes by exact x, so it lists exactly them.
    if (topography) {
        text += FormatC("%s\n2\n%zu\n", kTopographyList, electrodes.size());
        for (const CExportElectrode& e : electrodes) {
            AppendDecimal(text, e.x);
            Append(text, e.z, 0, ' ');
            text += '\n';
        }
        text += "1\n";
    }
    text += "0\n0\n0\n0\n";
    return text;
}

CExportSurvey CExportSurvey::ParseRes2dinv(std::string_view text, const std::string& name)
{
    CRows rows(text, name);
    CExportSurvey s;
    s.title = rows.Next();
    std::string_view ipLine;
    s.spacing = rows.Number("the unit electrode spacing");
    rows.Expect("11");
    rows.Number("the sub-array type");
    rows.Expect(kMeasurementType);
    rows.Expect("1");
    s.data.resize(static_cast<size_t>(rows.Count("the number of data")));
    const int location = rows.Whole(rows.Number("the type of x-location"), 1, 2, "the type of x-location");
    s.ip = rows.Whole(rows.Number("the IP flag"), 0, 1, "the IP flag") == 1;
    if (s.ip)
        for (CLines block(kIpBlock); block.Next(ipLine);)
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
            xz.insert(xz.begin() + 2, {kRemoteB, 0});
        if (count == 2) // A M
            xz = {xz[0], xz[1], kRemoteB, 0, xz[2], xz[3], kRemoteN, 0};
        if (std::fabs(xz[0]) == kRemoteN || std::fabs(xz[4]) == kRemoteN)
            rows.Refuse("A and M cannot lie at infinity");
        for (size_t i = 0; i < 8; i += 2)
            if (std::fabs(xz[i]) != kRemoteN) {
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
        return std::fabs(at) == kRemoteN ? 0
                                         : static_cast<int>(std::lower_bound(x.begin(), x.end(), at) - x.begin()) + 1;
    };
    for (size_t i = 0; i < s.data.size(); ++i) {
        const std::vector<double>& xz = positions[i];
        CExportDatum& d = s.data[i];
        d.a = number(xz[0]), d.b = number(xz[2]), d.m = number(xz[4]), d.n = number(xz[6]);
    }
    std::string_view line = rows.Next();
    if (line == kTopographyList) {
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

// ---- R2/cR2 protocol.dat and ResIPy's electrode file ----

namespace {

// The numbers of the electrodes at infinity in protocol.dat: after the real ones, B's first.
std::pair<int, int> RemoteNumbers(const CExportSurvey& s)
{
    const auto has = [&s](int CExportDatum::*e) {
        return std::any_of(s.data.begin(), s.data.end(), [e](const CExportDatum& d) { return d.*e == 0; });
    };
    const int real = static_cast<int>(s.electrodes.size());
    const bool b = has(&CExportDatum::b), n = has(&CExportDatum::n);
    return {b ? real + 1 : 0, n ? real + 1 + (b ? 1 : 0) : 0};
}

} // namespace

std::string CExportSurvey::FormatProtocol(const CExportOptions& options) const
{
    const auto [remoteB, remoteN] = RemoteNumbers(*this);
    std::string text = std::to_string(data.size()) + "\n";
    int j = 0;
    for (const CExportDatum& d : data) {
        int m = d.m ? d.m : remoteN, n = d.n ? d.n : remoteN;
        // cR2 wants a positive magnitude: the potential pair is turned round instead.
        if (ip && d.r < 0)
            std::swap(m, n);
        text += FormatC("%i\t%i\t%i\t%i\t%i", ++j, d.a, d.b ? d.b : remoteB, m, n);
        Append(text, ip ? std::fabs(d.r) : d.r, kValueDigits, '\t');
        if (ip)
            Append(text, -options.phaseFactor * 1000 * d.eta, kValueDigits, '\t');
        if (options.errors)
            Append(text, d.rSd, kValueDigits, '\t');
        if (options.errors && ip)
            Append(text, options.phaseFactor * d.etaSd, kValueDigits, '\t');
        text += '\n';
    }
    return text;
}

std::string CExportSurvey::FormatProtocolElectrodes() const
{
    std::string text = std::string(kCsvHeader) + "\n";
    auto row = [&text](size_t label, double x, double z, bool remote) {
        text += std::to_string(label) + ",";
        AppendDecimal(text, x);
        text += ",0.0,";
        AppendDecimal(text, z);
        text += remote ? ",True,False\n" : ",False,False\n";
    };
    for (size_t i = 0; i < electrodes.size(); ++i)
        row(i + 1, electrodes[i].x, electrodes[i].z, false);
    const auto [remoteB, remoteN] = RemoteNumbers(*this);
    if (remoteB)
        row(static_cast<size_t>(remoteB), kRemoteB, 0, true);
    if (remoteN)
        row(static_cast<size_t>(remoteN), kRemoteN, 0, true);
    return text;
}

CExportSurvey CExportSurvey::ParseProtocol(std::string_view protocol, std::string_view electrodes,
                                           const std::string& name, bool ip, const CExportOptions& options)
{
    CExportSurvey s;
    s.ip = ip;
    CRows csv(electrodes, name + " (electrodes)");
    csv.Expect(kCsvHeader);
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
