#include "forward/ForwardInput.h"

#include "formats/ForwardInputFile.h"
#include "model/ModelData.h"
#include "platform/MessageBox.h"

namespace {

CForwardInputFile InputFileOf(const CModelData& m)
{
    CForwardInputFile f;
    f.type = m.m_fwdType == 1   ? CForwardInputFile::ip
             : m.m_fwdType == 2 ? CForwardInputFile::ipl
                                : CForwardInputFile::dc;
    f.meshFile = m.m_meshFileName;
    f.locationsFile = m.m_locFileName;
    f.conductivityFile = m.m_conFileName;
    if (f.type != CForwardInputFile::dc)
        f.chargeabilityFile = m.m_chgFileName;
    if (m.m_bTopography)
        f.topographyFile = m.m_topoFileName;
    return f;
}

} // namespace

bool CheckForwardInputNames(const CModelData& m)
{
    const CForwardInputFile f = InputFileOf(m);
    for (const std::string* name :
         {&f.meshFile, &f.locationsFile, &f.conductivityFile, &f.chargeabilityFile, &f.topographyFile}) {
        if (!CForwardInputFile::CanHold(*name)) {
            AfxMessageBox("The file name\n" + *name +
                          "\nholds a line break, which the forward-modelling input file cannot hold.");
            return false;
        }
    }
    return true;
}

bool WriteForwardInputFile(const CModelData& m, const std::string& fileName)
{
    if (!CheckForwardInputNames(m))
        return false;
    InputFileOf(m).Write(fileName);
    return true;
}
