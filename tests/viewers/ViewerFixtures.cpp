#include "ViewerFixtures.h"

#include "mesh/Discretize.h"
#include "model/ModelData.h"
#include "platform/TextFormat.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

void DiscretizedModel(int fwdType, bool valley)
{
    CModelData m;
    const double s = m.LogicalScale();
    m.m_dcModel.emplace_back(40, 10, 80, 20, -1.0f, 0, m.m_coreX1, m.m_coreZ1, s);
    m.m_ipModel.emplace_back(40, 10, 80, 20, 0.1f, 0, m.m_coreX1, m.m_coreZ1, s);
    if (valley)
        m.m_topo = {CTopoPt(0, 0), CTopoPt(100, 20), CTopoPt(200, 0)};
    else
        m.m_topo = {CTopoPt(0, 0), CTopoPt(200, 0)};
    m.m_bTopography = valley;
    m.m_fwdType = fwdType;
    std::string summary;
    EXPECT_TRUE(RunDiscretization(m, summary));
}

int WriteDataFile(const std::string& locations, const std::string& dataFile, bool ip,
                  const std::function<double(double a)>& value)
{
    std::istringstream in(ReadBytes(locations));
    std::string text = ip ? "! A B M N eta_a\r\n" : "! A B M N V/I(ohm) rho_a(ohm m)\r\n";
    int count = 0;
    for (std::string line; std::getline(in, line);) {
        double a, b, m, n;
        if (line.empty() || line[0] == '#' || line[0] == '!' ||
            ScanFields(line, "%lg %lg %lg %lg", &a, &b, &m, &n) != 4)
            continue;
        const double v = value(a);
        text += ip ? FormatC("%g %g  %g %g  %.6g\r\n", a, b, m, n, v)
                   : FormatC("%g %g  %g %g  %.6g %.6g\r\n", a, b, m, n, v / 50, v);
        ++count;
    }
    WriteBytes(dataFile, text);
    return count;
}
