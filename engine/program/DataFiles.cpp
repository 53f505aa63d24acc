#include "engine/program/DataFiles.h"

#include "engine/general/EngineError.h"
#include "engine/modelling/ForwardModel.h"
#include "engine/modelling/Survey.h"
#include "formats/DataFile.h"
#include "formats/FileNames.h"
#include "platform/FileException.h"
#include "platform/FilePath.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <cmath>
#include <memory>

std::vector<std::string> WrittenFileNames(EForwardType type, const CForwardResult& result)
{
    std::vector<std::string> names = DataFileNames(type);
    if (result.estimate.done)
        names.push_back(kErrorFileName);
    return names;
}

void CheckDataFinite(EForwardType type, const CSurvey& survey, const CForwardResult& result)
{
    for (size_t j = 0; j < survey.data.size(); ++j) {
        const bool finite = std::isfinite(result.voltage[j]) && std::isfinite(result.apparentResistivity[j]) &&
                            (type == EForwardType::dc || std::isfinite(result.apparentChargeability[j]));
        const CSurvey::Datum& d = survey.data[j];
        if (!finite)
            throw CEngineError(FormatC("Datum %zu (%g %g  %g %g) has no finite apparent resistivity or "
                                       "chargeability: its geometric factor on flat ground is infinite.",
                                       j + 1, d.a, d.b, d.m, d.n));
    }
}

void WriteDataFiles(EForwardType type, const CSurvey& survey, const CForwardResult& result)
{
    CheckDataFinite(type, survey, result);
    const std::vector<std::string> names = WrittenFileNames(type, result);
    const CAccuracyEstimate& estimate = result.estimate;
    // One file's records and text at a time: with a million data each is some 100 MB.
    auto format = [&](size_t file) {
        const bool ipFile = type != EForwardType::dc && file == 1;
        if (names[file] == kErrorFileName) {
            CErrorFile error;
            error.ip = type != EForwardType::dc;
            error.data.reserve(survey.data.size());
            for (size_t j = 0; j < survey.data.size(); ++j) {
                const CSurvey::Datum& d = survey.data[j];
                error.data.push_back({d.a, d.b, d.m, d.n, 100 * estimate.voltage[j],
                                      estimate.chargeability.empty() ? 0.0 : estimate.chargeability[j]});
            }
            return error.Format();
        }
        CDataFile data;
        data.ip = ipFile;
        data.data.reserve(survey.data.size());
        for (size_t j = 0; j < survey.data.size(); ++j) {
            const CSurvey::Datum& d = survey.data[j];
            if (ipFile)
                data.data.push_back({d.a, d.b, d.m, d.n, 0, result.apparentChargeability[j]});
            else
                data.data.push_back({d.a, d.b, d.m, d.n, result.voltage[j], result.apparentResistivity[j]});
        }
        return data.Format();
    };

    // Each file goes to a temporary name when written; all are complete before any is renamed.
    std::vector<std::unique_ptr<CStdioFile>> files;
    size_t committed = 0;
    try {
        for (size_t f = 0; f < names.size(); ++f) {
            files.push_back(std::make_unique<CStdioFile>(names[f], CStdioFile::modeCreate | CStdioFile::modeWrite));
            files.back()->WriteString(format(f));
        }
        for (; committed < files.size(); ++committed)
            files[committed]->Close();
    } catch (const CFileException& e) {
        for (size_t f = 0; f < committed; ++f) {
            try {
                RemoveFile(names[f]);
            } catch (const CFileException&) {
            }
        }
        throw CEngineError("The data file " + e.m_strFileName + " cannot be written: " + e.GetErrorMessage());
    }
}
