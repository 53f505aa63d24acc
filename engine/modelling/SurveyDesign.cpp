#include "engine/modelling/SurveyDesign.h"

#include "engine/general/EngineError.h"
#include "engine/general/RunLog.h"
#include "engine/modelling/ForwardModel.h"
#include "formats/Limits.h"
#include "formats/LocationsFile.h"
#include "formats/ProtocolFile.h"
#include "platform/FileException.h"
#include "platform/StdioFile.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <numeric>

namespace {

// The damping, as a part of the median squared row of the candidates: enough to keep the
// resolution of blocks no set sees near 0, small enough that the blocks a set sees count.
constexpr double kDamping = 0.01;
// How the parameter blocks grow with depth: the first as thick as half a spacing, each next one
// thicker by this factor, as inversion programs lay out their blocks.
constexpr double kLayerGrowth = 1.15;

// The pole-pole terms of a configuration: pair index and sign.
struct CTerms {
    std::array<uint32_t, 4> pair{};
    std::array<double, 4> sign{};
    int count = 0;
};

CTerms TermsOf(const CConfiguration& c, int electrodes)
{
    CTerms t;
    const int current[] = {c.a, c.b}, potential[] = {c.m, c.n};
    for (const CPairTerm& term : PairTerms(c.b < 0, c.n < 0)) {
        t.pair[t.count] = static_cast<uint32_t>(
            CPolePoleSensitivities::Pair(current[term.current], potential[term.potential], electrodes));
        t.sign[t.count++] = term.sign;
    }
    return t;
}

// The block of every mesh cell in the section, -1 for the others and the air: columns a spacing
// wide from x1, layers growing with the depth below the column's ground.
std::vector<int> ParameterBlocks(const CForwardInput& in, const CForwardJob::CDesign& d, int& count)
{
    const CMesh& mesh = in.mesh;
    const int columns = std::max(1, static_cast<int>(std::ceil((d.x2 - d.x1) / d.spacing - 1e-9)));
    std::vector<double> layers{0};
    const double deepest = d.z2 - mesh.zNodes.front();
    for (double thickness = d.spacing / 2; layers.back() < deepest; thickness *= kLayerGrowth)
        layers.push_back(layers.back() + thickness);
    std::vector<int> block(static_cast<size_t>(mesh.nx) * mesh.nz, -1), number;
    for (int i = 0; i < mesh.nx; ++i) {
        const double x = 0.5 * (mesh.xNodes[i] + mesh.xNodes[i + 1]);
        if (x < d.x1 || x > d.x2)
            continue;
        const int column = std::min(columns - 1, static_cast<int>((x - d.x1) / d.spacing));
        const int air = in.airPerColumn.empty() ? 0 : std::min(in.airPerColumn[i], mesh.nz);
        for (int k = air; k < mesh.nz; ++k) {
            const double z = 0.5 * (mesh.zNodes[k] + mesh.zNodes[k + 1]);
            if (z < d.z1 || z > d.z2)
                continue;
            const int layer = static_cast<int>(std::upper_bound(layers.begin(), layers.end(), z - mesh.zNodes[air]) -
                                               layers.begin()) -
                              1;
            block[static_cast<size_t>(k) * mesh.nx + i] = layer * columns + column;
        }
    }
    // Numbered in the order of their first cell; blocks without a cell are no parameter.
    std::vector<int> renumber(static_cast<size_t>(columns) * layers.size(), -1);
    count = 0;
    for (int& b : block)
        if (b >= 0) {
            if (renumber[b] < 0)
                renumber[b] = count++;
            b = renumber[b];
        }
    return block;
}

// The electrode numbers of the positions, as a protocol with these electrodes numbers them.
std::vector<int> ElectrodeNumbers(const std::vector<double>& positions, const CForwardJob::CDesign& d)
{
    std::vector<int> numbers;
    for (double x : positions) {
        const double k = std::round((x - d.x1) / d.spacing);
        if (k < 0 || k >= kMaxProtocolElectrode || std::fabs(x - (d.x1 + k * d.spacing)) > 1e-6 * d.spacing)
            throw CEngineError(FormatC("The electrode at x = %g is not one of the design's electrodes, which lie at "
                                       "x = %g + k %g.",
                                       x, d.x1, d.spacing));
        numbers.push_back(static_cast<int>(k) + 1);
    }
    return numbers;
}

// The diagonal of (G'G + lambda I)^-1 for G'G given.
Eigen::VectorXd InverseDiagonal(Eigen::MatrixXd normal, double lambda)
{
    normal.diagonal().array() += lambda;
    const Eigen::LLT<Eigen::MatrixXd> llt(normal);
    if (llt.info() != Eigen::Success)
        throw CEngineError("The resolution of the survey design could not be computed.");
    const Eigen::MatrixXd inverseL = llt.matrixL().solve(Eigen::MatrixXd::Identity(normal.rows(), normal.cols()));
    return inverseL.colwise().squaredNorm().transpose();
}

std::vector<double> ResolutionOf(const Eigen::VectorXd& inverseDiagonal, double lambda)
{
    std::vector<double> r(inverseDiagonal.size());
    for (Eigen::Index j = 0; j < inverseDiagonal.size(); ++j)
        r[j] = 1 - lambda * inverseDiagonal[j];
    return r;
}

// G'G of a whole candidate set, through the pairs: S' (sum over c of t_c t_c' / V_c^2) S with t_c
// the configuration's signs on its pairs.
Eigen::MatrixXd NormalMatrix(const CDesignProblem& p, const std::vector<CConfiguration>& set)
{
    const Eigen::Index pairs = p.pairs.rows();
    Eigen::MatrixXd weights = Eigen::MatrixXd::Zero(pairs, pairs);
    for (const CConfiguration& c : set) {
        double v = 0;
        if (!p.Row(c, v))
            continue;
        const CTerms t = TermsOf(c, p.electrodes);
        for (int i = 0; i < t.count; ++i)
            for (int j = 0; j < t.count; ++j)
                weights(t.pair[i], t.pair[j]) += t.sign[i] * t.sign[j] / (v * v);
    }
    return p.pairs.transpose() * (weights * p.pairs);
}

// The median of the candidates' squared rows, through the pairs' Gram matrix: a few
// configurations whose terms nearly cancel on this earth have rows far above the others, and
// would set the damping for all.
double MedianSquaredRow(const CDesignProblem& p, const std::vector<CConfiguration>& set)
{
    const Eigen::MatrixXd gram = p.pairs * p.pairs.transpose();
    std::vector<double> squares;
    squares.reserve(set.size());
    for (const CConfiguration& c : set) {
        double v = 0;
        if (!p.Row(c, v))
            continue;
        const CTerms t = TermsOf(c, p.electrodes);
        double sum = 0;
        for (int i = 0; i < t.count; ++i)
            for (int j = 0; j < t.count; ++j)
                sum += t.sign[i] * t.sign[j] * gram(t.pair[i], t.pair[j]);
        squares.push_back(sum / (v * v));
    }
    if (squares.empty())
        return 0;
    std::nth_element(squares.begin(), squares.begin() + squares.size() / 2, squares.end());
    return squares[squares.size() / 2];
}

std::string Protocol(const std::vector<CConfiguration>& set, const std::vector<int>& number)
{
    CProtocolFile protocol;
    for (const CConfiguration& c : set)
        protocol.data.push_back({number[c.a], c.b < 0 ? 0 : number[c.b], number[c.m], c.n < 0 ? 0 : number[c.n], 0});
    // In the order a crew takes them: by current electrodes, then potential ones.
    std::sort(protocol.data.begin(), protocol.data.end(), [](const CProtocolDatum& l, const CProtocolDatum& r) {
        return std::tie(l.a, l.b, l.m, l.n) < std::tie(r.a, r.b, r.m, r.n);
    });
    return protocol.Format();
}

} // namespace

