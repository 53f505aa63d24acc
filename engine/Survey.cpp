#include "engine/Survey.h"

#include "engine/EngineError.h"
#include "engine/ModelFiles.h"
#include "engine/RunLog.h"
#include "platform/FileException.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cmath>

namespace {

// Positions closer than this are one electrode written with different rounding: a billionth of
// the survey's extent.
double SamePositionTolerance(const std::vector<double>& sorted)
{
    double extent = sorted.back() - sorted.front();
    if (extent == 0)
        extent = std::max(std::fabs(sorted.front()), std::fabs(sorted.back()));
    return 1e-9 * (extent == 0 ? 1 : extent);
}

// The electrodes among sorted distinct positions, each represented by its smallest position.
std::vector<double> Electrodes(const std::vector<double>& sorted, double tolerance)
{
    std::vector<double> electrodes{sorted.front()};
    for (double x : sorted)
        if (x - electrodes.back() >= tolerance)
            electrodes.push_back(x);
    return electrodes;
}

} // namespace

CSurvey CSurvey::Read(const std::string& path, CRunLog& log)
{
    RequireRegularFile(path, "electrode locations file");
    CSurvey survey;
    std::vector<std::pair<int, std::string>> lines; // of each datum, for messages
    try {
        CStdioFile file(path, CStdioFile::modeRead);
        std::string line;
        int lineNumber = 0;
        while (file.ReadString(line)) {
            ++lineNumber;
            const size_t first = line.find_first_not_of(" \t");
            if (first == std::string::npos || line[first] == '#' || line[first] == '!')
                continue;
            Datum d{};
            if (ScanFields(line, "%lf %lf %lf %lf", &d.a, &d.b, &d.m, &d.n) != 4 ||
                !std::isfinite(d.a + d.b + d.m + d.n))
                throw CEngineError(FormatC("Line %i of the locations file %s does not hold four electrode positions "
                                           "A B M N: %s",
                                           lineNumber, path.c_str(), line.c_str()));
            d.poleSource = d.b == d.a;
            d.poleReceiver = d.n == d.m;
            survey.data.push_back(d);
            lines.emplace_back(lineNumber, line);
        }
        file.Close();
    } catch (const CFileException& e) {
        if (e.m_cause == CFileException::fileNotFound)
            throw CEngineError("The electrode locations file " + path + " does not exist.");
        throw CEngineError("The electrode locations file " + path + " cannot be read: " + e.GetErrorMessage());
    }
    if (survey.data.empty())
        throw CEngineError("The electrode locations file " + path + " holds no data.");

    std::vector<double> all;
    for (const Datum& d : survey.data)
        for (double x : {d.a, d.b, d.m, d.n})
            all.push_back(x);
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    const double tolerance = SamePositionTolerance(all);
    survey.positions = Electrodes(all, tolerance);
    auto index = [&survey](double x) {
        return static_cast<int>(std::upper_bound(survey.positions.begin(), survey.positions.end(), x) -
                                survey.positions.begin()) -
               1;
    };
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
            throw CEngineError(FormatC("Line %i of the locations file %s %s: %s", lines[j].first, path.c_str(), fault,
                                       lines[j].second.c_str()));
    }
    log.Info(FormatC("Locations: %s, %zu data on %zu electrode positions from %g to %g", path.c_str(),
                     survey.data.size(), survey.positions.size(), survey.positions.front(), survey.positions.back()));
    if (all.size() > survey.positions.size())
        log.Info(FormatC("%zu positions lie closer than %g to another and were taken as the same electrode.",
                         all.size() - survey.positions.size(), tolerance));
    return survey;
}

double CSurvey::GeometricFactor(const Datum& d)
{
    double sum = 1 / std::fabs(d.m - d.a);
    if (!d.poleReceiver)
        sum -= 1 / std::fabs(d.n - d.a);
    if (!d.poleSource) {
        sum -= 1 / std::fabs(d.m - d.b);
        if (!d.poleReceiver)
            sum += 1 / std::fabs(d.n - d.b);
    }
    return 2 * M_PI / sum;
}

std::vector<std::pair<int, int>> CSurvey::Pairs() const
{
    std::vector<std::pair<int, int>> pairs;
    for (const Datum& d : data) {
        pairs.push_back({d.ia, d.im});
        if (!d.poleReceiver)
            pairs.push_back({d.ia, d.in});
        if (!d.poleSource) {
            pairs.push_back({d.ib, d.im});
            if (!d.poleReceiver)
                pairs.push_back({d.ib, d.in});
        }
    }
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    return pairs;
}
