#include "model/ModelData.h"

#include "platform/FilePath.h"

bool CModelData::IsReservedFileName(const std::string& path) const
{
    std::string name = FileNamePart(path);
    return SameFileNameNoCase(name, m_conFileName) || SameFileNameNoCase(name, m_chgFileName);
}