bool CDesignProblem::Row(const CConfiguration& c, double& v, Eigen::VectorXd* g) const
{
    const CTerms t = TermsOf(c, electrodes);
    v = 0;
    double size = 0;
    for (int i = 0; i < t.count; ++i) {
        v += t.sign[i] * potential[t.pair[i]];
        size += magnitude[t.pair[i]];
    }
    // As for the sensitivities of the data: what is left of cancelling terms is rounding.
    if (!(std::fabs(v) > 1e-9 * size))
        return false;
    if (g) {
        g->setZero(pairs.cols());
        for (int i = 0; i < t.count; ++i)
            *g += (t.sign[i] / v) * pairs.row(t.pair[i]).transpose();
    }
    return true;
}

std::vector<double> ResolutionDiagonal(const CDesignProblem& problem, const std::vector<CConfiguration>& set,
                                       double lambda)
{
    return ResolutionOf(InverseDiagonal(NormalMatrix(problem, set), lambda), lambda);
}

double AverageRelativeResolution(const std::vector<double>& r, const std::vector<double>& comprehensive)
{
    double sum = 0;
    for (size_t j = 0; j < r.size(); ++j)
        sum += comprehensive[j] > 0 ? r[j] / comprehensive[j] : 0;
    return r.empty() ? 0 : sum / static_cast<double>(r.size());
}

