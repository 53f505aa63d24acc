#include "engine/DataFiles.h"

#include "engine/EngineError.h"
#include "engine/ForwardModel.h"
#include "engine/Survey.h"
#include "formats/DataFile.h"
#include "platform/FileException.h"
#include "platform/FilePath.h"
#include "platform/StdioFile.h"

#include <memory>

std::vector<std::string> DataFileNames(CForwardJob::Type type)
{
    std::vector<std::string> names{"obs_dc.dat"};
    if (type == CForwardJob::ip)
        names.push_back("obs_ip.dat");
    else if (type == CForwardJob::ipl)
        names.push_back("obs_ipL.dat");
    return names;
}

void WriteDataFiles(CForwardJob::Type type, const CSurvey& survey, const CForwardResult& result)
{
    const std::vector<std::string> names = DataFileNames(type);
    CDataFile dc, ip;
    ip.ip = true;
    for (size_t j = 0; j < survey.data.size(); ++j) {
        const CSurvey::Datum& d = survey.data[j];
        dc.data.push_back({d.a, d.b, d.m, d.n, result.voltage[j], result.apparentResistivity[j]});
        if (type != CForwardJob::dc)
            ip.data.push_back({d.a, d.b, d.m, d.n, 0, result.apparentChargeability[j]});
    }

    // Each file goes to a temporary name when written; all are complete before any is renamed.
    std::vector<std::unique_ptr<CStdioFile>> files;
    size_t committed = 0;
    try {
        for (size_t f = 0; f < names.size(); ++f) {
            files.push_back(std::make_unique<CStdioFile>(names[f], CStdioFile::modeCreate | CStdioFile::modeWrite));
            files.back()->WriteString(f == 0 ? dc.Format() : ip.Format());
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
