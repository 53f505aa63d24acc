// The forward-modelling program on the default model and on a large survey, half-spaces of
// 1000 ohm m discretized by the Discretize command's own code:
//   default: core 0..200 x 0..50, pole-dipole n = 6, a = 10, 3 cells between electrodes,
//            aspect ratio 2: 82 x 35 cells, 99 data;
//   large:   core 0..2000 x 0..100, dipole-dipole n = 10, a = 10, 4 cells between electrodes,
//            aspect ratio 2: 824 x 78 cells, 1935 data; also for IPL, under a hill 50 high in
//            the middle of the survey (its surface as the topography the user drew), and as a
//            pole-pole survey;
//   many:    core 0..2000, dipole-dipole n = 10, a = 1, 2 cells between electrodes: 2001
//            electrodes, 19935 data.
//
//   build/bin/engine_bench
//
// Each iteration reads the files, computes and writes the data files, as a run does. Counters:
// algebra_s, the factorisations' wall time; peak_MB, the peak memory of one run of the ferrovan
// program on the same files, and estimate_MB what that run estimated before its factorisations;
// max_error_%, the largest error of the apparent resistivities (not for the hill). The
// _sensitivity cases also compute every datum's sensitivity to every cell (not written).
// design_48 chooses 1000 configurations from the comprehensive set of 48 electrodes 5 apart
// (core 0..235 x 0..50, 3 cells between electrodes), on the half-space and on a layer of 100
// ohm m, 10 thick, over 10 ohm m; counters: the average relative resolution of the chosen set
// and of dipole-dipole of the same size.
#include "engine/general/RunLog.h"
#include "engine/modelling/ForwardModel.h"
#include "engine/modelling/SurveyDesign.h"
#include "engine/program/DataFiles.h"
#include "engine/program/Ferrovan.h"
#include "forward/ForwardInput.h"
#include "mesh/Discretize.h"
#include "model/ModelData.h"
#include "platform/FilePath.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

struct Case {
    const char* folder;
    double coreWidth, coreDepth;
    int array, n, cells, fwdType;
    double aSpacing = 10;
    double hill = 0;
    double accuracy = 0; // the estimate's target; 0: off
    bool sensitivities = false;
    int design = 0;       // configurations a survey design chooses; 0: none
    bool layered = false; // a layer 10 thick of 0.01 S/m over 0.1 S/m instead of the half-space
};

const Case kDefault{"default", 200, 50, 2, 6, 3, 0};
const Case kLarge{"large", 2000, 100, 1, 10, 4, 0};
const Case kLargeIpl{"large-ipl", 2000, 100, 1, 10, 4, 2};
const Case kLargeHill{"large-hill", 2000, 100, 1, 10, 4, 0, 10, 50};
const Case kLargePolePole{"large-pole-pole", 2000, 100, 0, 10, 4, 0};
const Case kMany{"many", 2000, 100, 1, 10, 2, 0, 1};
// With the estimate of every datum's error, as the program runs by default.
const Case kDefaultEstimate{"default-estimate", 200, 50, 2, 6, 3, 0, 10, 0, 0.005};
const Case kLargeEstimate{"large-estimate", 2000, 100, 1, 10, 4, 0, 10, 0, 0.005};
const Case kLargeHillEstimate{"large-hill-estimate", 2000, 100, 1, 10, 4, 0, 10, 50, 0.005};
// With the sensitivities of every datum to every cell, against the plain runs.
const Case kDefaultSensitivity{"default-sensitivity", 200, 50, 2, 6, 3, 0, 10, 0, 0, true};
const Case kLargeSensitivity{"large-sensitivity", 2000, 100, 1, 10, 4, 0, 10, 0, 0, true};
const Case kDesign48{"design-48", 235, 50, 1, 6, 3, 0, 5, 0, 0, false, 1000};
const Case kDesign48Layered{"design-48-layered", 235, 50, 1, 6, 3, 0, 5, 0, 0, false, 1000, true};

// Discretizes the case into its own folder under the temporary folder and makes it current.
void Prepare(const Case& c)
{
    const std::string folder = TempDirectory() + "/velquor-engine-bench/" + c.folder;
    std::filesystem::create_directories(folder);
    SetCurrentDirectory(folder);
    CModelData m;
    m.m_coreX2 = c.coreWidth;
    m.m_coreZ2 = c.coreDepth;
    m.m_discretize.array = EArray(c.array);
    m.m_discretize.n = c.n;
    m.m_discretize.cellsPerElectrode = c.cells;
    m.m_ipBackground = 0.05f;
    m.m_discretize.forward = EForwardType(c.fwdType);
    m.m_discretize.aSpacing = c.aSpacing;
    if (c.hill > 0) {
        m.m_coreZ1 = -c.hill - 1;
        for (const auto& [x, z] : {std::pair{0.0, 0.0}, {c.coreWidth / 2, -c.hill}, {c.coreWidth, 0.0}})
            m.m_topo.emplace_back(x, z);
        m.m_bTopography = true;
    }
    if (c.layered) {
        m.m_dcBackground = -1;
        m.m_dcModel.emplace_back(0, 0, c.coreWidth, 10, -2.0f, 0);
    }
    RunDiscretization(m);
    WriteForwardInputFile(m, kInputFileName, c.design);
}

