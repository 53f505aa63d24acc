#include "engine/ForwardModel.h"

#include "engine/Discretization.h"
#include "engine/ElectrodePlacement.h"
#include "engine/EngineError.h"
#include "engine/Grid.h"
#include "engine/RunLog.h"
#include "engine/SchurSolver.h"
#include "engine/WavenumberRule.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>

// OpenBLAS, when it is the BLAS, must not start threads of its own inside the workers' threads.
extern "C" void openblas_set_num_threads(int) __attribute__((weak));
// Nor CHOLMOD's OpenMP loops: the workers already keep every processor busy.
extern "C" void omp_set_max_active_levels(int) __attribute__((weak));

namespace {

std::string CellName(const CMesh& mesh, int cell)
{
    const int i = cell % mesh.nx, k = cell / mesh.nx;
    return FormatC("the cell in column %i, row %i (x %g to %g, depth %g to %g)", i + 1, k + 1, mesh.xNodes[i],
                   mesh.xNodes[i + 1], mesh.zNodes[k], mesh.zNodes[k + 1]);
}

bool IsAir(const CForwardInput& in, int cell)
{
    return cell / in.mesh.nx < in.airPerColumn[cell % in.mesh.nx];
}

// Refuses what the method cannot take and warns about what looks like a mistake.
void CheckModel(const CForwardInput& in, CRunLog& log)
{
    const CMesh& mesh = in.mesh;
    const int cells = mesh.nx * mesh.nz;
    int airValued = 0, negative = 0;
    for (int c = 0; c < cells; ++c) {
        if (IsAir(in, c))
            continue;
        const double sigma = in.conductivity[c];
        if (!(sigma > 0) || !std::isfinite(sigma))
            throw CEngineError(FormatC("The conductivity file %s gives %s a conductivity of %g S/m; conductivities "
                                       "must be positive numbers.",
                                       in.job.conductivityFile.c_str(), CellName(mesh, c).c_str(), sigma));
        if (sigma <= 1.000001e-8)
            ++airValued;
        if (in.job.type == CForwardJob::dc)
            continue;
        const double eta = in.chargeability[c];
        if (!std::isfinite(eta))
            throw CEngineError(FormatC("The chargeability file %s gives %s a chargeability that is not a number.",
                                       in.job.chargeabilityFile.c_str(), CellName(mesh, c).c_str()));
        if (in.job.type == CForwardJob::ip && eta >= 1)
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

// One factorisation: a conductivity model at one wavenumber.
struct CTask {
    int model;
    int wavenumber;
};

} // namespace

CForwardResult ComputeData(const CForwardInput& in, CRunLog& log, const CEngineOptions& options)
{
    using Clock = std::chrono::steady_clock;
    if (openblas_set_num_threads)
        openblas_set_num_threads(1);
    const CMesh& mesh = in.mesh;
    const CSurvey& survey = in.survey;
    CheckModel(in, log);
    const CElectrodePlacement electrodes = PlaceElectrodes(mesh, in.airPerColumn, survey.positions, log);

    // The potentials the data need, as pairs of electrodes.
    std::vector<std::pair<int, int>> pairs;
    for (auto [p, q] : survey.Pairs()) {
        int a = electrodes.ofPosition[p], b = electrodes.ofPosition[q];
        if (a == b)
            throw CEngineError(FormatC("The electrodes at x = %g and x = %g fall on the same mesh node; the mesh is "
                                       "too coarse for this survey.",
                                       survey.positions[p], survey.positions[q]));
        pairs.push_back({std::min(a, b), std::max(a, b)});
    }
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    auto pairIndex = [&pairs](int a, int b) {
        const std::pair<int, int> key{std::min(a, b), std::max(a, b)};
        return static_cast<size_t>(std::lower_bound(pairs.begin(), pairs.end(), key) - pairs.begin());
    };

    const CGrid::Options& gridOptions = options.grid;
    const CGrid grid(mesh, in.airPerColumn, electrodes.columns, electrodes.rows, gridOptions);
    log.Info(FormatC("Grid: %i x %i cells from the mesh's %i x %i: mesh cells far from the electrodes cut so that "
                     "sizes grow by at most %g of the distance; %i cells growing by %g added on both sides and "
                     "%i growing by %g below (x %g to %g, depth to %g)",
                     grid.Columns(), grid.Rows(), mesh.nx, mesh.nz, gridOptions.growth, gridOptions.extraColumns,
                     gridOptions.extraColumnRatio, gridOptions.extraRows, gridOptions.extraRowRatio, grid.x.front(),
                     grid.x.back(), grid.z.back()));

    // Wavenumbers for the distances between the electrodes of the pairs.
    const int stride = grid.Columns() + 1;
    double rLo = HUGE_VAL, rHi = 0;
    for (auto [a, b] : pairs) {
        const int na = grid.electrodeNodes[a], nb = grid.electrodeNodes[b];
        const double r = std::hypot(grid.x[na % stride] - grid.x[nb % stride], grid.z[na / stride] - grid.z[nb / stride]);
        rLo = std::min(rLo, r);
        rHi = std::max(rHi, r);
    }
    double cell = 0; // the widest cell beside an electrode
    for (int node : grid.electrodeNodes) {
        const int i = node % stride;
        cell = std::max(cell, 0.5 * (grid.x[std::min(i + 1, grid.Columns())] - grid.x[std::max(i - 1, 0)]));
    }
    if (rLo < 2.99 * cell)
        log.Warning(FormatC("The nearest electrodes are only %.3g cells apart; with fewer than three cells between "
                            "electrodes, expect errors of a percent or more in the data nearest the sources.",
                            rLo / cell));
    const CWavenumberRule rule = CWavenumberRule::Design(rLo, rHi);
    const int nk = static_cast<int>(rule.k.size());

    const CDiscretization discretization(grid);
    log.Info(FormatC("Method: nodal 2.5D finite elements with the compact fourth-order (Mehrstellen) stencil on "
                     "the grid, %i unknowns; electrodes inject and measure through conductivity-weighted node "
                     "weights; no current through the ground surface and air cells; the mixed condition "
                     "du/dn = -k K1(kr)/K0(kr) cos(theta) u on the sides and the bottom, r from the electrodes' "
                     "centre",
                     discretization.Unknowns()));
    log.Info(FormatC("Wavenumbers: %i, trapezoidal in ln k with step %g for electrode distances %g to %g, logarithmic "
                     "below the smallest; largest error of sum w K0(k r) against 1/(2r) there: %.1e",
                     nk, rule.step, rLo, rHi, rule.MaxError(rLo, rHi)));
    for (int j = 0; j < nk; ++j)
        log.Info(FormatC("  k = %-12.6g w = %.6g", rule.k[j], rule.w[j]));

    // The conductivity models to solve: sigma; for IP also sigma (1 - eta); for IPL
    // sigma (1 - eps eta), whose difference from sigma is the derivative of the potentials along
    // -sigma eta. eps max|eta| = 1e-5 keeps both the neglected second-order term and the
    // rounding of the difference near 1e-5 of the result.
    const int cells = grid.Columns() * grid.Rows();
    double maxEta = 0;
    if (in.job.type != CForwardJob::dc)
        for (int c = 0; c < mesh.nx * mesh.nz; ++c)
            if (!IsAir(in, c))
                maxEta = std::max(maxEta, std::fabs(in.chargeability[c]));
    const double eps = maxEta > 0 ? 1e-5 / maxEta : 0;
    std::vector<double> factors{0};
    if (in.job.type == CForwardJob::ip)
        factors.push_back(1);
    else if (in.job.type == CForwardJob::ipl && maxEta > 0)
        factors.push_back(eps);
    std::vector<std::vector<double>> sigmas(factors.size(), std::vector<double>(cells, 0));
    for (int c = 0; c < cells; ++c) {
        if (!grid.ground[c])
            continue;
        const int meshCell = grid.MeshCell(c);
        for (size_t m = 0; m < factors.size(); ++m) {
            const double eta = m == 0 ? 0 : in.chargeability[meshCell];
            sigmas[m][c] = in.conductivity[meshCell] * (1 - factors[m] * eta);
        }
    }
    std::vector<CDiscretization::COperator> operators;
    for (const auto& sigma : sigmas)
        operators.push_back(discretization.Assemble(sigma));
    log.Stage("grid, wavenumbers and operators");

    const CSchurSolver solver(discretization.ColumnStarts(), discretization.RowIndices(), discretization.Ordering(),
                              discretization.Trailing());
    log.Info(FormatC("Cholesky factor: %.4g entries, %.4g flops per factorisation, %i factorisations (%zu model%s x "
                     "%i wavenumbers); electrodes %s",
                     solver.FactorEntries(), solver.FactorFlops(), static_cast<int>(factors.size()) * nk,
                     factors.size(), factors.size() > 1 ? "s" : "", nk,
                     discretization.Congruent() ? "eliminated last, each as one unknown"
                                                : "and their neighbours eliminated last"));
    log.Stage("ordering and analysis");

    // Factorisations, one task per model and wavenumber, on every processor.
    std::vector<CTask> tasks;
    for (int m = 0; m < static_cast<int>(factors.size()); ++m)
        for (int j = 0; j < nk; ++j)
            tasks.push_back({m, j});
    std::vector<std::vector<double>> potentials(tasks.size());
    int threads = options.threads > 0 ? options.threads : static_cast<int>(std::thread::hardware_concurrency());
    threads = std::clamp(threads, 1, static_cast<int>(tasks.size()));
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    std::string failure;
    std::mutex failureLock;
    const Clock::time_point algebraStart = Clock::now();
    auto work = [&]() {
        try {
            // OpenMP's limits belong to each thread.
            if (omp_set_max_active_levels)
                omp_set_max_active_levels(0);
            CSchurSolver::CWorker worker(solver);
            std::vector<double> values;
            Eigen::MatrixXd y;
            std::string error;
            for (size_t t; !failed && (t = next++) < tasks.size();) {
                const CDiscretization::COperator& op = operators[tasks[t].model];
                discretization.Values(op, rule.k[tasks[t].wavenumber], values);
                if (!worker.Factorise(values, op.functionals, y, error))
                    throw CEngineError(error);
                std::vector<double>& out = potentials[t];
                out.resize(pairs.size());
                for (size_t p = 0; p < pairs.size(); ++p)
                    out[p] = y.col(pairs[p].first).dot(y.col(pairs[p].second));
            }
        } catch (const std::exception& e) {
            std::lock_guard<std::mutex> lock(failureLock);
            if (!failed.exchange(true))
                failure = e.what();
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t)
        pool.emplace_back(work);
    work();
    for (std::thread& thread : pool)
        thread.join();
    if (failed)
        throw CEngineError(failure);
    CForwardResult result;
    result.algebraSeconds = std::chrono::duration<double>(Clock::now() - algebraStart).count();
    result.wavenumbers = nk;
    result.unknowns = discretization.Unknowns();
    log.Stage(FormatC("factorisations on %i thread%s", threads, threads > 1 ? "s" : ""));

    // Potentials by superposition over the wavenumbers, then the data.
    std::vector<std::vector<double>> phi(factors.size(), std::vector<double>(pairs.size(), 0));
    for (size_t t = 0; t < tasks.size(); ++t)
        for (size_t p = 0; p < pairs.size(); ++p)
            phi[tasks[t].model][p] += rule.w[tasks[t].wavenumber] * potentials[t][p];
    auto voltage = [&](const std::vector<double>& model, const CSurvey::Datum& d) {
        const auto& e = electrodes.ofPosition;
        double v = model[pairIndex(e[d.ia], e[d.im])];
        if (!d.poleReceiver)
            v -= model[pairIndex(e[d.ia], e[d.in])];
        if (!d.poleSource) {
            v -= model[pairIndex(e[d.ib], e[d.im])];
            if (!d.poleReceiver)
                v += model[pairIndex(e[d.ib], e[d.in])];
        }
        return v;
    };
    for (const CSurvey::Datum& d : survey.data) {
        const double v = voltage(phi[0], d);
        result.voltage.push_back(v);
        result.apparentResistivity.push_back(CSurvey::GeometricFactor(d) * v);
        if (in.job.type == CForwardJob::ip) {
            const double charged = voltage(phi[1], d);
            result.apparentChargeability.push_back((charged - v) / charged);
        } else if (in.job.type == CForwardJob::ipl) {
            // Seigel's formula for the chargeability eps eta, divided by eps: the linearised form
            // to first order in eps, and exact for a uniform chargeability.
            const double charged = factors.size() > 1 ? voltage(phi[1], d) : v;
            result.apparentChargeability.push_back(factors.size() > 1 ? (charged - v) / (eps * charged) : 0.0);
        }
    }
    log.Stage("data");
    return result;
}
