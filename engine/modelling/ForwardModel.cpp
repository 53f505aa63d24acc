#include "engine/modelling/ForwardModel.h"

#include "engine/fem/Discretization.h"
#include "engine/fem/Grid.h"
#include "engine/fem/WavenumberRule.h"
#include "engine/general/EngineError.h"
#include "engine/general/MachineMemory.h"
#include "engine/general/RunLog.h"
#include "engine/linalg/SchurSolver.h"
#include "formats/LocationsFile.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

// OpenBLAS, when it is the BLAS, must not start threads of its own inside the workers' threads.
extern "C" void openblas_set_num_threads(int) __attribute__((weak));
// Nor CHOLMOD's OpenMP loops: the workers already keep every processor busy.
extern "C" void omp_set_max_active_levels(int) __attribute__((weak));

std::string Bytes(double bytes)
{
    const double mb = 1024.0 * 1024.0;
    return bytes >= 1024 * mb ? FormatC("%.1f GB", bytes / (1024 * mb)) : FormatC("%.0f MB", std::ceil(bytes / mb));
}

namespace {

using Clock = std::chrono::steady_clock;

// The conductivity the model maker writes in air cells, 1e-8 S/m as a float.
constexpr double kAirConductivity = 1.000001e-8;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string CellName(const CMesh& mesh, int cell)
{
    const int i = cell % mesh.nx, k = cell / mesh.nx;
    return FormatC("the cell in column %i, row %i (x %g to %g, depth %g to %g)", i + 1, k + 1, mesh.xNodes[i],
                   mesh.xNodes[i + 1], mesh.zNodes[k], mesh.zNodes[k + 1]);
}

// The air cells of each column: those of the topography file and, below them, cells that hold
// the air's conductivity. The model maker computed its air cells from the profile before the
// topography file rounded it, so a column's top cell can be air in the conductivity file and
// ground here; taken as ground it would be an insulating skin.
std::vector<int> AirCells(const CForwardInput& in, CRunLog& log)
{
    const int nx = in.mesh.nx, nz = in.mesh.nz;
    std::vector<int> air = in.airPerColumn;
    int added = 0;
    for (int i = 0; !in.job.topographyFile.empty() && i < nx; ++i)
        for (int& k = air[i]; k < nz && in.conductivity[static_cast<size_t>(k) * nx + i] <= kAirConductivity; ++k)
            ++added;
    if (added > 0)
        log.Info(FormatC("%i cells at the top of the ground hold the conductivity of air and are taken as air", added));
    return air;
}

// Refuses what the method cannot take and warns about what looks like a mistake.
void CheckModel(const CForwardInput& in, const std::vector<int>& air, CRunLog& log)
{
    const CMesh& mesh = in.mesh;
    const int cells = mesh.nx * mesh.nz;
    int airValued = 0, negative = 0;
    for (int c = 0; c < cells; ++c) {
        if (c / mesh.nx < air[c % mesh.nx])
            continue;
        const double sigma = in.conductivity[c];
        if (!(sigma > 0) || !std::isfinite(sigma))
            throw CEngineError(FormatC("The conductivity file %s gives %s a conductivity of %g S/m; conductivities "
                                       "must be positive numbers.",
                                       in.job.conductivityFile.c_str(), CellName(mesh, c).c_str(), sigma));
        if (sigma <= kAirConductivity)
            ++airValued;
        if (in.job.type == EForwardType::dc)
            continue;
        const double eta = in.chargeability[c];
        if (!std::isfinite(eta))
            throw CEngineError(FormatC("The chargeability file %s gives %s a chargeability that is not a number.",
                                       in.job.chargeabilityFile.c_str(), CellName(mesh, c).c_str()));
        if (in.job.type == EForwardType::dcIp && eta >= 1)
            throw CEngineError(FormatC("The chargeability file %s gives %s a chargeability of %g; FWD IP needs "
                                       "chargeabilities below 1 (FWD IPL, the linearised form, accepts them).",
                                       in.job.chargeabilityFile.c_str(), CellName(mesh, c).c_str(), eta));
        if (eta < 0)
            ++negative;
    }
    if (airValued > 0)
        log.Warning(FormatC("%i ground cells hold the conductivity of air, 1e-8 S/m%s.", airValued,
                            in.job.topographyFile.empty() ? "; without a topography file no cell is air" : ""));
    if (negative > 0)
        log.Warning(FormatC("%i ground cells have a negative chargeability.", negative));
}

// How far from its source a current spreads before the deepest layers take it: under a
// conductive cover, the cover's conductance over the conductivity below it (10 km for 10 m of
// 10 ohm m over 10000 ohm m); in a uniform column, its depth. Measured on a mesh column, whose
// layering continues sideways to infinity.
double SpreadingLength(const CForwardInput& in, const std::vector<int>& air, const std::vector<int>& cells, int column)
{
    const CMesh& mesh = in.mesh;
    const int nx = mesh.nx, nz = mesh.nz;
    auto sigma = [&](int k) { return in.conductivity[cells[static_cast<size_t>(k) * nx + column]]; };
    std::vector<double> lowestBelow(nz + 1, HUGE_VAL);
    for (int k = nz - 1; k >= 0; --k)
        lowestBelow[k] = std::min(lowestBelow[k + 1], sigma(k));
    double conductance = 0, length = 0;
    for (int k = std::clamp(air[column], 0, nz); k + 1 < nz; ++k) {
        conductance += sigma(k) * (mesh.zNodes[k + 1] - mesh.zNodes[k]);
        length = std::max(length, conductance / lowestBelow[k + 1]);
    }
    return length;
}

// The conductivity models to solve: sigma; for IP also sigma (1 - eta); for IPL
// sigma (1 - eps eta), whose difference from sigma is the derivative of the potentials along
// -sigma eta. eps max|eta| = 1e-5 keeps both the neglected second-order term and the rounding
// of the difference near 1e-5 of the result. Per mesh cell.
struct CModels {
    std::vector<std::vector<double>> sigma;
    double eps = 0;
};

CModels ConductivityModels(const CForwardInput& in, const std::vector<int>& cells)
{
    CModels models;
    const size_t count = cells.size();
    double maxEta = 0;
    if (in.job.type != EForwardType::dc)
        for (size_t c = 0; c < count; ++c)
            maxEta = std::max(maxEta, std::fabs(in.chargeability[cells[c]]));
    models.eps = maxEta > 0 ? 1e-5 / maxEta : 0;
    std::vector<double> factors{0};
    if (in.job.type == EForwardType::dcIp)
        factors.push_back(1);
    else if (in.job.type == EForwardType::dcIpl && maxEta > 0)
        factors.push_back(models.eps);
    for (double factor : factors) {
        std::vector<double> sigma(count);
        for (size_t c = 0; c < count; ++c)
            sigma[c] = in.conductivity[cells[c]] * (1 - (factor > 0 ? factor * in.chargeability[cells[c]] : 0));
        models.sigma.push_back(std::move(sigma));
    }
    return models;
}

// One factorisation: a conductivity model at one wavenumber.
struct CTask {
    int model;
    int wavenumber;
};

// What a run holds at its peak: the grid, the pattern, the operators and the potentials, and
// per worker a factor, CHOLMOD's workspace and the dense electrode block.
// What each worker thread maps besides its factor: the BLAS library's buffer, which OpenBLAS
// allocates for every thread that calls it (128 MB and a page, mostly never touched), the
// thread's stack, and the malloc arena glibc reserves for a thread that allocates (64 MB; the
// BLAS library's own idle thread may take one at any time, so the first worker counts it too).
// It counts against the address space, not the memory.
constexpr double kThreadBytes = 134221824.0 + 8.0 * 1024 * 1024 + 64.0 * 1024 * 1024;

// What each datum holds at the run's peak, when the data files are written: its survey record
// (56 bytes), V/I, rho_a and eta_a of each model, and one data file's record (48) and line of text
// (about 60), with room for the locations file's text; measured 170 bytes with a million data.
constexpr double kDatumBytes = 170;

struct CRunSize {
    double nodes = 0, elements = 0, entries = 0;
    double factorBytes = 0, analysisBytes = 0;
    double trailing = 0, electrodes = 0, pairs = 0, data = 0;
    int models = 1, wavenumbers = 0, threads = 1;