std::vector<int> ChooseByResolution(const CDesignProblem& problem, const std::vector<CConfiguration>& candidates,
                                    const std::vector<double>& comprehensive, int count, double lambda,
                                    const std::function<void(int)>& progress)
{
    const Eigen::Index m = problem.pairs.cols();
    const size_t n = candidates.size();
    Eigen::VectorXd w(m);
    for (Eigen::Index j = 0; j < m; ++j)
        w[j] = 1 / std::max(comprehensive[j], 1e-12);
    // Per candidate: its terms, 1/V, p = g' A^-1 g and q = g' A^-1 W A^-1 g, A = G'G + lambda I of
    // the chosen set, W = diag(w). Adding g raises sum_j w_j R_jj by lambda q / (1 + p).
    std::vector<CTerms> terms(n);
    std::vector<double> inverseV(n), p(n), q(n);
    std::vector<char> open(n, 1);
    Eigen::VectorXd g;
    for (size_t c = 0; c < n; ++c) {
        double v = 0;
        if (!problem.Row(candidates[c], v, &g)) {
            open[c] = 0;
            continue;
        }
        terms[c] = TermsOf(candidates[c], problem.electrodes);
        inverseV[c] = 1 / v;
        p[c] = g.squaredNorm() / lambda;
        q[c] = (w.array() * g.array().square()).sum() / (lambda * lambda);
    }
    Eigen::MatrixXd inverse = Eigen::MatrixXd::Identity(m, m) / lambda;
    std::vector<int> chosen;
    Eigen::VectorXd along(problem.pairs.rows()), weighted(problem.pairs.rows());
    while (static_cast<int>(chosen.size()) < count) {
        size_t best = n;
        double gain = -1;
        for (size_t c = 0; c < n; ++c)
            if (open[c] && lambda * q[c] / (1 + p[c]) > gain) {
                gain = lambda * q[c] / (1 + p[c]);
                best = c;
            }
        if (best == n)
            break;
        open[best] = 0;
        chosen.push_back(static_cast<int>(best));
        double v = 0;
        problem.Row(candidates[best], v, &g);
        // Sherman-Morrison: A^-1 loses u u' / beta, u = A^-1 g.
        const Eigen::VectorXd u = inverse * g;
        const double beta = 1 + g.dot(u);
        const Eigen::VectorXd wu = w.cwiseProduct(u);
        const Eigen::VectorXd z = inverse * wu;
        const double uwu = u.dot(wu);
        // g_c' u and g_c' z of every candidate, through the pairs.
        along.noalias() = problem.pairs * u;
        weighted.noalias() = problem.pairs * z;
        for (size_t c = 0; c < n; ++c) {
            if (!open[c])
                continue;
            const CTerms& t = terms[c];
            double a = 0, b = 0;
            for (int i = 0; i < t.count; ++i) {
                a += t.sign[i] * along[t.pair[i]];
                b += t.sign[i] * weighted[t.pair[i]];
            }
            a *= inverseV[c];
            b *= inverseV[c];
            p[c] -= a * a / beta;
            q[c] += (a * a * uwu / beta - 2 * a * b) / beta;
        }
        inverse.noalias() -= (u / beta) * u.transpose();
        if (progress)
            progress(static_cast<int>(chosen.size()));
    }
    return chosen;
}

