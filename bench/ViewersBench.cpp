// The viewers' pictures: reading the files and drawing a model of up to 1000 x 300 cells and a
// data set of up to 5000 data, then the whole road from the files to a PNG file as --png takes it.
//
//   build/bin/viewers_bench
//
// Each step runs at three sizes; the fitted complexity shows how it grows with cells and data.
#include "files/ModelSection.h"
#include "files/PseudoSection.h"
#include "formats/DataFile.h"
#include "formats/MeshFile.h"
#include "formats/ValuesFile.h"
#include "platform/FilePath.h"
#include "platform/TextFormat.h"
#include "render/DataPicture.h"
#include "render/ModelPicture.h"
#include "render/PictureFiles.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>

namespace {

const QSize kPicture(1200, 700);

std::string Folder()
{
    static const std::string folder = [] {
        std::string pattern = TempDirectory() + "/viewers-bench-XXXXXX";
        return std::string(::mkdtemp(pattern.data()) ? pattern : TempDirectory());
    }();
    return folder;
}

// A mesh of columns x rows cells, unit wide, and a model of smooth conductivity with air above
// a wavy surface; named by its size.
std::string ModelFiles(int columns, int rows)
{
    const std::string base = Folder() + FormatC("/%ix%i", columns, rows);
    if (std::filesystem::exists(base + ".con"))
        return base;
    CMeshFile mesh;
    for (int i = 0; i <= columns; ++i)
        mesh.x.nodes.push_back(i);
    for (int k = 0; k <= rows; ++k)
        mesh.z.nodes.push_back(k);
    mesh.x.segmentEnds = {columns};
    mesh.z.segmentEnds = {rows};
    mesh.Write(base + ".mesh");
    std::vector<float> values;
    for (int k = 0; k < rows; ++k) {
        for (int i = 0; i < columns; ++i) {
            const bool air = k < 5 + 4 * std::sin(i / 40.0);
            values.push_back(air ? 1e-8f : std::pow(10.0f, -2.0f + std::sin(i / 60.0f) * std::cos(k / 30.0f)));
        }
    }
    CValuesFile::Write(base + ".con", columns, rows, values);
    return base;
}

// Dipole-dipole data, a = 1, n = 1 to 10 per transmitter.
std::string DataFile(int count)
{
    const std::string path = Folder() + FormatC("/obs-%i.dat", count);
    if (std::filesystem::exists(path))
        return path;
    CDataFile data;
    for (int d = 0; d < count; ++d) {
        const int a = d / 10, n = d % 10 + 1;
        const double rho = 100 * std::exp(std::sin(a / 50.0) * std::cos(n / 4.0));
        data.data.push_back({double(a), a + 1.0, a + 1.0 + n, a + 2.0 + n, rho / 30, rho});
    }
    data.Write(path);
    return path;
}

void ModelSizes(benchmark::internal::Benchmark* b)
{
    for (int scale : {1, 2, 4})
        b->Args({250 * scale, 75 * scale});
    b->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);
}

void DataSizes(benchmark::internal::Benchmark* b)
{
    b->Arg(1250)->Arg(2500)->Arg(5000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);
}

void BM_ReadModel(benchmark::State& state)
{
    const std::string base = ModelFiles(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        CModelSection section;
        if (!section.Load(base + ".mesh", base + ".con", EModelKind::dc).empty())
            state.SkipWithError("cannot read the model");
        benchmark::DoNotOptimize(section.grid.values.data());
    }
    state.SetComplexityN(state.range(0) * state.range(1));
}
BENCHMARK(BM_ReadModel)->Apply(ModelSizes);

// The whole mesh in a 1200 x 700 picture, mesh lines on.
void BM_DrawModel(benchmark::State& state)
{
    const std::string base = ModelFiles(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    CModelViewerArgs args;
    args.meshPath = base + ".mesh";
    args.modelPath = base + ".con";
    std::string error;
    auto picture = LoadModelPicture(args, error);
    for (auto _ : state) {
        QImage image = picture->ToImage(kPicture, picture->WholeWindow());
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetComplexityN(state.range(0) * state.range(1));
}
BENCHMARK(BM_DrawModel)->Apply(ModelSizes);

// Files to PNG file, as velquor-model-viewer --png does.
void BM_ModelToPng(benchmark::State& state)
{
    CModelViewerArgs args;
    const std::string base = ModelFiles(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    args.meshPath = base + ".mesh";
    args.modelPath = base + ".con";
    args.wholeMesh = true;
    args.picture.png = base + ".png";
    for (auto _ : state)
        if (!WriteModelPng(args).empty())
            state.SkipWithError("cannot write the picture");
    state.SetComplexityN(state.range(0) * state.range(1));
}
BENCHMARK(BM_ModelToPng)->Apply(ModelSizes);

void BM_ReadData(benchmark::State& state)
{
    const std::string path = DataFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        CPseudoSection section;
        if (!section.Build(CDataFile::Read(path, EModelKind::dc), path).empty())
            state.SkipWithError("cannot read the data");
        benchmark::DoNotOptimize(section.cells.data());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ReadData)->Apply(DataSizes);

void BM_DrawData(benchmark::State& state)
{
    const std::string path = DataFile(static_cast<int>(state.range(0)));
    std::string error;
    auto picture = LoadDataPicture(path, EModelKind::dc, "", error);
    for (auto _ : state) {
        QImage image = picture->ToImage(kPicture, picture->WholeWindow());
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DrawData)->Apply(DataSizes);

void BM_DataToPng(benchmark::State& state)
{
    CDataViewerArgs args;
    args.dataPath = DataFile(static_cast<int>(state.range(0)));
    args.picture.png = args.dataPath + ".png";
    for (auto _ : state)
        if (!WriteDataPng(args).empty())
            state.SkipWithError("cannot write the picture");
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DataToPng)->Apply(DataSizes);

} // namespace

int main(int argc, char** argv)
{
    // Fonts need a graphical application; no display is needed.
    COffscreenGui gui;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(Folder());
    return 0;
}