    double SharedBytes() const
    {
        return 8 * entries * (1 + 2 * models) + 8 * models * trailing * electrodes + 4 * nodes + 90 * elements +
               analysisBytes + 8 * pairs * models * (wavenumbers + 1) + kDatumBytes * data;
    }
    double ThreadBytes() const { return factorBytes + 8 * (trailing * trailing + trailing * electrodes + entries); }
};

// The program itself, its libraries and what the estimate leaves out: ferrovan --version holds 7 MB.
constexpr double kProgramBytes = 10e6;

// What a run of this many threads needs: a tenth more and the program itself.
double RunBytes(double shared, double perThread, int threads)
{
    return 1.1 * (shared + threads * perThread) + kProgramBytes;
}

// The most threads, up to the given number, whose memory fits the budget and whose mapping, with
// the BLAS library's buffer of each, fits the address space; 0 when not even one does.
int ThreadsThatFit(int threads, double shared, double perThread, const CEngineOptions& options)
{
    for (; threads > 0; --threads) {
        const double needed = RunBytes(shared, perThread, threads);
        if ((options.memoryBudget <= 0 || needed <= options.memoryBudget) &&
            (options.addressSpace <= 0 || needed + threads * kThreadBytes <= options.addressSpace))
            break;
    }
    return threads;
}

// Refuses a run that would need more than the budget; returns what it needs.
double CheckMemory(CRunSize& size, const CEngineOptions& options, CRunLog& log, bool report)
{
    // Fewer threads before none: each holds a factor and maps the BLAS library's buffer.
    size.threads = std::max(1, ThreadsThatFit(size.threads, size.SharedBytes(), size.ThreadBytes(), options));
    const double needed = RunBytes(size.SharedBytes(), size.ThreadBytes(), size.threads);
    const double mapped = needed + size.threads * kThreadBytes;
    if (options.addressSpace > 0 && mapped > options.addressSpace)
        throw CEngineError("This run would need about " + Bytes(mapped) + " of address space, but only " +
                           Bytes(options.addressSpace) +
                           " may be mapped; use larger cells or a shorter survey, with "
                           "fewer electrodes.");
    if (report)
        log.Info("Memory: about " + Bytes(needed) + " needed");
    if (options.memoryBudget > 0 && needed > options.memoryBudget)
        throw CEngineError("This run would need about " + Bytes(needed) + " of memory, but only " +
                           Bytes(options.memoryBudget) +
                           " are available; use larger cells or a shorter survey, with fewer electrodes.");
    return needed;
}

// The grid's options: it reaches well beyond the distances the data feel. Data measured against
// a pole receiver hold the potential against infinity: they feel how far the current spreads,
// and the cells far away, which grow slowly for them. Dipole receivers cancel it.
CGrid::Options GridOptions(const CSurvey& survey, bool poleReceivers, double spreading, double far,
                           const CEngineOptions& options)
{
    const double span = survey.positions.back() - survey.positions.front();
    CGrid::Options gridOptions = options.grid;
    if (poleReceivers)
        gridOptions.sideRatio = gridOptions.bottomRatio = options.poleRatio;
    if (gridOptions.farDistance <= 0)
        gridOptions.farDistance =
            (poleReceivers ? options.farFactor : options.dipoleFarFactor) * std::max(span, spreading);
    gridOptions.farDistance *= far;
    // Rows stay uniform to half the largest electrode distance of the data, where most of their
    // current flows.
    if (gridOptions.uniformDepth <= 0)
        for (auto [p, q] : survey.Pairs())
            gridOptions.uniformDepth =
                std::max(gridOptions.uniformDepth, 0.5 * std::fabs(survey.positions[p] - survey.positions[q]));
    return gridOptions;
}

// A first estimate of the run's memory, before the grid's elements are made: nested dissection
// of a grid of n nodes fills its factor with about 2.7 n log2 n entries (measured).
CRunSize FirstEstimate(const CForwardInput& in, int columns, int rows, const CEngineOptions& options)
{
    CRunSize size;
    size.nodes = double(columns + 1) * (rows + 1);
    size.elements = double(columns) * rows;
    size.entries = 5 * size.nodes;
    size.factorBytes = 8 * 2.5 * size.nodes * std::log2(size.nodes);
    size.trailing = size.electrodes = static_cast<double>(in.survey.positions.size());
    size.pairs = static_cast<double>(in.survey.Pairs().size());
    size.data = static_cast<double>(in.survey.data.size());
    size.models = in.job.type == EForwardType::dc ? 1 : 2;
    size.wavenumbers = 20;
    size.threads = options.threads > 0 ? options.threads : static_cast<int>(std::thread::hardware_concurrency());
    return size;
}

// everyMeshLine: a grid line on every line of the mesh, so that each grid element lies in one
// mesh cell and a cell's sensitivity is the sum of its elements'.
CGrid MakeGrid(const CForwardInput& in, const std::vector<int>& air, const std::vector<std::vector<double>>& sigma,
               bool poleReceivers, double spreading, double far, const CEngineOptions& options, CRunLog& log,
               bool everyMeshLine = false)
{
    const CGrid::Options gridOptions = GridOptions(in.survey, poleReceivers, spreading, far, options);
    CGridModel model{&in.mesh, air, {&in.conductivity}, in.profile, {}};
    std::vector<double> cellNumbers; // a value that changes across every line
    if (everyMeshLine) {
        cellNumbers.resize(static_cast<size_t>(in.mesh.nx) * in.mesh.nz);
        for (size_t c = 0; c < cellNumbers.size(); ++c)
            cellNumbers[c] = static_cast<double>(c);
        model.values.push_back(&cellNumbers);
    }
    for (const std::vector<double>& s : sigma)
        model.conductivity.push_back(&s);
    if (in.job.type != EForwardType::dc)
        model.values.push_back(&in.chargeability);
    const CGrid grid(model, in.survey.positions, gridOptions, [&](int columns, int rows) {
        CRunSize first = FirstEstimate(in, columns, rows, options);
        CheckMemory(first, options, log, false);
    });
    log.Info(FormatC("Grid: %i x %i cells (the mesh: %i x %i): lines where the model changes, at every electrode and "
                     "every kink of the surface; cells of %g x %g among the electrodes growing by %g of the distance, "
                     "then by %g beyond the mesh's sides and %g below it, to %.3g from the electrodes (x %.4g to "
                     "%.4g, depth to %.4g)",
                     grid.Columns(), grid.Rows(), in.mesh.nx, in.mesh.nz, grid.h, grid.hz, gridOptions.growth,
                     gridOptions.sideRatio, gridOptions.bottomRatio, gridOptions.farDistance, grid.x.front(),
                     grid.x.back(), grid.z.back()));
    if (grid.graded > 0)
        log.Info(FormatC("Grid: cells shrink toward %i lines where the conductivity changes by a factor of %g or more, "
                         "most at their corners",
                         grid.graded, gridOptions.contrast));
    if (!in.profile.x.empty())
        log.Info("Ground surface: the topography profile; the top row of elements follows it");
    return grid;
}

// The potentials the data need, as pairs of distinct electrodes, each pair once.
std::vector<std::pair<int, int>> ElectrodePairs(const CSurvey& survey, const CGrid& grid)
{
    std::vector<std::pair<int, int>> pairs;
    for (auto [p, q] : survey.Pairs()) {
        const int a = grid.electrodeOfPosition[p], b = grid.electrodeOfPosition[q];
        if (a == b)
            throw CEngineError(FormatC("The electrodes at x = %g and x = %g are too close together to be told apart.",
                                       survey.positions[p], survey.positions[q]));
        pairs.push_back({std::min(a, b), std::max(a, b)});
    }
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    return pairs;
}

// The shortest and longest distance between the electrodes of a pair, and the widest cell beside
// an electrode.
struct CPairSpan {
    double rLo = HUGE_VAL, rHi = 0, cell = 0;
};

CPairSpan PairSpan(const CGrid& grid, const std::vector<std::pair<int, int>>& pairs)
{
    CPairSpan span;
    for (auto [a, b] : pairs) {
        const int na = grid.electrodeNodes[a], nb = grid.electrodeNodes[b];
        const double r = std::hypot(grid.NodeX(na) - grid.NodeX(nb), grid.NodeZ(na) - grid.NodeZ(nb));
        span.rLo = std::min(span.rLo, r);
        span.rHi = std::max(span.rHi, r);
    }
    const int stride = grid.Columns() + 1;
    for (int node : grid.electrodeNodes) {
        const int i = node % stride;
        span.cell = std::max(span.cell, 0.5 * (grid.x[std::min(i + 1, grid.Columns())] - grid.x[std::max(i - 1, 0)]));
    }
    return span;
}

// Wavenumbers for the distances between the electrodes of the pairs, down to the spreading
// length for pole receivers; warns when the nearest electrodes have fewer than three cells
// between them, unless the run estimates its error, which then says what the data's is.
CWavenumberRule ChooseWavenumbers(const CPairSpan& span, double spreading, bool warn, CRunLog& log,
                                  double step = CWavenumberRule::kDataStep)
{
    const double rLo = span.rLo, rHi = std::max(span.rHi, spreading);
    if (warn && rLo < 2.99 * span.cell) {
        const std::string cells = FormatC("%.3g", rLo / span.cell);
        log.Warning(FormatC("The nearest electrodes are only %s cell%s apart; with fewer than three cells between "
                            "electrodes, expect errors of a percent or more in the data nearest the sources.",
                            cells.c_str(), cells == "1" ? "" : "s"));
    }
    const CWavenumberRule rule = CWavenumberRule::Design(rLo, rHi, step);
    log.Info(FormatC("Wavenumbers: %zu, trapezoidal in ln k with step %g for electrode distances %g to %g, "
                     "logarithmic below the smallest; largest error of sum w K0(k r) against 1/(2r) there: %.1e",
                     rule.k.size(), rule.step, rLo, rHi, rule.MaxError(rLo, rHi)));
    for (size_t j = 0; j < rule.k.size(); ++j)
        log.Info(FormatC("  k = %-12.6g w = %.6g", rule.k[j], rule.w[j]));
    return rule;
}

// CHOLMOD's OpenMP loops stay off inside a worker thread; OpenMP's limits belong to each thread.
// Readies a worker thread: no nested OpenMP, and room for the BLAS library's buffer. OpenBLAS
// waits for that allocation forever when it fails, so a thread that could not have it stops the
// run with the memory message instead.
void PrepareWorker()
{
    if (omp_set_max_active_levels)
        omp_set_max_active_levels(0);
    void* room = std::malloc(134221824);
    if (!room)
        throw CEngineError(kNotEnoughMemory);
    std::free(room);
}

// The factorisations, one task per model and wavenumber shared among the threads: for each task
// the potentials of the pairs, and a line of progress when it is done.
class CFactorisations {
public:
    CFactorisations(const CDiscretization& discretization, const std::vector<CDiscretization::COperator>& operators,
                    const CSchurSolver& solver, const CWavenumberRule& rule,
                    const std::vector<std::pair<int, int>>& pairs, const std::vector<CTask>& tasks,
                    const CEngineOptions& options, const std::string& progressPrefix, CRunLog& log)
        : m_discretization(discretization), m_operators(operators), m_solver(solver), m_rule(rule), m_pairs(pairs),
          m_tasks(tasks), m_options(options), m_prefix(progressPrefix), m_log(log), m_potentials(tasks.size()),
          m_finished(operators.size(), 0)
    {
    }

