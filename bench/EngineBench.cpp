// The forward-modelling program on the default model and on a large survey, both half-spaces of
// 1000 ohm m discretized by the Discretize command's own code:
//   default: core 0..200 x 0..50, pole-dipole n = 6, a = 10, 3 cells between electrodes,
//            aspect ratio 2: 82 x 35 cells, 99 data;
//   large:   core 0..2000 x 0..100, dipole-dipole n = 10, a = 10, 4 cells between electrodes,
//            aspect ratio 2: 824 x 78 cells, 1935 data.
//
//   build/bin/engine_bench
//
// Each iteration reads the files, computes and writes the data files, as a run does. Counters:
// algebra_s, the factorisations' wall time; peak_MB, the peak memory of one run of the ferrovan
// program on the same files; max_error_%, the largest error of the apparent resistivities.
#include "engine/DataFiles.h"
#include "engine/Ferrovan.h"
#include "engine/ForwardModel.h"
#include "engine/RunLog.h"
#include "forward/ForwardInput.h"
#include "mesh/Discretize.h"
#include "model/ModelData.h"
#include "platform/FilePath.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

struct Case {
    const char* folder;
    double coreWidth, coreDepth;
    int array, n, cells, fwdType;
};

const Case kDefault{"default", 200, 50, 2, 6, 3, 0};
const Case kLarge{"large", 2000, 100, 1, 10, 4, 0};
const Case kLargeIpl{"large-ipl", 2000, 100, 1, 10, 4, 2};

// Discretizes the case into its own folder under the temporary folder and makes it current.
void Prepare(const Case& c)
{
    const std::string folder = TempDirectory() + "/velquor-engine-bench/" + c.folder;
    std::filesystem::create_directories(folder);
    SetCurrentDirectory(folder);
    CModelData m;
    m.m_coreX2 = c.coreWidth;
    m.m_coreZ2 = c.coreDepth;
    m.m_arrayType = c.array;
    m.m_n = c.n;
    m.m_cellsPerElectrode = c.cells;
    m.m_ipBackground = 0.05f;
    m.m_fwdType = c.fwdType;
    std::string summary;
    RunDiscretization(m, summary);
    WriteForwardInputFile(m, m.m_inpFileName);
}

// Peak resident memory of one run of the program in the current folder.
double ProgramPeakMegabytes()
{
    std::string program = GetProgramFolder() + "/ferrovan", input = "ferrovan.inp";
    char* argv[] = {program.data(), input.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    double megabytes = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) == 0) {
        int status;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid)
            megabytes = usage.ru_maxrss / 1024.0;
    }
    posix_spawn_file_actions_destroy(&actions);
    return megabytes;
}

void BM_Ferrovan(benchmark::State& state, const Case& c)
{
    Prepare(c);
    double algebra = 0;
    CForwardResult result;
    CForwardInput in;
    for (auto _ : state) {
        CRunLog log;
        in = ReadForwardFiles(CForwardJob::Read("ferrovan.inp", log), log);
        result = ComputeData(in, log);
        WriteDataFiles(in.job.type, in.survey, result);
        algebra += result.algebraSeconds;
    }
    double worst = 0;
    for (double rho : result.apparentResistivity)
        worst = std::max(worst, std::fabs(rho / 1000 - 1));
    state.counters["algebra_s"] = benchmark::Counter(algebra, benchmark::Counter::kAvgIterations);
    state.counters["cells"] = in.mesh.nx * in.mesh.nz;
    state.counters["data"] = static_cast<double>(result.voltage.size());
    state.counters["unknowns"] = result.unknowns;
    state.counters["wavenumbers"] = result.wavenumbers;
    state.counters["max_error_%"] = 100 * worst;
    state.counters["peak_MB"] = ProgramPeakMegabytes();
}

BENCHMARK_CAPTURE(BM_Ferrovan, default_dc, kDefault)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Ferrovan, large_dc, kLarge)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Ferrovan, large_ipl, kLargeIpl)->Unit(benchmark::kMillisecond)->UseRealTime();

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