std::vector<CConfiguration> ComprehensiveSet(const std::vector<double>& x, double spacing)
{
    const double limit = M_PI * spacing * 6 * 7 * 8 * (1 + 1e-9);
    const int e = static_cast<int>(x.size());
    std::vector<CConfiguration> set;
    for (int i = 0; i < e; ++i)
        for (int j = i + 1; j < e; ++j)
            for (int k = j + 1; k < e; ++k)
                for (int l = k + 1; l < e; ++l)
                    for (const CConfiguration& c : {CConfiguration{i, j, k, l}, {i, l, j, k}, {i, k, j, l}}) {
                        const double factor = GeometricFactor(x[c.a], x[c.b], x[c.m], x[c.n], false, false);
                        if (std::fabs(factor) <= limit)
                            set.push_back(c);
                    }
    return set;
}

std::vector<CConfiguration> ClassicSet(EClassicSet kind, const std::vector<int>& number, int count)
{
    const int last = number.empty() ? 0 : *std::max_element(number.begin(), number.end());
    std::vector<int> index(last + 1, -1);
    for (size_t i = 0; i < number.size(); ++i)
        index[number[i]] = static_cast<int>(i);
    auto at = [&](int k) { return k >= 1 && k <= last ? index[k] : -1; };
    std::vector<CConfiguration> set;
    const int maxN = kind == EClassicSet::wenner ? 1 : 6;
    for (int s = 1; 3 * s < last && static_cast<int>(set.size()) < count; ++s)
        for (int n = 1; n <= maxN && static_cast<int>(set.size()) < count; ++n)
            for (int k = 1; k <= last && static_cast<int>(set.size()) < count; ++k) {
                // A, B, M, N as numbers.
                int a = k, b, m, nn;
                if (kind == EClassicSet::dipoleDipole)
                    b = k + s, m = k + s + n * s, nn = k + 2 * s + n * s;
                else
                    m = k + n * s, nn = k + (n + 1) * s, b = k + (2 * n + 1) * s;
                const CConfiguration c{at(a), at(b), at(m), at(nn)};
                if (c.a >= 0 && c.b >= 0 && c.m >= 0 && c.n >= 0)
                    set.push_back(c);
            }
    return set;
}

