#include "model/ModelData.h"

#include "platform/FilePath.h"
#include "platform/StdioFile.h"

bool CModelData::IsReservedFileName(const std::string& path) const
{
    return !ReservedNameMessage(path, true).empty();
}

std::string CModelData::ReservedNameMessage(const std::string& path, bool output) const
{
    const char* direction = output ? "output" : "input";
    // Through a link, the file behind it would be destroyed as well.
    for (const std::string& name : {FileNamePart(path), FileNamePart(FollowLink(path))}) {
        if (SameFileNameNoCase(name, kConductivityFileName) || SameFileNameNoCase(name, kChargeabilityFileName))
            return std::string("Cannot use \"") + kConductivityFileName + "\" or \"" + kChargeabilityFileName +
                   "\" as the\n" + direction +
                   " filenames, since these files are used to store the\ndescretized models used for forward "
                   "modelling.";
        for (const char* written : kWrittenFileNames)
            if (SameFileNameNoCase(name, written))
                return std::string("Cannot use \"") + written + "\" as the\n" + direction +
                       " filename, since this file is written beside the\nmodel for forward modelling.";
    }
    return "";
}

void CModelData::FlatTopography()
{
    m_topo.clear();
    m_topo.emplace_back(m_coreX1, m_coreZ1);
    m_topo.emplace_back(m_coreX2, m_coreZ1);
    m_bTopography = false;
}