    // The potentials of every task, in task order.
    std::vector<std::vector<double>> Run(int threads)
    {
        std::vector<std::thread> pool;
        for (int j = 1; j < threads; ++j)
            pool.emplace_back([this] { Work(); });
        Work();
        for (std::thread& thread : pool)
            thread.join();
        if (m_failed)
            throw CEngineError(m_failure);
        m_log.Stage(FormatC("factorisations on %i thread%s: %.3f s in CHOLMOD, %.3f s for the potentials from the "
                            "electrode block (thread time)",
                            threads, threads > 1 ? "s" : "", m_factorSeconds, m_blockSeconds));
        return std::move(m_potentials);
    }

private:
    // One thread: tasks until none is left or one has failed.
    void Work()
    {
        try {
            PrepareWorker();
            CSchurSolver::CWorker worker(m_solver);
            std::vector<double> values;
            Eigen::MatrixXd y;
            double factoring = 0, block = 0;
            for (size_t task; !m_failed && (task = m_next++) < m_tasks.size();) {
                Solve(task, worker, values, y, factoring, block);
                Finished(m_tasks[task].model);
            }
            std::lock_guard<std::mutex> guard(m_lock);
            m_factorSeconds += factoring;
            m_blockSeconds += block;
        } catch (const std::exception& e) {
            std::lock_guard<std::mutex> guard(m_lock);
            if (!m_failed.exchange(true))
                m_failure = e.what();
        }
    }

