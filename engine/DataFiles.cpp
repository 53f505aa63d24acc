#include "engine/DataFiles.h"

#include "engine/EngineError.h"
#include "engine/ForwardModel.h"
#include "engine/Survey.h"
#include "platform/FileException.h"
#include "platform/FilePath.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

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
    std::string dc = "! A B M N V/I(ohm) rho_a(ohm m)\n";
    std::string ip = "! A B M N eta_a\n";
    for (size_t j = 0; j < survey.data.size(); ++j) {
        const CSurvey::Datum& d = survey.data[j];
        const std::string electrodes = FormatC("%g %g  %g %g  ", d.a, d.b, d.m, d.n);
        dc += electrodes + FormatC("%.6g %.6g\n", result.voltage[j], result.apparentResistivity[j]);
        if (type != CForwardJob::dc)
            ip += electrodes + FormatC("%.6g\n", result.apparentChargeability[j]);
    }

    // Each file goes to a temporary name when written; all are complete before any is renamed.
    std::vector<std::unique_ptr<CStdioFile>> files;
    size_t committed = 0;
    try {
        for (size_t f = 0; f < names.size(); ++f) {
            files.push_back(std::make_unique<CStdioFile>(names[f], CStdioFile::modeCreate | CStdioFile::modeWrite));
            files.back()->WriteString(f == 0 ? dc : ip);
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
