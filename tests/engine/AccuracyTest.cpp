// The program's data against analytic earths, on the meshes the Discretize command designs by
// default (3 cells between electrodes, aspect ratio 2), and the IP forms against each other.
#include "EngineScene.h"
#include "engine/RunLog.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <map>

namespace {

using Potential = std::function<double(double source, double receiver)>;

// V/I of a datum from the potentials of point electrodes.
double Voltage(const CSurvey::Datum& d, const Potential& phi)
{
    auto atReceiver = [&](double s) { return phi(s, d.m) - (d.poleReceiver ? 0 : phi(s, d.n)); };
    return atReceiver(d.a) - (d.poleSource ? 0 : atReceiver(d.b));
}

// The largest relative error of the computed V/I over all data.
double WorstError(EngineScene& scene, const Potential& phi)
{
    const CForwardResult result = scene.Compute();
    const CSurvey survey = scene.Read().survey;
    double worst = 0;
    for (size_t j = 0; j < survey.data.size(); ++j)
        worst = std::max(worst, std::fabs(result.voltage[j] / Voltage(survey.data[j], phi) - 1));
    return worst;
}

// The goal is 0.5%; the method does several times better, and a regression should show.
constexpr double kTolerance = 0.0025;

TEST(Accuracy, HalfSpaceForEveryArray)
{
    for (int array = 0; array < 4; ++array) {
        EngineScene scene;
        scene.model.m_arrayType = array;
        double worst = 0;
        for (double rho : scene.Compute().apparentResistivity)
            worst = std::max(worst, std::fabs(rho / 100 - 1));
        EXPECT_LT(worst, kTolerance) << "array " << array;
    }
}

TEST(Accuracy, TwoLayerEarthDipoleDipole)
{
    EngineScene scene;
    scene.model.m_arrayType = 1;
    scene.AddBlock(-1e6, 10, 1e6, 1e6, -3); // 1000 ohm m below 10
    EXPECT_LT(WorstError(scene, [](double s, double r) { return TwoLayerPotential(100, 1000, 10, std::fabs(s - r)); }),
              kTolerance);
}

TEST(Accuracy, VerticalContactPoleDipoleBothWays)
{
    for (int array : {2, 3}) {
        EngineScene scene;
        scene.model.m_arrayType = array;
        scene.model.m_dcBackground = -3;         // 1000 ohm m
        scene.AddBlock(100, -1e6, 1e6, 1e6, -2); // 100 ohm m right of the middle
        EXPECT_LT(WorstError(scene, [](double s, double r) { return ContactPotential(1000, 100, 100, s, r); }), kTolerance)
            << "array " << array;
    }
}

// A model with contrasts everywhere: a valley, a conductive and a resistive block.
void Heterogeneous(EngineScene& scene)
{
    scene.AddValley(6);
    scene.AddBlock(40, 5, 80, 20, -1);
    scene.AddBlock(110, 0, 150, 30, -3.5f);
}

TEST(Accuracy, UniformChargeabilityComesBackForIpAndIpl)
{
    for (int type : {1, 2}) {
        EngineScene scene;
        Heterogeneous(scene);
        scene.model.m_ipBackground = 0.05f;
        for (double eta : scene.Compute(type).apparentChargeability)
            EXPECT_NEAR(eta, 0.05, 0.05 * 1e-4) << "type " << type;
    }
}

TEST(Accuracy, IpAndIplAgreeToSecondOrder)
{
    // The difference of the two forms shrinks fourfold when the chargeability halves.
    double difference[2] = {0, 0};
    for (int half = 0; half < 2; ++half) {
        const float eta = half ? 0.01f : 0.02f;
        std::vector<double> forms[2];
        for (int type : {1, 2}) {
            EngineScene scene;
            Heterogeneous(scene);
            scene.AddBlock(60, 3, 120, 25, eta, true);
            forms[type - 1] = scene.Compute(type).apparentChargeability;
        }
        for (size_t j = 0; j < forms[0].size(); ++j)
            difference[half] = std::max(difference[half], std::fabs(forms[0][j] - forms[1][j]));
        EXPECT_LT(difference[half], eta * eta);
    }
    EXPECT_NEAR(difference[0] / difference[1], 4, 0.4);
}

TEST(Accuracy, SymmetricModelGivesMirroredData)
{
    // A valley and a block symmetric about x = 100: pole-dipole to the right and to the left
    // must give the same data, mirrored; an electrode moved sideways would break it.
    std::map<std::array<double, 3>, double> data[2];
    for (int side = 0; side < 2; ++side) {
        EngineScene scene;
        scene.AddValley(8);
        scene.AddBlock(60, 10, 140, 30, -1);
        scene.model.m_arrayType = 2 + side;
        const CForwardResult result = scene.Compute();
        const CSurvey survey = scene.Read().survey;
        for (size_t j = 0; j < survey.data.size(); ++j) {
            const CSurvey::Datum& d = survey.data[j];
            const double o = side ? 200 : 0, s = side ? -1 : 1;
            data[side][{o + s * d.a, o + s * d.m, o + s * d.n}] = result.voltage[j];
        }
    }
    ASSERT_EQ(data[0].size(), 99u);
    for (const auto& [key, v] : data[0]) {
        ASSERT_EQ(data[1].count(key), 1u);
        EXPECT_NEAR(data[1][key] / v, 1, 1e-6); // the mesh file's rounding is not quite symmetric
    }
}

TEST(Accuracy, ReciprocityOfSourceAndReceiver)
{
    EngineScene scene;
    Heterogeneous(scene);
    ASSERT_TRUE(scene.Discretize());
    // Pole-pole and pole-dipole data with their reciprocals, the roles swapped.
    WriteBytes(scene.dir.File("loc2d.txt"), "#6 10 2 3 2\n!pole-dipole\n30 30  90 90\n90 90  30 30\n"
                                            "0 0  140 150\n140 150  0 0\n50 50  120 130\n120 130  50 50\n");
    CRunLog log;
    const CForwardResult result = ComputeData(scene.Read(), log);
    for (size_t j = 0; j < result.voltage.size(); j += 2)
        EXPECT_NEAR(result.voltage[j + 1] / result.voltage[j], 1, 1e-3) << "datum " << j;
}

} // namespace
