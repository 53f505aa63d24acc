#include "model/ModelData.h"

#include "platform/FilePath.h"

bool CModelData::IsReservedFileName(const std::string& path) const
{
    std::string name = FileNamePart(path);
    return SameFileNameNoCase(name, m_conFileName) || SameFileNameNoCase(name, m_chgFileName);
}

void CModelData::UpdateLogicalGeometry()
{
    const double s = LogicalScale();
    for (CElementList* blocks : {&m_dcModel, &m_ipModel})
        for (CElement& e : *blocks)
            e.UpdateRect(m_coreX1, m_coreZ1, s);
    for (CTopoPt& p : m_topo)
        p.m_pt = CTopoPt(p.m_x, p.m_z, m_coreX1, m_coreZ1, s).m_pt;
}

void CModelData::FlatTopography()
{
    m_topo.clear();
    m_topo.emplace_back(m_coreX1, m_coreZ1);
    m_topo.emplace_back(m_coreX2, m_coreZ1);
    m_bTopography = false;
}
