// The discretization of a large model: a mesh of about 1028 x 486 cells under a hilly surface,
// 100 blocks mixing rectangles, ellipses and sheared blocks in both models.
//
//   build/bin/discretize_bench
//
// Each phase is timed on its own and then the whole road from design to both written files.
#include "mesh/Mesh.h"
#include "mesh/Rasterise.h"
#include "mesh/Topography.h"
#include "model/ModelData.h"
#include "platform/FilePath.h"
#include "platform/MessageBox.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <random>

namespace {

constexpr double kL = 210; // pole-dipole, n = 20, a = 10
constexpr double kDx = 1;
constexpr double kDz = 0.5;

CModelData LargeModel()
{
    CModelData m;
    m.m_coreX1 = 0;
    m.m_coreX2 = 1000;
    m.m_coreZ1 = 0;
    m.m_coreZ2 = 300;
    for (int i = 0; i <= 50; ++i) {
        double x = i * 20.0;
        m.m_topo.emplace_back(x, 10 - 8 * std::sin(x / 90)); // valleys below the core top
    }
    m.m_bTopography = true;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> xs(-50, 1000), zs(-10, 280), size(5, 60), slope(-1, 1);
    for (CElementList* list : {&m.m_dcModel, &m.m_ipModel}) {
        for (int b = 0; b < 100; ++b) {
            double x = xs(random), z = zs(random), w = size(random), h = size(random);
            float value = list == &m.m_dcModel ? -1 - b % 3 : 0.05f * (b % 5);
            CElement& e = list->emplace_back(x, z, x + w, z + h, value, b % 3 == 2 ? slope(random) : 0);
            e.m_bEllipse = b % 3 == 1;
        }
    }
    return m;
}

// Designs the mesh and counts its air cells, as the command does before rasterising.
CMesh DesignedMesh(const CModelData& m)
{
    CMesh mesh;
    mesh.Design(m.m_coreX1, m.m_coreX2, m.m_coreZ1, m.m_coreZ2, kL, kDx, kDz, MeanTopographyDepth(m));
    ComputeAirCells(mesh, BuildExtendedProfile(m, mesh.xNodes.front(), mesh.xNodes.back()));
    return mesh;
}

void Cells(benchmark::State& state, const CMesh& mesh)
{
    state.counters["nx"] = mesh.nx;
    state.counters["nz"] = mesh.nz;
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(mesh.nx) * mesh.nz);
}

void BM_DesignAndAirCells(benchmark::State& state)
{
    const CModelData m = LargeModel();
    CMesh mesh;
    for (auto _ : state) {
        mesh = DesignedMesh(m);
        benchmark::DoNotOptimize(mesh.airCells);
    }
    Cells(state, mesh);
}

void BM_RasteriseBothModels(benchmark::State& state)
{
    CModelData m = LargeModel();
    const CMesh mesh = DesignedMesh(m);
    bool fitted = true;
    for (auto _ : state) {
        auto dc = RasteriseGrid(mesh, EModelKind::dc, m.m_dcBackground, m.m_dcModel, fitted);
        auto ip = RasteriseGrid(mesh, EModelKind::ip, m.m_ipBackground, m.m_ipModel, fitted);
        benchmark::DoNotOptimize(dc.data());
        benchmark::DoNotOptimize(ip.data());
    }
    Cells(state, mesh);
}

// Design, air cells, both models rasterised and both model files written.
void BM_WholeDiscretization(benchmark::State& state)
{
    CModelData m = LargeModel();
    const std::string folder = TempDirectory() + "/velquor-bench";
    std::filesystem::create_directories(folder);
    CMesh mesh;
    for (auto _ : state) {
        mesh = DesignedMesh(m);
        RasteriseModel(mesh, EModelKind::dc, m.m_dcBackground, m.m_dcModel, folder + "/model2d.con");
        RasteriseModel(mesh, EModelKind::ip, m.m_ipBackground, m.m_ipModel, folder + "/model2d.chg");
    }
    Cells(state, mesh);
    state.counters["MB written"] = double(std::filesystem::file_size(folder + "/model2d.con") +
                                          std::filesystem::file_size(folder + "/model2d.chg")) /
                                   1e6;
    std::filesystem::remove_all(folder);
}

BENCHMARK(BM_DesignAndAirCells)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RasteriseBothModels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeDiscretization)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // Blocks outside the mesh warn; a benchmark has nobody to tell.
    SetMessageBoxHandler([](const std::string&, unsigned) { return int(IDOK); });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