    void Solve(size_t task, CSchurSolver::CWorker& worker, std::vector<double>& values, Eigen::MatrixXd& y,
               double& factoring, double& block)
    {
        const CDiscretization::COperator& op = m_operators[m_tasks[task].model];
        m_discretization.Values(op, m_rule.k[m_tasks[task].wavenumber], values);
        const Clock::time_point start = Clock::now();
        std::string error;
        if (!worker.Factorise(values, op.functionals, y, error))
            throw CEngineError(error);
        const Clock::time_point factored = Clock::now();
        std::vector<double>& out = m_potentials[task];
        out.resize(m_pairs.size());
        for (size_t p = 0; p < m_pairs.size(); ++p)
            out[p] = y.col(m_pairs[p].first).dot(y.col(m_pairs[p].second));
        factoring += std::chrono::duration<double>(factored - start).count();
        block += SecondsSince(factored);
    }

    void Finished(int model)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        ++m_finished[model];
        const int models = static_cast<int>(m_operators.size()), nk = static_cast<int>(m_rule.k.size());
        if (m_options.progress)
            m_log.Progress(m_prefix + (models > 1 ? FormatC("model %i of %i, wavenumber %i of %i", model + 1, models,
                                                            m_finished[model], nk)
                                                  : FormatC("wavenumber %i of %i", m_finished[model], nk)));
    }

    const CDiscretization& m_discretization;
    const std::vector<CDiscretization::COperator>& m_operators;
    const CSchurSolver& m_solver;
    const CWavenumberRule& m_rule;
    const std::vector<std::pair<int, int>>& m_pairs;
    const std::vector<CTask>& m_tasks;
    const CEngineOptions& m_options;
    const std::string m_prefix;
    CRunLog& m_log;
    std::vector<std::vector<double>> m_potentials;
    std::atomic<size_t> m_next{0};
    std::atomic<bool> m_failed{false};
    std::string m_failure;
    std::mutex m_lock;
    std::vector<int> m_finished; // tasks done per model
    double m_factorSeconds = 0, m_blockSeconds = 0;
};

bool PoleReceivers(const CSurvey& survey)
{
    bool poleReceivers = false;
    for (const CSurvey::Datum& d : survey.data)
        poleReceivers = poleReceivers || d.poleReceiver;
    return poleReceivers;
}

// The spreading length of the model: the larger of its edge columns', within 1e4 times the
// larger of the survey's extent and the mesh's depth.
double ModelSpreading(const CForwardInput& in, const std::vector<int>& air, const std::vector<int>& cells)
{
    const double span = in.survey.positions.back() - in.survey.positions.front();
    return std::min(std::max(SpreadingLength(in, air, cells, 0), SpreadingLength(in, air, cells, in.mesh.nx - 1)),
                    1e4 * std::max(span, in.mesh.zNodes.back() - in.mesh.zNodes.front()));
}

