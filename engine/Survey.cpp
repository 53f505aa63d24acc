#include "engine/Survey.h"

#include "engine/EngineError.h"
#include "engine/ModelFiles.h"
#include "engine/RunLog.h"
#include "platform/FileException.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cmath>

CSurvey CSurvey::Read(const std::string& path, CRunLog& log)
{
    RequireRegularFile(path, "electrode locations file");
    CSurvey survey;
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
            if (ScanFields(line, "%lf %lf %lf %lf", &d.a, &d.b, &d.m, &d.n) != 4)
                throw CEngineError(FormatC("Line %i of the locations file %s does not hold four electrode positions "
                                           "A B M N: %s",
                                           lineNumber, path.c_str(), line.c_str()));
            d.poleSource = d.b == d.a;
            d.poleReceiver = d.n == d.m;
            const bool touching = d.m == d.a || (!d.poleReceiver && d.n == d.a) || (!d.poleSource && d.m == d.b) ||
                                  (!d.poleSource && !d.poleReceiver && d.n == d.b);
            if (touching)
                throw CEngineError(FormatC("Line %i of the locations file %s puts a potential electrode on a current "
                                           "electrode: %s",
                                           lineNumber, path.c_str(), line.c_str()));
            survey.data.push_back(d);
        }
        file.Close();
    } catch (const CFileException& e) {
        if (e.m_cause == CFileException::fileNotFound)
            throw CEngineError("The electrode locations file " + path + " does not exist.");
        throw CEngineError("The electrode locations file " + path + " cannot be read: " + e.GetErrorMessage());
    }
    if (survey.data.empty())
        throw CEngineError("The electrode locations file " + path + " holds no data.");

    for (const Datum& d : survey.data)
        for (double x : {d.a, d.b, d.m, d.n})
            survey.positions.push_back(x);
    std::sort(survey.positions.begin(), survey.positions.end());
    survey.positions.erase(std::unique(survey.positions.begin(), survey.positions.end()), survey.positions.end());
    auto index = [&survey](double x) {
        return static_cast<int>(std::lower_bound(survey.positions.begin(), survey.positions.end(), x) -
                                survey.positions.begin());
    };
    for (Datum& d : survey.data) {
        d.ia = index(d.a);
        d.ib = index(d.b);
        d.im = index(d.m);
        d.in = index(d.n);
    }
    log.Info(FormatC("Locations: %s, %zu data on %zu electrode positions from %g to %g", path.c_str(),
                     survey.data.size(), survey.positions.size(), survey.positions.front(), survey.positions.back()));
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
