#include "engine/modelling/Survey.h"

#include "engine/general/EngineError.h"
#include "engine/general/RunLog.h"
#include "formats/LocationsFile.h"
#include "formats/Text.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cmath>

CSurvey CSurvey::Build(const CLocationsFile& file, const std::string& path, CRunLog& log)
{
    CSurvey survey;
    survey.fromProtocol = file.header.fields >= 3 && file.header.array == EArray::protocol;
    survey.data.reserve(file.data.size());
    for (const CQuadrupole& q : file.data)
        survey.data.push_back({q.a, q.b, q.m, q.n, q.b == q.a, q.n == q.m, 0, 0, 0, 0});
    if (survey.data.empty())
        throw CEngineError("The electrode locations file " + path + " holds no data.");

    std::vector<double> all;
    for (const Datum& d : survey.data)
        for (double x : {d.a, d.b, d.m, d.n})
            all.push_back(x);
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    survey.positions = ElectrodePositions(all);
    auto index = [&survey](double x) { return ElectrodeIndex(survey.positions, x); };
    for (size_t j = 0; j < survey.data.size(); ++j) {
        Datum& d = survey.data[j];
        d.ia = index(d.a);
        d.ib = index(d.b);
        d.im = index(d.m);
        d.in = index(d.n);
        const char* fault = nullptr;
        if (!d.poleSource && d.ib == d.ia)
            fault = "puts both current electrodes at the same position";
        else if (!d.poleReceiver && d.in == d.im)
            fault = "puts both potential electrodes at the same position";
        else if (d.im == d.ia || d.in == d.ia || d.im == d.ib || d.in == d.ib)
            fault = "puts a potential electrode on a current electrode";
        if (fault)
            throw CEngineError(FormatC("Line %i of the locations file %s %s: %s %s  %s %s", file.data[j].line,
                                       path.c_str(), fault, Exact(d.a).c_str(), Exact(d.b).c_str(), Exact(d.m).c_str(),
                                       Exact(d.n).c_str()));
    }
    log.Info(FormatC("Locations: %s, %zu data on %zu electrode positions from %g to %g", path.c_str(),
                     survey.data.size(), survey.positions.size(), survey.positions.front(), survey.positions.back()));
    if (all.size() > survey.positions.size())
        log.Info(FormatC("%zu positions lie closer than %g to another and were taken as the same electrode.",
                         all.size() - survey.positions.size(), ElectrodeTolerance(all)));
    return survey;
}

double CSurvey::GeometricFactor(const Datum& d)
{
    return ::GeometricFactor(d.a, d.b, d.m, d.n, d.poleSource, d.poleReceiver);
}

std::vector<std::pair<int, int>> CSurvey::Pairs() const
{
    auto visit = [&](auto&& add) {
        for (const Datum& d : data) {
            const int current[] = {d.ia, d.ib}, potential[] = {d.im, d.in};
            for (const CPairTerm& t : PairTerms(d.poleSource, d.poleReceiver))
                add(current[t.current], potential[t.potential]);
        }
    };
    std::vector<std::pair<int, int>> pairs;
    // A table of every pair of positions where it is small: a protocol of a million data names
    // each pair many times, and sorting them all again for every grid took most of a run.
    const size_t n = positions.size();
    if (n <= 4096) {
        std::vector<bool> named(n * n, false);
        visit([&](int p, int q) { named[static_cast<size_t>(p) * n + q] = true; });
        for (size_t p = 0; p < n; ++p)
            for (size_t q = 0; q < n; ++q)
                if (named[p * n + q])
                    pairs.push_back({static_cast<int>(p), static_cast<int>(q)});
        return pairs;
    }
    visit([&](int p, int q) { pairs.push_back({p, q}); });
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    return pairs;
}