void LogMethod(const CDiscretization& discretization, CRunLog& log)
{
    log.Info(FormatC("Method: nodal 2.5D finite elements, %i unknowns, the compact fourth-order (Mehrstellen) stencil "
                     "on rectangles; electrodes inject and measure through conductivity-weighted node weights; no "
                     "current through the ground surface; the mixed condition du/dn = -k K1(kr)/K0(kr) cos(theta) u "
                     "on the sides and the bottom, r from the electrodes' centre",
                     discretization.Unknowns()));
}

void LogFactor(const CSchurSolver& solver, const CDiscretization& discretization, size_t tasks, int models,
               int wavenumbers, CRunLog& log)
{
    log.Info(FormatC("Cholesky factor: %.4g entries, %.4g flops per factorisation, %zu factorisations (%i model%s x "
                     "%i wavenumbers); %i electrodes %s",
                     solver.FactorEntries(), solver.FactorFlops(), tasks, models, models > 1 ? "s" : "", wavenumbers,
                     discretization.Electrodes(),
                     discretization.Congruent() ? "eliminated last, each as one unknown"
                                                : "and their neighbours eliminated last"));
}

// The operator of every conductivity model, its values taken per element from the mesh cells.
std::vector<CDiscretization::COperator> AssembleOperators(const CDiscretization& discretization, const CGrid& grid,
                                                          const CModels& models)
{
    std::vector<CDiscretization::COperator> operators;
    for (const auto& sigma : models.sigma) {
        std::vector<double> perElement(grid.elements.size());
        for (size_t e = 0; e < perElement.size(); ++e)
            perElement[e] = sigma[grid.elements[e].meshCell];
        operators.push_back(discretization.Assemble(perElement));
    }
    return operators;
}

std::vector<CTask> Tasks(int models, int wavenumbers)
{
    std::vector<CTask> tasks;
    for (int model = 0; model < models; ++model)
        for (int j = 0; j < wavenumbers; ++j)
            tasks.push_back({model, j});
    return tasks;
}

// The run's size once the factor is analysed; one thread per processor, at most one per task.
CRunSize MeasureRun(const CGrid& grid, const CDiscretization& discretization, const CSchurSolver& solver, size_t pairs,
                    size_t data, int models, int wavenumbers, size_t tasks, const CEngineOptions& options)
{
    CRunSize size;
    size.data = static_cast<double>(data);
    size.nodes = double(grid.Columns() + 1) * (grid.Rows() + 1);
    size.elements = static_cast<double>(grid.elements.size());
    size.entries = static_cast<double>(discretization.RowIndices().size());
    size.factorBytes = solver.WorkerBytes();
    size.analysisBytes = solver.AnalysisBytes();
    size.trailing = discretization.Trailing();
    size.electrodes = discretization.Electrodes();
    size.pairs = static_cast<double>(pairs);
    size.models = models;
    size.wavenumbers = wavenumbers;
    size.threads =
        std::clamp(options.threads > 0 ? options.threads : static_cast<int>(std::thread::hardware_concurrency()), 1,
                   static_cast<int>(tasks));
    return size;
}

// Potentials by superposition over the wavenumbers, per model and pair, summed in task order.
std::vector<std::vector<double>> Superpose(const std::vector<CTask>& tasks,
                                           const std::vector<std::vector<double>>& potentials,
                                           const CWavenumberRule& rule, int models, size_t pairs)
{
    std::vector<std::vector<double>> phi(models, std::vector<double>(pairs, 0));
    for (size_t task = 0; task < tasks.size(); ++task)
        for (size_t p = 0; p < pairs; ++p)
            phi[tasks[task].model][p] += rule.w[tasks[task].wavenumber] * potentials[task][p];
    return phi;
}

// V/I of a datum from the potentials of one model.
double Voltage(const std::vector<double>& model, const CSurvey::Datum& d, const CGrid& grid,
               const std::vector<std::pair<int, int>>& pairs)
{
    const auto& e = grid.electrodeOfPosition;
    auto at = [&](int p, int q) {
        const std::pair<int, int> key{std::min(e[p], e[q]), std::max(e[p], e[q])};
        return model[std::lower_bound(pairs.begin(), pairs.end(), key) - pairs.begin()];
    };
    const int current[] = {d.ia, d.ib}, potential[] = {d.im, d.in};
    double v = 0;
    for (const CPairTerm& t : PairTerms(d.poleSource, d.poleReceiver))
        v += t.sign * at(current[t.current], potential[t.potential]);
    return v;
}

} // namespace

// What every grid of a run shares: the air, the cells whose values hold, the conductivity models
// and how far the current spreads.
struct CRunModel {
    std::vector<int> air, cells;
    bool poleReceivers = false;
    double spreading = 0;
    CModels models;
};

namespace {

CRunModel PrepareRun(const CForwardInput& in, CRunLog& log)
{
    CRunModel run;
    run.air = AirCells(in, log);
    CheckModel(in, run.air, log);
    run.cells = EffectiveCells(in.mesh, run.air);
    run.poleReceivers = PoleReceivers(in.survey);
    run.spreading = ModelSpreading(in, run.air, run.cells);
    run.models = ConductivityModels(in, run.cells);
    return run;
}

// The data of every datum: V/I, the apparent resistivity and for IP and IPL the apparent
// chargeability, from V/I on each conductivity model.
void FormData(const CForwardInput& in, const std::vector<std::vector<double>>& voltage, double eps,
              CForwardResult& result)
{
    const bool charged = voltage.size() > 1;
    for (size_t j = 0; j < in.survey.data.size(); ++j) {
        const double v = voltage[0][j];
        result.voltage.push_back(v);
        result.apparentResistivity.push_back(CSurvey::GeometricFactor(in.survey.data[j]) * v);
        if (in.job.type != EForwardType::dc)
            result.apparentChargeability.push_back(
                ApparentChargeability(in.job.type, v, charged ? voltage[1][j] : v, eps));
    }
}

} // namespace

