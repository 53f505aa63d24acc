#include "ViewerFixtures.h"

#include "formats/DataFile.h"
#include "formats/FileNames.h"
#include "formats/LocationsFile.h"
#include "mesh/Discretize.h"
#include "model/ModelData.h"
#include "platform/Refusal.h"

#include <gtest/gtest.h>

void DiscretizedModel(int fwdType, bool valley)
{
    CModelData m;
    m.m_dcModel.emplace_back(40, 10, 80, 20, -1.0f, 0);
    m.m_ipModel.emplace_back(40, 10, 80, 20, 0.1f, 0);
    if (valley)
        m.m_topo = {CTopoPt(0, 0), CTopoPt(100, 20), CTopoPt(200, 0)};
    else
        m.m_topo = {CTopoPt(0, 0), CTopoPt(200, 0)};
    m.m_bTopography = valley;
    m.m_discretize.forward = EForwardType(fwdType);
    EXPECT_TRUE(Attempt([&] { RunDiscretization(m); }));
}

int WriteDataFile(const std::string& locations, const std::string& dataFile, EModelKind kind,
                  const std::function<double(double a)>& value)
{
    CDataFile data;
    data.ip = kind == EModelKind::ip;
    for (const CQuadrupole& q : CLocationsFile::Read(locations).data) {
        const double v = value(q.a);
        data.data.push_back({q.a, q.b, q.m, q.n, v / 50, v});
    }
    data.Write(dataFile);
    return static_cast<int>(data.data.size());
}

void WriteErrorFile(const std::string& dataFile, EModelKind kind, double percent, size_t drop)
{
    CErrorFile estimate;
    estimate.ip = kind == EModelKind::ip;
    for (const CDataRecord& d : CDataFile::Read(dataFile, kind).data)
        estimate.data.push_back({d.a, d.b, d.m, d.n, percent, percent / 1000});
    estimate.data.resize(estimate.data.size() - drop);
    estimate.Write(kErrorFileName);
}
