#include "EngineScene.h"

#include "engine/ForwardJob.h"
#include "engine/Ferrovan.h"
#include "engine/RunLog.h"
#include "forward/ForwardInput.h"
#include "mesh/Discretize.h"

#include <gtest/gtest.h>

#include <cmath>

EngineScene::EngineScene() : m_guard(dir.Path())
{
    model.m_dcBackground = -2;
}

void EngineScene::AddBlock(double x1, double z1, double x2, double z2, float value, bool ip)
{
    (ip ? model.m_ipModel : model.m_dcModel)
        .emplace_back(x1, z1, x2, z2, value, 0, model.m_coreX1, model.m_coreZ1, model.LogicalScale());
}

void EngineScene::AddValley(double depth)
{
    for (const auto& [x, z] : {std::pair{0.0, 0.0}, {100.0, depth}, {200.0, 0.0}})
        model.m_topo.emplace_back(x, z, model.m_coreX1, model.m_coreZ1, model.LogicalScale());
    model.m_bTopography = true;
}

bool EngineScene::Discretize(int fwdType)
{
    model.m_fwdType = fwdType;
    std::string summary;
    if (!RunDiscretization(model, summary))
        return false;
    WriteForwardInputFile(model, model.m_inpFileName);
    return true;
}

CForwardInput EngineScene::Read() const
{
    CRunLog log;
    return ReadForwardFiles(CForwardJob::Read(model.m_inpFileName, log), log);
}

CForwardResult EngineScene::Compute(int fwdType)
{
    EXPECT_TRUE(Discretize(fwdType));
    CRunLog log;
    return ComputeData(Read(), log);
}

double TwoLayerPotential(double rho1, double rho2, double h, double r)
{
    const double k = (rho2 - rho1) / (rho2 + rho1);
    double sum = 1 / r, kn = 1;
    for (int n = 1; std::fabs(kn) > 1e-15; ++n) {
        kn *= k;
        sum += 2 * kn / std::hypot(r, 2 * n * h);
    }
    return rho1 / (2 * M_PI) * sum;
}

double ContactPotential(double rho1, double rho2, double x0, double xs, double xr)
{
    const double r = std::fabs(xs - xr), k = (rho2 - rho1) / (rho2 + rho1);
    if (xs == x0 || xr == x0)
        return rho1 * rho2 / (M_PI * (rho1 + rho2) * r);
    const double image = std::fabs(2 * x0 - xs - xr); // to the source mirrored in the contact
    if (xs < x0)
        return xr < x0 ? rho1 / (2 * M_PI) * (1 / r + k / image) : rho1 / (2 * M_PI) * (1 + k) / r;
    return xr > x0 ? rho2 / (2 * M_PI) * (1 / r - k / image) : rho2 / (2 * M_PI) * (1 - k) / r;
}