double ApparentChargeability(EForwardType type, double v, double vc, double eps)
{
    if (type == EForwardType::dcIp)
        return (vc - v) / vc;
    // Seigel's formula for the chargeability eps eta, divided by eps: the linearised form to first
    // order in eps, and exact for a uniform chargeability.
    return eps > 0 ? (vc - v) / (eps * vc) : 0.0;
}

CGridData SolveOnGrid(const CForwardInput& in, const CRunModel& run, const CGridLevel& level,
                      const CEngineOptions& options, CRunLog& log, const std::string& progressPrefix)
{
    const Clock::time_point start = Clock::now();
    CEngineOptions gridOptions = options;
    gridOptions.grid.scale *= level.scale;
    const CGrid grid =
        MakeGrid(in, run.air, run.models.sigma, run.poleReceivers, run.spreading, level.far, gridOptions, log);
    const std::vector<std::pair<int, int>> pairs = ElectrodePairs(in.survey, grid);
    const CPairSpan span = PairSpan(grid, pairs);
    CWavenumberRule rule = ChooseWavenumbers(span, run.poleReceivers ? run.spreading : 0, options.accuracy <= 0, log);
    if (level.ruleCheck)
        rule = rule.CheckAdditions();
    const int nk = static_cast<int>(rule.k.size());
    const int modelCount = static_cast<int>(run.models.sigma.size());
    const CDiscretization discretization(grid);
    LogMethod(discretization, log);
    const std::vector<CDiscretization::COperator> operators = AssembleOperators(discretization, grid, run.models);
    log.Stage("grid, wavenumbers and operators");

    const CSchurSolver solver(discretization.ColumnStarts(), discretization.RowIndices(), discretization.Ordering(),
                              discretization.Trailing());
    const std::vector<CTask> tasks = Tasks(modelCount, nk);
    CRunSize size = MeasureRun(grid, discretization, solver, pairs.size(), in.survey.data.size(), modelCount, nk,
                               tasks.size(), options);
    LogFactor(solver, discretization, tasks.size(), modelCount, nk, log);
    const double needed = CheckMemory(size, options, log, true);
    log.Stage("ordering and analysis");

    const Clock::time_point algebraStart = Clock::now();
    const std::vector<std::vector<double>> potentials =
        CFactorisations(discretization, operators, solver, rule, pairs, tasks, options, progressPrefix, log)
            .Run(size.threads);
    CGridData data;
    data.algebraSeconds = SecondsSince(algebraStart);
    data.memoryBytes = needed;
    data.wavenumbers = nk;
    data.unknowns = discretization.Unknowns();
    data.columns = grid.Columns();
    data.rows = grid.Rows();
    const int stride = grid.Columns() + 1;
    data.spanColumns = grid.electrodeNodes.back() % stride - grid.electrodeNodes.front() % stride;
    data.nearestCells = span.rLo / span.cell;
    data.eps = run.models.eps;
    for (const std::vector<double>& phi : Superpose(tasks, potentials, rule, modelCount, pairs.size())) {
        std::vector<double>& v = data.voltage.emplace_back();
        for (const CSurvey::Datum& d : in.survey.data)
            v.push_back(Voltage(phi, d, grid, pairs));
    }
    data.seconds = SecondsSince(start);
    return data;
}