// The largest of the amounts in MB of 2^20 bytes (or GB) that follow key in the text.
double LoggedMegabytes(const std::string& text, const std::string& key)
{
    double largest = 0;
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
        double value = 0;
        char unit[3] = "";
        if (std::sscanf(text.c_str() + at + key.size(), "%lf %2s", &value, unit) == 2 && unit[1] == 'B')
            largest = std::max(largest, unit == std::string("GB") ? 1024 * value : value);
    }
    return largest;
}

// One run of the program in the current folder; its log.
std::string RunProgram()
{
    std::string program = GetProgramFolder() + "/ferrovan", input = "ferrovan.inp";
    char* argv[] = {program.data(), input.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) == 0) {
        int status;
        waitpid(pid, &status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
    std::ifstream file("ferrovan.log");
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void BM_Ferrovan(benchmark::State& state, const Case& c)
{
    Prepare(c);
    double algebra = 0;
    CForwardResult result;
    CForwardInput in;
    for (auto _ : state) {
        CRunLog log;
        in = ReadForwardFiles(ReadForwardJob("ferrovan.inp", log), log);
        CEngineOptions options;
        options.accuracy = c.accuracy;
        options.sensitivities = c.sensitivities;
        result = ComputeData(in, log, options);
        WriteDataFiles(in.job.type, in.survey, result);
        algebra += result.algebraSeconds;
    }
    double worst = 0;
    for (double rho : result.apparentResistivity)
        worst = std::max(worst, std::fabs(rho / 1000 - 1));
    // The program's own high-water mark, and the largest estimate it logged: its first grid's, or
    // a finer one's of the accuracy estimate.
    const std::string log = RunProgram();
    const double peak = LoggedMegabytes(log, "memory at most ");
    const double estimate = LoggedMegabytes(log, "about ");
    state.counters["algebra_s"] = benchmark::Counter(algebra, benchmark::Counter::kAvgIterations);
    state.counters["cells"] = in.mesh.nx * in.mesh.nz;
    state.counters["data"] = static_cast<double>(result.voltage.size());
    state.counters["unknowns"] = result.unknowns;
    state.counters["wavenumbers"] = result.wavenumbers;
    if (c.hill == 0)
        state.counters["max_error_%"] = 100 * worst;
    state.counters["peak_MB"] = peak;
    state.counters["estimate_MB"] = estimate;
    if (result.estimate.done) {
        state.counters["worst_estimate_%"] = 100 * result.estimate.worst;
        state.counters["grid_scale"] = result.estimate.scale;
    }
}

// The average relative resolution of a set in the design's report.
double ReportedAverage(const std::string& report, const std::string& set)
{
    const size_t at = report.find("\n" + set + ", ");
    const size_t colon = at == std::string::npos ? at : report.find(": ", at);
    return colon == std::string::npos ? -1 : std::atof(report.c_str() + colon + 2);
}

void BM_SurveyDesign(benchmark::State& state, const Case& c)
{
    Prepare(c);
    std::string report;
    for (auto _ : state) {
        CRunLog log;
        const CForwardJob job = ReadForwardJob("ferrovan.inp", log);
        report = DesignSurvey(ReadForwardFiles(job, log), job, log, CEngineOptions{});
    }
    state.counters["optimized"] = ReportedAverage(report, "optimized");
    state.counters["dipole_dipole"] = ReportedAverage(report, "dipole-dipole");
    state.counters["peak_MB"] = LoggedMegabytes(RunProgram(), "memory at most ");
}

BENCHMARK_CAPTURE(BM_Ferrovan, default_dc, kDefault)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Ferrovan, large_dc, kLarge)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Ferrovan, large_ipl, kLargeIpl)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Ferrovan, large_hill, kLargeHill)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Ferrovan, large_pole_pole, kLargePolePole)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Ferrovan, default_estimate, kDefaultEstimate)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Ferrovan, large_estimate, kLargeEstimate)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Ferrovan, large_hill_estimate, kLargeHillEstimate)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Ferrovan, default_sensitivity, kDefaultSensitivity)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Ferrovan, large_sensitivity, kLargeSensitivity)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_SurveyDesign, design_48, kDesign48)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK_CAPTURE(BM_SurveyDesign, design_48_layered, kDesign48Layered)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Ferrovan, many_electrodes, kMany)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    // Warnings of the discretization have nobody to tell.
    SetMessageBoxHandler([](const std::string&, unsigned) { return int(IDOK); });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(TempDirectory() + "/velquor-engine-bench");
    return 0;
}
