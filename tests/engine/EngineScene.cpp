#include "EngineScene.h"

#include "engine/general/RunLog.h"
#include "engine/program/Ferrovan.h"
#include "formats/MeshFile.h"
#include "formats/ValuesFile.h"
#include "forward/ForwardInput.h"
#include "mesh/Discretize.h"
#include "platform/Refusal.h"
#include "platform/TextFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

EngineScene::EngineScene() : m_guard(dir.Path())
{
    model.m_dcBackground = -2;
}

void EngineScene::AddBlock(double x1, double z1, double x2, double z2, float value, EModelKind kind)
{
    (kind == EModelKind::ip ? model.m_ipModel : model.m_dcModel).emplace_back(x1, z1, x2, z2, value, 0);
}

void EngineScene::AddValley(double depth)
{
    for (const auto& [x, z] : {std::pair{0.0, 0.0}, {100.0, depth}, {200.0, 0.0}})
        model.m_topo.emplace_back(x, z);
    model.m_bTopography = true;
}

bool EngineScene::Discretize(int fwdType)
{
    model.m_discretize.forward = EForwardType(fwdType);
    return Attempt([this] {
        RunDiscretization(model);
        WriteForwardInputFile(model, kInputFileName);
    });
}

CForwardInput EngineScene::Read() const
{
    CRunLog log;
    return ReadForwardFiles(ReadForwardJob(kInputFileName, log), log);
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

void WriteWedge(double leftRise, double rightRise, int cells, const std::string& locations)
{
    const double X = 3000, dx = 10.0 / cells, dz = dx / 2;
    const double rise = std::max({leftRise, rightRise, 0.0}), fall = std::max({-leftRise, -rightRise, 0.0});
    // Fine rows over the electrodes' surface, to 60 from the apex along x, and 60 below it.
    const double up = 60 * rise + 40, down = 60 * fall + 60;
    const int core = static_cast<int>(std::lround(240 / dx)), fine = static_cast<int>(std::lround((up + down) / dz));
    std::string mesh = FormatC("9\n-3000 -1500 1\n -700 1\n -330 1\n -120 1\n 120 %d\n 330 1\n 700 1\n 1500 1\n"
                               " 3000 1\n\n",
                               core);
    mesh += FormatC("4\n%g %g 1\n %g 1\n %g %d\n %g 1\n", -X * rise - 300, -up - 120, -up, down, fine, X * fall + 3000);
    WriteBytes("mesh2d.txt", mesh);
    WriteBytes("topo2d.txt", FormatC("3  0\n%g %g\n0 0\n%g %g\n", -X, leftRise * X, X, rightRise * X));
    WriteBytes("loc2d.txt", locations);
    const CMeshFile m = CMeshFile::Parse(mesh, "mesh2d.txt");
    const std::vector<float> values(static_cast<size_t>(m.x.Cells()) * m.z.Cells(), 0.01f);
    CValuesFile::Write("model2d.con", m.x.Cells(), m.z.Cells(), values);
    WriteBytes("ferrovan.inp", "FWD DC\nMESH FILE mesh2d.txt\nLOC LOC_X loc2d.txt\nCOND FILE model2d.con\n"
                               "TOPO FILE topo2d.txt\n");
}

namespace {

// The resistivity transform of the layers at wavenumber lambda.
double Transform(const std::vector<double>& rho, const std::vector<double>& h, double lambda)
{
    double t = rho.back();
    for (int i = static_cast<int>(h.size()) - 1; i >= 0; --i) {
        const double th = std::tanh(lambda * h[i]);
        t = (t + rho[i] * th) / (1 + t * th / rho[i]);
    }
    return t;
}

} // namespace

double LayeredPotential(const std::vector<double>& rho, const std::vector<double>& h, double r)
{
    // V = (rho1 / r + integral of (T - rho1) J0(lambda r) dlambda) / (2 pi), by the trapezoidal
    // rule in ln lambda, which converges fast for an integrand that vanishes at both ends.
    const double tLo = std::log(1e-13 / r), tHi = std::log(50 / h[0]);
    const double step = std::min(0.002, 0.3 / (std::exp(tHi) * r));
    double sum = 0;
    for (double t = tLo; t <= tHi; t += step) {
        const double lambda = std::exp(t);
        sum += (Transform(rho, h, lambda) - rho[0]) * std::cyl_bessel_j(0.0, lambda * r) * lambda;
    }
    return (rho[0] / r + sum * step) / (2 * M_PI);
}
