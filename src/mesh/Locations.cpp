#include "mesh/Locations.h"

#include "formats/FormatError.h"
#include "formats/LocationsFile.h"
#include "formats/ProtocolFile.h"
#include "mesh/Limits.h"
#include "model/ModelData.h"
#include "platform/FileException.h"
#include "platform/Refusal.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cmath>

namespace {

[[noreturn]] void RefuseTooManyData()
{
    throw CRefusal(
        FormatC("The survey would have more than %i data.\nChoose a larger a-spacing or a smaller n.", kMaxData));
}

[[noreturn]] void RefuseTooManyTransmitters(double a)
{
    throw CRefusal(FormatC("The a-spacing of %g is too small for this model:\nit would give more than %i transmitters.",
                           a, kMaxTransmitters));
}

// The electrode positions x1 + k a that lie in the core, k from 0.
int ElectrodesInCore(double x1, double x2, double a)
{
    const double R = (x2 - x1) / a;
    if (!(R < kMaxTransmitters))
        RefuseTooManyTransmitters(a);
    // A rounding error must not lose the electrode on the core's right edge.
    return static_cast<int>(std::floor(R + 1e-9)) + 1;
}

// The largest n of an array on K electrodes.
int LargestN(EArray array, int K)
{
    switch (array) {
    case EArray::wenner:
        return (K - 1) / 3; // A M N B spaced n a
    case EArray::wennerSchlumberger:
        return std::max(0, (K - 2) / 2); // A and B n a outside M N, a apart
    case EArray::gradient:
        return std::max(0, K - 3); // n potential dipoles between A and B
    default:
        return 1 << 30;
    }
}

// The configurations of the arrays laid on electrode numbers, as indices of the positions
// x1 + k a; -1 for an electrode at infinity.
struct CIndices {
    int a, b, m, n;
};

std::vector<CIndices> ArrayIndices(EArray array, int K, int n)
{
    std::vector<CIndices> data;
    auto add = [&data](CIndices q) {
        if (data.size() >= static_cast<size_t>(kMaxData))
            RefuseTooManyData();
        data.push_back(q);
    };
    for (int i = 0; i < K; ++i) {
        switch (array) {
        case EArray::wenner:
            for (int s = 1; s <= n && i + 3 * s < K; ++s)
                add({i, i + 3 * s, i + s, i + 2 * s});
            break;
        case EArray::wennerSchlumberger:
            // Potential dipoles of every length s a that fits, each with n levels.
            for (int s = 1; i + 3 * s < K; ++s)
                for (int j = 1; j <= n && i + (2 * j + 1) * s < K; ++j)
                    add({i, i + (2 * j + 1) * s, i + j * s, i + (j + 1) * s});
            break;
        default: // gradient: A and B n + 2 spacings apart, the potential dipole at each place between
            if (i + n + 2 < K)
                for (int k = 1; k <= n; ++k)
                    add({i, i + n + 2, i + k, i + k + 1});
            break;
        }
    }
    return data;
}

// The protocol's configurations; its electrode k lies at x1 + (k - 1) a and must lie in the core.
std::vector<CIndices> ProtocolIndices(const std::string& path, int K, double x1, double x2, double a)
{
    CProtocolFile protocol;
    try {
        protocol = CProtocolFile::Read(path);
    } catch (const CFormatError& e) {
        throw CRefusal(std::string("Error reading the protocol file\n") + e.what());
    } catch (const CFileException&) {
        throw CRefusal("Protocol file:\n" + path + "\nnot found.");
    }
    const int last = protocol.Electrodes();
    if (last > K)
        throw CRefusal(FormatC("Electrode %i of the protocol lies at x = %g, beyond the core area's right edge at "
                               "%g.\nChoose a smaller a-spacing or a wider core area.",
                               last, x1 + (last - 1) * a, x2));
    std::vector<CIndices> data;
    data.reserve(protocol.data.size());
    auto x = [&](int k) { return x1 + (k - 1) * a; };
    for (const CProtocolDatum& d : protocol.data) {
        // A potential electrode pair at equal distances from every current electrode measures
        // nothing on flat ground: its geometric factor, and so its apparent resistivity, is infinite.
        const double k = GeometricFactor(x(d.a), x(d.b), x(d.m), x(d.n), d.b == 0, d.n == 0);
        if (!std::isfinite(k))
            throw CRefusal(FormatC("Line %i of the protocol, %i %i %i %i, measures nothing on flat ground: its "
                                   "geometric factor is infinite.",
                                   d.line, d.a, d.b, d.m, d.n));
        data.push_back({d.a - 1, d.b - 1, d.m - 1, d.n - 1});
    }
    return data;
}

// The surveys of the arrays laid on numbered electrodes: Wenner, Wenner-Schlumberger, multiple
// gradient and a protocol. The array length is the widest spread of a configuration.
CSurveySize PlanNumberedSurvey(CModelData& model, CLocationsFile& file)
{
    CSurveySize size;
    const CDiscretizeSettings& d = model.m_discretize;
    const double a = d.aSpacing, x1 = model.m_coreX1, x2 = model.m_coreX2;
    const int K = ElectrodesInCore(x1, x2, a);
    size.n = d.n;
    std::vector<CIndices> data;
    if (d.array == EArray::protocol) {
        data = ProtocolIndices(d.protocolFile, K, x1, x2, a);
    } else {
        const int nmax = LargestN(d.array, K);
        if (size.n > nmax) {
            size.warnings.push_back(
                FormatC("The value of %i entered for n is too large for this model.\nIt has been reduced to %i.",
                        size.n, nmax));
            size.n = nmax;
            model.m_discretize.n = nmax;
        }
        data = ArrayIndices(d.array, K, size.n);
    }
    file.header.n = size.n;
    auto x = [&](int k) { return x1 + k * a; };
    std::vector<std::pair<int, int>> sources;
    int widest = 0;
    for (const CIndices& q : data) {
        const int b = q.b < 0 ? q.a : q.b, n = q.n < 0 ? q.m : q.n; // a pole repeats its position
        file.data.push_back({x(q.a), x(b), x(q.m), x(n)});
        widest = std::max(widest, std::max({q.a, b, q.m, n}) - std::min({q.a, b, q.m, n}));
        sources.emplace_back(q.a, b);
    }
    std::sort(sources.begin(), sources.end());
    size.transmitters = static_cast<int>(std::unique(sources.begin(), sources.end()) - sources.begin());
    size.data = static_cast<int>(file.data.size());
    size.arrayLength = widest * a;
    if (size.data == 0)
        throw CRefusal("The array gives no data on this core area.\nChoose a smaller a-spacing.");
    return size;
}

} // namespace