namespace {

// A datum's potential below this part of its terms' counts as zero: what is left is rounding.
constexpr double kZeroPotential = 1e-9;

// Each datum as a combination of unit currents and one of potential electrodes; a pole has one
// electrode.
CDiscretization::CDerivativeData DerivativeData(const CSurvey& survey, const CGrid& grid)
{
    CDiscretization::CDerivativeData d;
    std::map<CDiscretization::CCombination, int> index;
    auto combination = [&](int p, int q, bool pole) {
        CDiscretization::CCombination c{{grid.electrodeOfPosition[p], 1.0}};
        if (!pole)
            c.emplace_back(grid.electrodeOfPosition[q], -1.0);
        const auto [at, added] = index.emplace(c, static_cast<int>(d.combinations.size()));
        if (added)
            d.combinations.push_back(c);
        return at->second;
    };
    for (const CSurvey::Datum& datum : survey.data)
        d.data.emplace_back(combination(datum.ia, datum.ib, datum.poleSource),
                            combination(datum.im, datum.in, datum.poleReceiver));
    return d;
}

// Per datum of d, summed over the wavenumbers of the first grid: dV / d ln sigma of every mesh
// cell, or d ln V / d ln sigma when relative ([cell * data + datum]), V itself and the size of
// its terms. The fields of every electrode come from one factorisation and one backward solve
// per wavenumber. Without a survey, d holds every pair of the survey's electrodes as pole-pole
// data.
struct CDerivativeSums {
    int data = 0, cells = 0;
    CZeroedFloats values;
    std::vector<double> voltage, magnitude;
    std::vector<int> zeroData; // from 1: the data left at 0, when relative
    size_t wavenumbers = 0;
};

CDerivativeSums DerivativesOnGrid(const CForwardInput& in, const CRunModel& run, const CEngineOptions& options,
                                  CRunLog& log, bool everyPair, bool relative)
{
    const std::vector<double>& sigma = run.models.sigma[0];
    // Graded toward the contrasts of every model, as the data's grid is.
    const CGrid grid = MakeGrid(in, run.air, run.models.sigma, run.poleReceivers, run.spreading, 1, options, log, true);
    std::vector<std::pair<int, int>> pairs = ElectrodePairs(in.survey, grid);
    CDiscretization::CDerivativeData d;
    if (everyPair) {
        const int positions = static_cast<int>(in.survey.positions.size());
        for (int p = 0; p < positions; ++p)
            d.combinations.push_back({{grid.electrodeOfPosition[p], 1.0}});
        for (int p = 0; p < positions; ++p)
            for (int q = p + 1; q < positions; ++q) {
                const int a = grid.electrodeOfPosition[p], b = grid.electrodeOfPosition[q];
                if (a == b)
                    throw CEngineError(FormatC("The electrodes at x = %g and x = %g are too close together to be told "
                                               "apart.",
                                               in.survey.positions[p], in.survey.positions[q]));
                d.data.emplace_back(p, q);
                pairs.push_back({std::min(a, b), std::max(a, b)});
            }
    } else {
        d = DerivativeData(in.survey, grid);
    }
    const CWavenumberRule rule = ChooseWavenumbers(PairSpan(grid, pairs), run.poleReceivers ? run.spreading : 0, false,
                                                   log, CWavenumberRule::kSensitivityStep);
    const CDiscretization discretization(grid);
    std::vector<double> perElement(grid.elements.size());
    for (size_t e = 0; e < perElement.size(); ++e)
        perElement[e] = sigma[grid.elements[e].meshCell];
    const CDiscretization::COperator op = discretization.Assemble(perElement);

    CDerivativeSums result;
    result.data = static_cast<int>(d.data.size());
    result.cells = in.mesh.nx * in.mesh.nz;
    result.wavenumbers = rule.k.size();
    const int n = discretization.Unknowns(), electrodes = discretization.Electrodes();
    const int nk = static_cast<int>(rule.k.size());
    const CSchurSolver solver(discretization.ColumnStarts(), discretization.RowIndices(), discretization.Ordering(),
                              discretization.Trailing());

    // The fields of every combination at every wavenumber are held (as floats) while the cells
    // are swept once; where the budget cannot hold them all, they come in batches of
    // wavenumbers, each batch a sweep. A worker holds a factor and its electrodes' fields.
    const double tableBytes = 4.0 * result.cells * result.data;
    const double fieldBytes = 4.0 * n * d.combinations.size();
    const double shared = tableBytes + 8.0 * 3 * discretization.RowIndices().size() + solver.AnalysisBytes() +
                          90.0 * grid.elements.size();
    const double perThread = solver.WorkerBytes() + 8.0 * n * electrodes * 2;
    int batch = nk;
    while (batch > 1 && ThreadsThatFit(1, shared + batch * fieldBytes, perThread, options) == 0)
        batch = std::max(1, batch / 2);
    if (ThreadsThatFit(1, shared + batch * fieldBytes, perThread, options) == 0) {
        const double needed = RunBytes(shared + fieldBytes, perThread, 1);
        if (options.addressSpace > 0 && needed + kThreadBytes > options.addressSpace)
            throw CEngineError(FormatC("The sensitivities need about %s of address space, more than the %s this "
                                       "run may map.",
                                       Bytes(needed + kThreadBytes).c_str(), Bytes(options.addressSpace).c_str()));
        throw CEngineError(FormatC("The sensitivities need about %s, more than the %s this run may use.",
                                   Bytes(needed).c_str(), Bytes(options.memoryBudget).c_str()));
    }
    const int wanted = options.threads > 0 ? options.threads : static_cast<int>(std::thread::hardware_concurrency());
    const int threads = ThreadsThatFit(std::clamp(wanted, 1, nk), shared + batch * fieldBytes, perThread, options);
    log.Info("Memory for the sensitivities: about " + Bytes(RunBytes(shared + batch * fieldBytes, perThread, threads)) +
             " needed");
    if (batch < nk)
        log.Info(FormatC("The fields of %i wavenumbers at a time fit in the memory: the cells are swept %i times.",
                         batch, (nk + batch - 1) / batch));

    result.values.resize(static_cast<size_t>(result.cells) * result.data);
    // Each combination as a column of electrode coefficients.
    const bool combineFirst = d.combinations.size() < static_cast<size_t>(electrodes);
    Eigen::MatrixXd combinationMatrix;
    if (combineFirst) {
        combinationMatrix.setZero(electrodes, static_cast<int>(d.combinations.size()));
        for (size_t c = 0; c < d.combinations.size(); ++c)
            for (const auto& [electrode, coefficient] : d.combinations[c])
                combinationMatrix(electrode, static_cast<int>(c)) += coefficient;
    }
    // Per thread the data's potentials, the size of their terms and the fields on the
    // electrodes' neighbourhoods, summed in thread order so that a run is reproducible for its
    // number of threads.
    std::vector<std::vector<double>> voltages(threads, std::vector<double>(d.data.size(), 0.0)),
        magnitudes(threads, std::vector<double>(d.data.size(), 0.0));
    std::vector<std::vector<Eigen::MatrixXd>> neighbourhoods(threads);
    std::vector<std::string> failures(threads);
    auto onThreads = [&](const std::function<void(int)>& work) {
        std::vector<std::thread> pool;
        for (int t = 1; t < threads; ++t)
            pool.emplace_back(work, t);
        work(0);
        for (std::thread& thread : pool)
            thread.join();
        for (const std::string& failure : failures)
            if (!failure.empty())
                throw CEngineError(failure);
    };
    std::atomic<int> done{0};
    std::mutex progress;
    // One block for every wavenumber's fields of a batch, so that few (huge) pages are faulted in.
    const size_t fieldSize = d.combinations.size() * static_cast<size_t>(n);
    CZeroedFloats fieldStore(fieldSize * batch);
    std::vector<const float*> fields;
    for (int first = 0; first < nk; first += batch) {
        const int last = std::min(nk, first + batch);
        fields.clear();
        for (int j = first; j < last; ++j)
            fields.push_back(fieldStore.data() + (j - first) * fieldSize);
        onThreads([&](int t) {
            try {
                PrepareWorker();
                CSchurSolver::CWorker worker(solver);
                std::vector<double> values;
                Eigen::MatrixXd y, electrodeFields;
                for (int j = first + t; j < last; j += threads) {
                    discretization.Values(op, rule.k[j], values);
                    std::string error;
                    if (!worker.Factorise(values, op.functionals, y, error))
                        throw CEngineError(error);
                    // The trailing unknowns carry the weights (or, with the congruence, each
                    // electrode is one), and are eliminated last. The backward solve costs as
                    // many right-hand sides as it has: the combinations' own where they are fewer
                    // than the electrodes.
                    if (combineFirst)
                        worker.FieldsOfTrailing(y * combinationMatrix, electrodeFields);
                    else
                        worker.FieldsOfTrailing(y, electrodeFields);
                    if (discretization.Congruent())
                        discretization.UndoCongruence(op, electrodeFields);
                    discretization.CombinationFields(electrodeFields, combineFirst, d, rule.w[j], neighbourhoods[t],
                                                     fieldStore.data() + (j - first) * fieldSize);
                    const Eigen::MatrixXd potentials = y.transpose() * y;
                    for (size_t i = 0; i < d.data.size(); ++i)
                        for (const auto& [a, ca] : d.combinations[d.data[i].first])
                            for (const auto& [m, cm] : d.combinations[d.data[i].second]) {
                                voltages[t][i] += rule.w[j] * ca * cm * potentials(a, m);
                                magnitudes[t][i] += rule.w[j] * std::fabs(potentials(a, m));
                            }
                    if (options.progress) {
                        std::lock_guard<std::mutex> guard(progress);
                        log.Progress(FormatC("sensitivities, wavenumber %i of %i", ++done, nk));
                    }
                }
            } catch (const std::exception& e) {
                failures[t] = e.what();
            }
        });
        const std::vector<double> k(rule.k.begin() + first, rule.k.begin() + last),
            w(rule.w.begin() + first, rule.w.begin() + last);
        onThreads([&](int t) {
            try {
                discretization.AddDerivatives(k, w, fields, d, t, threads, result.values);
            } catch (const std::exception& e) {
                failures[t] = e.what();
            }
        });
    }
    result.voltage = std::move(voltages[0]);
    result.magnitude = std::move(magnitudes[0]);
    for (int t = 1; t < threads; ++t) {
        for (size_t i = 0; i < result.voltage.size(); ++i) {
            result.voltage[i] += voltages[t][i];
            result.magnitude[i] += magnitudes[t][i];
        }
        for (size_t e = 0; e < neighbourhoods[t].size(); ++e)
            neighbourhoods[0][e] += neighbourhoods[t][e];
    }
    discretization.AddWeightDerivatives(perElement, neighbourhoods[0], d, result.values);
    // d V / d ln sigma, or when relative d ln V / d ln sigma. A datum whose terms cancel on this
    // earth (a pole receiver midway between A and B on flat ground) has no relative sensitivity:
    // its row is left at 0.
    std::vector<double> scale(result.data, 1.0);
    for (int i = 0; relative && i < result.data; ++i) {
        if (std::fabs(result.voltage[i]) > kZeroPotential * result.magnitude[i])
            scale[i] = 1 / result.voltage[i];
        else
            result.zeroData.push_back(i + 1), scale[i] = 0;
    }
    onThreads([&](int t) {
        for (int c = t; c < result.cells; c += threads)
            for (int i = 0; i < result.data; ++i)
                result.values[static_cast<size_t>(c) * result.data + i] *= static_cast<float>(sigma[c] * scale[i]);
    });
    return result;
}

CSensitivities SensitivitiesOnGrid(const CForwardInput& in, const CRunModel& run, const CEngineOptions& options,
                                   CRunLog& log)
{
    const Clock::time_point start = Clock::now();
    CDerivativeSums sums = DerivativesOnGrid(in, run, options, log, false, true);
    CSensitivities result;
    result.data = sums.data;
    result.cells = sums.cells;
    result.values = std::move(sums.values);
    const std::vector<int>& zero = sums.zeroData;
    if (zero.size() == 1)
        log.Warning(
            FormatC("The sensitivities of datum %i are left at 0: its potential is zero on this earth.", zero.front()));
    else if (zero.size() > 1)
        log.Warning(FormatC("The sensitivities of %zu data are left at 0: their potential is zero on this earth "
                            "(the first: datum %i).",
                            zero.size(), zero.front()));
    result.seconds = SecondsSince(start);
    log.Stage(FormatC("sensitivities of %i data to %i cells on the first grid, %zu wavenumbers", result.data,
                      result.cells, sums.wavenumbers));
    return result;
}

} // namespace