std::string DesignSurvey(const CForwardInput& in, const CForwardJob& job, CRunLog& log, const CEngineOptions& options)
{
    const auto start = std::chrono::steady_clock::now();
    const CForwardJob::CDesign& d = job.design;
    const std::vector<int> number = ElectrodeNumbers(in.survey.positions, d);
    const int electrodes = static_cast<int>(in.survey.positions.size());
    std::vector<CConfiguration> candidates;
    if (in.survey.fromProtocol) {
        for (const CSurvey::Datum& datum : in.survey.data)
            candidates.push_back(
                {datum.ia, datum.poleSource ? -1 : datum.ib, datum.im, datum.poleReceiver ? -1 : datum.in});
    } else {
        candidates = ComprehensiveSet(in.survey.positions, d.spacing);
    }
    int blocks = 0;
    const std::vector<int> blockOfCell = ParameterBlocks(in, d, blocks);
    if (blocks == 0)
        throw CEngineError("The section of the survey design holds no cell of the ground.");
    const double pairs = 0.5 * electrodes * (electrodes - 1);
    // The candidates' terms and gains, the pairs' rows and weights, and three matrices of blocks.
    const double bytes = 56.0 * candidates.size() + 8.0 * pairs * (pairs + blocks) + 24.0 * blocks * blocks;
    if (options.memoryBudget > 0 && bytes > options.memoryBudget)
        throw CEngineError(FormatC("The survey design needs about %s, more than the %s this run may use.",
                                   Bytes(bytes).c_str(), Bytes(options.memoryBudget).c_str()));

    const CPolePoleSensitivities pp = PolePoleSensitivities(in, log, options);
    CDesignProblem problem;
    problem.electrodes = electrodes;
    problem.potential = pp.potential;
    problem.magnitude = pp.magnitude;
    problem.pairs = Eigen::MatrixXd::Zero(static_cast<Eigen::Index>(pp.potential.size()), blocks);
    const size_t pairCount = pp.potential.size();
    for (int cell = 0; cell < pp.cells; ++cell)
        if (const int b = blockOfCell[cell]; b >= 0)
            for (size_t i = 0; i < pairCount; ++i)
                problem.pairs(static_cast<Eigen::Index>(i), b) += pp.values[cell * pairCount + i];

    // Configurations whose potential is zero on this earth tell nothing.
    std::erase_if(candidates, [&problem](const CConfiguration& c) {
        double v = 0;
        return !problem.Row(c, v);
    });
    const std::string source = in.survey.fromProtocol
                                   ? std::string("of the protocol")
                                   : FormatC("of the comprehensive set of %i electrodes", electrodes);
    if (d.count > static_cast<int>(candidates.size()))
        throw CEngineError(FormatC("The survey design asks for %i configurations, but there are only %zu candidates "
                                   "%s.",
                                   d.count, candidates.size(), source.c_str()));
    const double lambda = kDamping * MedianSquaredRow(problem, candidates);
    const Eigen::MatrixXd normal = NormalMatrix(problem, candidates);
    const std::vector<double> comprehensive = ResolutionOf(InverseDiagonal(normal, lambda), lambda);
    log.Stage(FormatC("resolution of the %zu candidates over %i blocks", candidates.size(), blocks));

    const int step = std::max(1, d.count / 100);
    const std::vector<int> chosenIndex =
        ChooseByResolution(problem, candidates, comprehensive, d.count, lambda, [&](int chosen) {
            if (options.progress && (chosen % step == 0 || chosen == d.count))
                log.Progress(FormatC("survey design, configuration %i of %i", chosen, d.count));
        });
    std::vector<CConfiguration> chosen;
    for (int c : chosenIndex)
        chosen.push_back(candidates[c]);
    log.Stage(FormatC("choosing %zu configurations", chosen.size()));

    // Lines that read alike in a message box's proportional font and in a terminal.
    std::string report = FormatC("Survey design by resolution (compare-R): %zu of the %zu candidates %s, "
                                 "%g apart from x = %g.\n",
                                 chosen.size(), candidates.size(), source.c_str(), d.spacing, d.x1);
    report +=
        FormatC("Section x %g to %g, z %g to %g: %i blocks; damping %.4g.\n", d.x1, d.x2, d.z1, d.z2, blocks, lambda);
    report += "Average relative resolution (R_jj of the set over R_jj of all candidates, per block):\n";
    auto line = [&](const char* name, const std::vector<CConfiguration>& set) {
        const double average = AverageRelativeResolution(ResolutionDiagonal(problem, set, lambda), comprehensive);
        report += FormatC("%s, %zu configurations: %.3f\n", name, set.size(), average);
    };
    line("optimized", chosen);
    line("dipole-dipole", ClassicSet(EClassicSet::dipoleDipole, number, d.count));
    line("Wenner", ClassicSet(EClassicSet::wenner, number, d.count));
    line("Wenner-Schlumberger", ClassicSet(EClassicSet::wennerSchlumberger, number, d.count));
    report += FormatC("Designed in %.1f s.\n",
                      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());

    try {
        // The report last: a design whose protocol was not written has none.
        WriteTextFile(job.protocolFile, Protocol(chosen, number));
        WriteTextFile(job.designFile, report);
    } catch (const CFileException& e) {
        throw CEngineError(e.GetErrorMessage());
    }
    return report;
}