CSurveyPlan PlanSurvey(CModelData& model)
{
    CSurveyPlan survey;
    CSurveySize& size = survey.size;
    CLocationsFile& file = survey.file;
    if (IsNumberedArray(model.m_discretize.array)) {
        const CDiscretizeSettings& d = model.m_discretize;
        file.header = {d.n, d.aSpacing, d.array, d.cellsPerElectrode, d.aspectRatio};
        size = PlanNumberedSurvey(model, file);
        return survey;
    }
    int& n = size.n;
    n = model.m_discretize.n;
    const double a = model.m_discretize.aSpacing;
    const double x1 = model.m_coreX1, x2 = model.m_coreX2;
    const EArray array = model.m_discretize.array;
    const double R = (x2 - x1) / a;
    // Transmitter positions that leave room for at least one receiver.
    const double room = array == EArray::polePole ? R : array == EArray::dipoleDipole ? R - 2 : R - 1;
    if (!(room < kMaxTransmitters + 1.0))
        RefuseTooManyTransmitters(a);
    const int nmax = std::max(0, static_cast<int>(std::trunc(room)));

    file.header = {n, a, array, model.m_discretize.cellsPerElectrode, model.m_discretize.aspectRatio};
    if (n > nmax) {
        size.warnings.push_back(
            FormatC("The value of %i entered for n is too large for this model.\nIt has been reduced to %i.", n, nmax));
        n = nmax;
        model.m_discretize.n = nmax;
    }
    const int spacings = array == EArray::polePole ? n : array == EArray::dipoleDipole ? n + 2 : n + 1;
    size.arrayLength = spacings * a;

    for (int i = 0; i < nmax; ++i) {
        double A, s;
        switch (array) {
        case EArray::polePole:
            A = x1 + i * a;
            s = (x2 - A) / a;
            break;
        case EArray::dipoleDipole:
            A = x1 + i * a;
            s = (x2 - A) / a - 2;
            break;
        case EArray::poleDipoleLeft:
            A = x2 - (nmax - 1 - i) * a;
            s = (A - x1) / a - 1;
            break;
        default:
            A = x1 + i * a;
            s = (x2 - A) / a - 1;
            break;
        }
        for (int k = 1; k <= n && k <= s; ++k) {
            double B = A, M, N;
            switch (array) {
            case EArray::polePole:
                M = N = A + k * a;
                break;
            case EArray::dipoleDipole:
                B = A + a;
                M = B + k * a;
                N = M + a;
                break;
            case EArray::poleDipoleLeft:
                M = A - k * a;
                N = M - a;
                break;
            default:
                M = A + k * a;
                N = M + a;
                break;
            }
            if (file.data.size() >= static_cast<size_t>(kMaxData))
                RefuseTooManyData();
            file.data.push_back({A, B, M, N});
        }
    }
    size.transmitters = nmax;
    size.data = static_cast<int>(file.data.size());
    return survey;
}

CSurveySize WriteLocationsFile(CModelData& model)
{
    const CSurveyPlan survey = PlanSurvey(model);
    survey.file.Write(kLocationsFileName);
    return survey.size;
}
