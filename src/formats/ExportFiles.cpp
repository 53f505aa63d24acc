#include "formats/ExportFiles.h"

#include "platform/TextFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

namespace {

// Six digits as the forward run's data have them; the geometric factor is exact arithmetic.
constexpr int kValueDigits = 6, kFactorDigits = 9;

void Append(std::string& out, double value, int significant, char before)
{
    out += before;
    AppendDecimal(out, value, significant);
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
