#include "files/DataEstimate.h"

#include "formats/DataFile.h"
#include "formats/FileNames.h"
#include "formats/FormatError.h"
#include "formats/Limits.h"
#include "formats/Text.h"
#include "platform/FileException.h"
#include "platform/FilePath.h"
#include "platform/TextFormat.h"

#include <algorithm>

namespace {

CErrorFile ParseEstimate(const std::string& text, const std::string& path, EModelKind kind)
{
    if (kind == EModelKind::ip)
        return CErrorFile::Parse(text, path, EModelKind::ip);
    try {
        return CErrorFile::Parse(text, path, EModelKind::dc);
    } catch (const CFormatError& dc) {
        // Of the two kinds, the one that reads further is the likelier one to name.
        try {
            return CErrorFile::Parse(text, path, EModelKind::ip);
        } catch (const CFormatError& withIp) {
            if (withIp.Line() > dc.Line())
                throw;
            throw dc;
        }
    }
}

std::string Electrodes(double a, double b, double m, double n)
{
    return "A " + Exact(a) + " B " + Exact(b) + " M " + Exact(m) + " N " + Exact(n);
}

} // namespace

CDataEstimate LoadDataEstimate(const CDataFile& data, const std::string& dataPath)
{
    const std::string folder = RemoveLastComponent(dataPath);
    const std::string path = folder.empty() ? kErrorFileName : folder + "/" + kErrorFileName;
    const std::string notShown = std::string("The estimated error in ") + kErrorFileName + " is not shown";
    CDataEstimate result;
    CErrorFile estimate;
    try {
        estimate =
            ParseEstimate(ReadTextFile(path, kMaxDataFileBytes), path, data.ip ? EModelKind::ip : EModelKind::dc);
    } catch (const CFileException& e) {
        // A run with --accuracy off writes none: nothing to say.
        if (e.m_cause != CFileException::fileNotFound && e.m_cause != CFileException::badPath) {
            std::string message = e.GetErrorMessage();
            std::replace(message.begin(), message.end(), '\n', ' ');
            result.note = "The estimated error is not shown. " + message;
        }
        return result;
    } catch (const CFormatError& e) {
        // The reason may quote any bytes of the file; no format string sees them.
        result.note = (e.Line() > 0 ? notShown + FormatC(". Line %i: ", e.Line()) : notShown + ": ") + e.Reason() + ".";
        return result;
    }
    if (estimate.data.size() != data.data.size()) {
        result.note = FormatC("%s: it holds %zu data, the data file %zu.", notShown.c_str(), estimate.data.size(),
                              data.data.size());
        return result;
    }
    if (const int i = FirstMismatch(estimate, data); i >= 0) {
        const CDataRecord& d = data.data[i];
        const CErrorRecord& e = estimate.data[i];
        result.note = FormatC("%s: its line %i is for %s, line %i of the data file for %s.", notShown.c_str(), e.line,
                              Electrodes(e.a, e.b, e.m, e.n).c_str(), d.line, Electrodes(d.a, d.b, d.m, d.n).c_str());
        return result;
    }
    for (const CErrorRecord& e : estimate.data)
        result.percent.push_back(e.percent);
    return result;
}
