// Painting the view: a discretized model of 2,000 blocks (rectangles, ellipses and sheared
// blocks) under a hilly surface, in a 1920 x 1080 window.
//
//   build/bin/view_bench
//
// FullPaint redraws the whole window (/0: the same model not discretized); MarginRepaint toggles Log10 and redraws what
// that invalidates. Its counter model_body_painted is 1 when the margin repaint drew over the core area, which it must
// not. ExaggeratedPaint and ZoomedPaint redraw the whole window at vertical exaggeration 10 and at 8x zoom about the
// middle of the section; neither may take longer than FullPaint/1.
#include "document/SectomatDoc.h"
#include "mesh/Discretize.h"
#include "platform/DC.h"
#include "platform/Refusal.h"
#include "view/SectomatView.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>

#include <unistd.h>

namespace {

constexpr int kBlocks = 2000;

void FillModel(CModelData& m)
{
    m.m_coreX1 = 0;
    m.m_coreX2 = 1000;
    m.m_coreZ1 = 0;
    m.m_coreZ2 = 300;
    m.m_topo.clear();
    for (int i = 0; i <= 50; ++i) {
        const double x = i * 20.0;
        m.m_topo.emplace_back(x, 10 - 8 * std::sin(x / 90));
    }
    m.m_bTopography = true;
    std::mt19937 random(11);
    std::uniform_real_distribution<double> xs(0, 960), zs(5, 270), size(5, 40), slope(-1, 1);
    for (int b = 0; b < kBlocks; ++b) {
        const double x = xs(random), z = zs(random), w = size(random), h = size(random);
        CElement& e =
            m.m_dcModel.emplace_back(x, z, x + w, z + h, -1.0f - 0.01f * (b % 200), b % 3 == 2 ? slope(random) : 0);
        e.m_bEllipse = b % 3 == 1;
    }
}

// The model discretized in a scratch folder, shown in a view of the benchmark's size.
struct Scene {
    CSectomatDoc doc;
    CSectomatView view;

    Scene()
    {
        FillModel(doc);
        const auto folder = std::filesystem::temp_directory_path() / ("vmm-view-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        const auto previous = std::filesystem::current_path();
        std::filesystem::current_path(folder);
        const bool done = Attempt([this] { doc.m_meshShapes = RunDiscretization(doc).shapes; });
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(folder);
        if (!done)
            std::abort();

        doc.AddView(&view);
        view.resize(1920, 1080);
        view.OnInitialUpdate();
        // Set after the re-fit, which would otherwise start the model viewer.
        doc.m_bDiscretized = true;
        view.Invalidate();
        view.UpdateWindow();
    }
};

// Made on first use and destroyed before the application object.
std::unique_ptr<Scene> g_scene;

Scene& TheScene()
{
    if (!g_scene)
        g_scene = std::make_unique<Scene>();
    return *g_scene;
}

void FullPaint(benchmark::State& state)
{
    Scene& s = TheScene();
    // Argument 0 shows the model as not discretized: no cell outlines, surface or electrodes.
    s.doc.m_bDiscretized = state.range(0) != 0;
    size_t cells = 0;
    for (const CBlockCells& b : s.doc.m_meshShapes.dc)
        cells += b.cells.size() + b.rows.size() + 1;
    for (auto _ : state) {
        s.view.Invalidate();
        s.view.UpdateWindow();
        benchmark::DoNotOptimize(s.view.GetBackBuffer().constBits());
    }
    state.counters["blocks"] = double(s.doc.m_dcModel.size());
    state.counters["mesh_outlines"] = s.doc.m_bDiscretized ? double(cells) : 0;
    s.doc.m_bDiscretized = true;
}

void MarginRepaint(benchmark::State& state)
{
    Scene& s = TheScene();
    // A sentinel colour over the core: a margin repaint leaves it, a model repaint covers it.
    {
        CClientDC dc(&s.view);
        dc.FillSolidRect(s.view.m_rcCore, RGB(1, 2, 3));
    }
    for (auto _ : state) {
        s.view.OnColourbarLog10();
        s.view.UpdateWindow();
        benchmark::DoNotOptimize(s.view.GetBackBuffer().constBits());
    }
    CPoint centre{s.view.m_nCoreWidth / 2, s.view.m_nCoreHeight / 2};
    {
        CClientDC dc(&s.view);
        dc.LPtoDP(&centre);
    }
    const bool painted = s.view.GetBackBuffer().pixel(centre.x, centre.y) != qRgb(1, 2, 3);
    state.counters["model_body_painted"] = painted ? 1 : 0;
}

void RepaintLoop(benchmark::State& state, Scene& s)
{
    for (auto _ : state) {
        s.view.Invalidate();
        s.view.UpdateWindow();
        benchmark::DoNotOptimize(s.view.GetBackBuffer().constBits());
    }
}

void ExaggeratedPaint(benchmark::State& state)
{
    Scene& s = TheScene();
    s.view.SetExaggeration(10);
    RepaintLoop(state, s);
    s.view.SetExaggeration(1);
}

void ZoomedPaint(benchmark::State& state)
{
    Scene& s = TheScene();
    CPoint centre{s.view.m_nCoreWidth / 2, s.view.m_nCoreHeight / 2};
    {
        CClientDC dc(&s.view);
        dc.LPtoDP(&centre);
    }
    s.view.ZoomAt(centre, 8);
    RepaintLoop(state, s);
    state.counters["zoom"] = s.view.m_dZoom;
    s.view.OnViewFit();
}

BENCHMARK(FullPaint)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(ExaggeratedPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(ZoomedPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(MarginRepaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_scene.reset();
    return 0;
}