CForwardResult ComputeData(const CForwardInput& in, CRunLog& log, const CEngineOptions& options)
{
    if (openblas_set_num_threads)
        openblas_set_num_threads(1);
    const CRunModel run = PrepareRun(in, log);
    CGridData data = SolveOnGrid(in, run, CGridLevel{}, options, log, "");
    log.Stage("data");
    CForwardResult result;
    if (options.accuracy > 0)
        data = EstimateAccuracy(in, run, std::move(data), options, log, result.estimate);
    result.algebraSeconds = data.algebraSeconds;
    result.wavenumbers = data.wavenumbers;
    result.unknowns = data.unknowns;
    FormData(in, data.voltage, data.eps, result);
    if (options.sensitivities)
        result.sensitivities = SensitivitiesOnGrid(in, run, options, log);
    return result;
}

CPolePoleSensitivities PolePoleSensitivities(const CForwardInput& in, CRunLog& log, const CEngineOptions& options)
{
    if (openblas_set_num_threads)
        openblas_set_num_threads(1);
    const CRunModel run = PrepareRun(in, log);
    CDerivativeSums sums = DerivativesOnGrid(in, run, options, log, true, false);
    CPolePoleSensitivities result;
    result.electrodes = static_cast<int>(in.survey.positions.size());
    result.cells = sums.cells;
    result.values = std::move(sums.values);
    result.potential = std::move(sums.voltage);
    result.magnitude = std::move(sums.magnitude);
    log.Stage(FormatC("sensitivities of the %i pairs of %i electrodes to %i cells, %zu wavenumbers",
                      static_cast<int>(result.potential.size()), result.electrodes, result.cells, sums.wavenumbers));
    return result;
}
