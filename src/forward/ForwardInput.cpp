#include "forward/ForwardInput.h"

#include "formats/FileNames.h"
#include "formats/ForwardInputFile.h"
#include "model/ModelData.h"
#include "platform/Refusal.h"

namespace {

CForwardInputFile InputFileOf(const CModelData& m, int designCount = 0)
{
    CForwardInputFile f;
    f.type = m.m_discretize.forward;
    f.meshFile = m.m_meshFileName;
    f.locationsFile = kLocationsFileName;
    f.conductivityFile = kConductivityFileName;
    if (f.type != EForwardType::dc)
        f.chargeabilityFile = kChargeabilityFileName;
    if (m.m_bTopography)
        f.topographyFile = kTopographyFileName;
    if (m.m_discretize.sensitivities) {
        f.sensitivityFile = kSensitivityFileName;
        f.doiFile = kDoiFileName;
    }
    if (m.m_discretize.jacobian)
        f.jacobianFile = kJacobianFileName;
    if (designCount > 0) {
        f.sensitivityFile.clear(), f.doiFile.clear(), f.jacobianFile.clear();
        f.design = {designCount, m.m_discretize.aSpacing, m.m_coreX1, m.m_coreX2, m.m_coreZ1, m.m_coreZ2};
        f.protocolFile = kDesignProtocolFileName;
        f.designFile = kDesignReportFileName;
    }
    return f;
}

} // namespace

void CheckForwardInputNames(const CModelData& m)
{
    const CForwardInputFile f = InputFileOf(m);
    for (const std::string* name :
         {&f.meshFile, &f.locationsFile, &f.conductivityFile, &f.chargeabilityFile, &f.topographyFile}) {
        if (!CForwardInputFile::CanHold(*name))
            throw CRefusal("The file name\n" + *name +
                           "\nholds a line break, which the forward-modelling input file cannot hold.");
    }
}

void WriteForwardInputFile(const CModelData& m, const std::string& fileName, int designCount)
{
    CheckForwardInputNames(m);
    InputFileOf(m, designCount).Write(fileName);
}
