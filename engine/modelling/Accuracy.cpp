// The accuracy of a run's data, estimated by the run itself. The grid is the engine's own, so the
// same data can be computed on other grids: on one whose cells are smaller (the discretization
// error, by the change, for the order the scheme reaches near contrasts and under the surface)
// and on a coarse one that reaches four times as far (the truncation of the far field, which
// hardly depends on the cells). Where a datum stays above the target, the grid reaches farther
// or is refined again, until every datum is within it or the memory or time budget is spent.
#include "engine/general/EngineError.h"
#include "engine/general/RunLog.h"
#include "engine/modelling/ForwardModel.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

namespace {

// The order of convergence the estimate assumes: the least the grid's elements reach where the
// data converge (near corners of strong contrasts); smooth parts converge faster, and are then
// overestimated, never under.
constexpr double kOrder = 1;
// Once two refinements agree on a faster order for a datum (changes of one sign, falling), that
// order is taken, up to the elements' second order and with Roache's safety factor for an order
// read from three grids. The coarse grid never counts here: with two cells between electrodes it
// is far from any order.
constexpr double kBestOrder = 2;
constexpr double kSafety = 1.25;
// Each refinement shrinks the cells by about this much.
constexpr double kRefine = 0.7;
// The coarse grids of the far field and the rule have cells up to twice the first's.
constexpr double kCoarse = 2;
// With two cells between the nearest electrodes the data are off by percents, with three by a
// tenth of a percent or less (the large survey: 2.5 %, 0.08 %, 0.06 % at 2, 3, 4 cells): the
// coarse grid keeps three where the first grid has four or more.
constexpr double kCoarseCells = 3;
// The far field is taken as settled when moving the boundary four times as far changes no datum
// by more than this part of the target.
constexpr double kFarShare = 0.25;
// Four times as far leaves a third of the change still to come.
constexpr double kFarFactor = 4.0 / 3.0;
// What no check shows: the condition on the far boundary and the rule's error beyond its own
// check, which leave up to 0.03 % on a half-space.
constexpr double kFloor = 4e-4;
constexpr int kMaxFarSteps = 6; // 4^6: from a few km to several thousand
constexpr int kMaxRefinements = 4;
// From this many cells between the nearest electrodes the data follow an order and the rule's
// check no longer sees the grid's own error.
constexpr double kRuleCells = 2.5;

using Clock = std::chrono::steady_clock;

double Relative(double a, double b)
{
    const double scale = std::max(std::fabs(a), std::fabs(b));
    return scale > 0 ? std::fabs(a - b) / scale : 0.0;
}

// Three cells where that is a step of a quarter or more from the first grid, else twice the first's.
double CoarseScale(double nearestCells)
{
    const double scale = nearestCells / kCoarseCells;
    return scale >= 1.25 ? std::min(kCoarse, scale) : kCoarse;
}

// The signed relative change of V/I on the first model, per datum: its trend shows the order.
std::vector<double> Trend(const CGridData& fine, const CGridData& rough)
{
    std::vector<double> trend(fine.voltage[0].size(), 0.0);
    for (size_t j = 0; j < trend.size(); ++j) {
        const double a = fine.voltage[0][j], b = rough.voltage[0][j];
        const double scale = std::max(std::fabs(a), std::fabs(b));
        trend[j] = scale > 0 ? (a - b) / scale : 0.0;
    }
    return trend;
}

// The largest relative change between two grids' V/I over every model, per datum.
std::vector<double> Change(const CGridData& a, const CGridData& b)
{
    std::vector<double> change(a.voltage[0].size(), 0.0);
    for (size_t m = 0; m < a.voltage.size(); ++m)
        for (size_t j = 0; j < change.size(); ++j)
            change[j] = std::max(change[j], Relative(a.voltage[m][j], b.voltage[m][j]));
    return change;
}

double Largest(const std::vector<double>& values)
{
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

// One grid more of the estimate; its own log is kept quiet (a coarse grid warns of what the run
// does not use) and one line goes to the run's.
struct CSolver {
    const CForwardInput& in;
    const CRunModel& run;
    const CEngineOptions& options;
    CRunLog& log;

    CGridData operator()(const CGridLevel& level, const char* purpose) const
    {
        CRunLog quiet(true);
        const std::string prefix = options.progress ? std::string("checking the accuracy, ") + purpose + ": " : "";
        CGridData data = SolveOnGrid(in, run, level, options, quiet, prefix);
        log.Info(FormatC("  %s: %i x %i cells (cells x %.3g, reaching x %g), %i unknowns, memory about %s, %.3f s",
                         purpose, data.columns, data.rows, level.scale, level.far, data.unknowns,
                         Bytes(data.memoryBytes).c_str(), data.seconds));
        return data;
    }
};

// eta_a of every datum on one grid (IP and IPL).
std::vector<double> Chargeabilities(const CForwardInput& in, const CGridData& data)
{
    std::vector<double> eta;
    const size_t n = data.voltage[0].size();
    for (size_t j = 0; j < n; ++j)
        eta.push_back(ApparentChargeability(in.job.type, data.voltage[0][j],
                                            data.voltage.size() > 1 ? data.voltage[1][j] : data.voltage[0][j],
                                            data.eps));
    return eta;
}

// The change of eta_a between two grids, per datum.
std::vector<double> ChargeabilityChange(const CForwardInput& in, const CGridData& a, const CGridData& b)
{
    const std::vector<double> etaA = Chargeabilities(in, a), etaB = Chargeabilities(in, b);
    std::vector<double> change(etaA.size());
    for (size_t j = 0; j < change.size(); ++j)
        change[j] = std::fabs(etaA[j] - etaB[j]);
    return change;
}

std::string DatumName(const CSurvey& survey, int j)
{
    const CSurvey::Datum& d = survey.data[j];
    std::string name = FormatC("datum %i (A %g", j + 1, d.a);
    if (!d.poleSource)
        name += FormatC(", B %g", d.b);
    name += FormatC(", M %g", d.m);
    if (!d.poleReceiver)
        name += FormatC(", N %g", d.n);
    return name + ")";
}

// On ground steeper than this beside an electrode, the error of the data nearest it depends on
// where the grid's rows meet the surface, differently on every grid, so the change between two
// grids can read as little as a quarter of it (45 degrees: a half; 35 degrees: a quarter);
// at 11 degrees and under the hills of the examples it still bounds it.
constexpr double kSteepDegrees = 20;

// The electrodes with ground steeper than kSteepDegrees within half the distance to the next
// electrode, and the steepest of them.
struct CSteepGround {
    int electrodes = 0;
    double degrees = 0, at = 0;
};

CSteepGround SteepGround(const CForwardInput& in)
{
    CSteepGround steep;
    const std::vector<double>& x = in.profile.x;
    const std::vector<double>& e = in.profile.elevation;
    const std::vector<double>& positions = in.survey.positions;
    for (size_t p = 0; p < positions.size(); ++p) {
        double reach = HUGE_VAL;
        if (p > 0)
            reach = positions[p] - positions[p - 1];
        if (p + 1 < positions.size())
            reach = std::min(reach, positions[p + 1] - positions[p]);
        reach = reach == HUGE_VAL ? 0 : 0.5 * reach;
        double degrees = 0;
        for (size_t j = 0; j + 1 < x.size(); ++j)
            if (x[j + 1] >= positions[p] - reach && x[j] <= positions[p] + reach)
                degrees = std::max(degrees, std::atan2(std::fabs(e[j + 1] - e[j]), x[j + 1] - x[j]) * 180 / M_PI);
        if (degrees > kSteepDegrees) {
            ++steep.electrodes;
            if (degrees > steep.degrees) {
                steep.degrees = degrees;
                steep.at = positions[p];
            }
        }
    }
    return steep;
}

// Logs the largest estimate and, when the target was not reached, warns with the worst data
// and what stopped the refinement; warns too where the ground is too steep for the estimate to
// be sure.
void Report(const CForwardInput& in, const CAccuracyEstimate& estimate, CRunLog& log)
{
    const std::vector<double>& error = estimate.voltage;
    const double target = 100 * estimate.target;
    log.Info(FormatC("Accuracy: largest estimated error %s%% at %s; the data come from a grid with cells x %.3g "
                     "reaching x %g as far as the first; the estimate took %.3f s",
                     FormatPercent(100 * estimate.worst, target).c_str(),
                     DatumName(in.survey, estimate.worstDatum).c_str(), estimate.scale, estimate.far,
                     estimate.seconds));
    const CSteepGround steep = SteepGround(in);
    if (steep.electrodes > 0)
        log.Warning(
            FormatC("The ground beside %i of %zu electrodes is steeper than %g degrees (%.0f degrees at x = %g). "
                    "On such slopes the estimate of data with electrodes close together can be as small as "
                    "a quarter of their true error.",
                    steep.electrodes, in.survey.positions.size(), kSteepDegrees, steep.degrees, steep.at));
    if (estimate.above == 0)
        return;
    std::vector<int> order(error.size());
    for (size_t j = 0; j < order.size(); ++j)
        order[j] = static_cast<int>(j);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return error[a] > error[b]; });
    std::string worst;
    for (int k = 0; k < std::min(estimate.above, 5); ++k)
        worst += FormatC("%s%s %s%%", k > 0 ? "; " : "", DatumName(in.survey, order[k]).c_str(),
                         FormatPercent(100 * error[order[k]], target).c_str());
    log.Warning(FormatC("%i of %zu data may be off by more than the target of %g%%, limited by %s. The worst: %s.",
                        estimate.above, error.size(), target,
                        estimate.limit.empty() ? "the number of refinements" : estimate.limit.c_str(), worst.c_str()));
}

// The data of a grid under the check of its wavenumber rule, from those of the grid itself.
CGridData RuleCheck(const CSolver& solve, CGridLevel level, const CGridData& own, const char* purpose)
{
    level.ruleCheck = true;
    CGridData check = solve(level, purpose);
    for (size_t m = 0; m < check.voltage.size(); ++m)
        for (size_t j = 0; j < check.voltage[m].size(); ++j)
            check.voltage[m][j] += 0.5 * own.voltage[m][j];
    return check;
}

} // namespace

CGridData EstimateAccuracy(const CForwardInput& in, const CRunModel& run, CGridData first,
                           const CEngineOptions& options, CRunLog& log, CAccuracyEstimate& estimate)
{
    const Clock::time_point start = Clock::now();
    const double target = options.accuracy;
    const double budget = std::max(60.0, 20 * first.seconds); // seconds the refinement may take
    const bool charged = in.job.type != EForwardType::dc;
    const CSolver solve{in, run, options, log};
    estimate.done = true;
    estimate.target = target;
    log.Info(FormatC("Accuracy: estimating the error of every datum against a target of %g%%", 100 * target));

    // The parts of every datum's estimate, of V/I (relative) and of eta_a (absolute).
    const size_t count = first.voltage[0].size();
    struct CPart {
        std::vector<double> voltage, eta;
    };
    const std::vector<double> none(count, 0.0);
    CPart truncation{none, none}, rule{none, none}, discretization;

    // The far field: coarse grids, moved out fourfold until the data no longer feel it.
    CGridLevel level;
    const double coarseScale = CoarseScale(first.nearestCells);
    CGridData coarsest; // the coarse grid, as far as the data's grid reaches
    auto change = [&](const CGridData& a, const CGridData& b) {
        return CPart{Change(a, b), charged ? ChargeabilityChange(in, a, b) : none};
    };
    try {
        CGridData near = solve({coarseScale, 1}, "coarse grid");
        // The wavenumber rule, by one with half its spacing reaching twice as high and four times
        // as low: its error falls exponentially with the spacing, so the change is the error.
        rule = change(RuleCheck(solve, {coarseScale, 1}, near, "coarse grid, finer wavenumber rule"), near);
        for (int step = 0;; ++step) {
            CGridData far = solve({coarseScale, level.far * 4}, "coarse grid reaching farther");
            truncation = change(far, near);
            if (Largest(truncation.voltage) * kFarFactor <= kFarShare * target || step + 1 == kMaxFarSteps)
                break;
            level.far *= 4;
            near = std::move(far);
        }
        coarsest = std::move(near);
        // A truncation error falls at least as 1 / distance: a third of the last change is still
        // to come.
        for (size_t j = 0; j < count; ++j) {
            truncation.voltage[j] *= kFarFactor;
            truncation.eta[j] *= kFarFactor;
        }
    } catch (const CEngineError& e) {
        estimate.limit = e.what();
    }

    // The discretization: the data on smaller cells, refined again while a datum is above the
    // target and the budget allows.
    CGridData coarse = level.far > 1 ? solve(level, "first grid reaching farther") : first;
    CGridData best = coarse;
    std::vector<double> error, etaError;
    auto sum = [&] {
        error.assign(count, kFloor);
        etaError.assign(count, 0.0);
        for (size_t j = 0; j < count; ++j) {
            error[j] += discretization.voltage[j] + truncation.voltage[j] + rule.voltage[j];
            etaError[j] += discretization.eta[j] + truncation.eta[j] + rule.eta[j];
        }
    };
    // The estimate from two grids whose cells differ by the ratio r.
    std::vector<double> previous; // the trend of the refinement before
    auto estimateFrom = [&](const CGridData& fine, const CGridData& rough, bool refinement) {
        const double r = fine.spanColumns > 0 && rough.spanColumns > 0
                             ? std::max(1.1, double(fine.spanColumns) / rough.spanColumns)
                             : 1 / kRefine;
        const std::vector<double> trend = Trend(fine, rough);
        std::vector<double> divisor(count, std::pow(r, kOrder) - 1);
        for (size_t j = 0; j < count && !previous.empty(); ++j) {
            const double now = trend[j], before = previous[j];
            if (now * before > 0 && std::fabs(now) < std::fabs(before)) {
                // Changes fall by r^p from one refinement to the next.
                const double p = std::clamp(std::log(before / now) / std::log(r), kOrder, kBestOrder);
                divisor[j] = std::max(divisor[j], (std::pow(r, p) - 1) / kSafety);
            }
        }
        discretization = change(fine, rough);
        for (size_t j = 0; j < count; ++j) {
            discretization.voltage[j] /= divisor[j];
            discretization.eta[j] /= divisor[j];
        }
        if (refinement)
            previous = trend;
        sum();
    };
    // The rule's check sees a grid's own error at high wavenumbers where the nearest electrodes
    // are fewer than about three cells apart: on the coarse grid of a mesh of three or four cells,
    // up to ten times the rule's own error. Where the rule's part is the larger one of a datum
    // above the target, or all that keeps the data above it, the rule is checked again, once,
    // on the coarsest grid solved with kRuleCells or more between the nearest electrodes.
    std::optional<std::pair<CGridLevel, CGridData>> ruleGrid;
    bool ruleAgain = coarsest.voltage.empty();
    auto offer = [&](const CGridLevel& on, const CGridData& data) {
        if (!ruleGrid && data.nearestCells >= kRuleCells)
            ruleGrid.emplace(on, data);
    };
    auto checkRuleAgain = [&] {
        bool above = false, larger = false, alone = true;
        for (size_t j = 0; j < count; ++j) {
            if (error[j] > target) {
                above = true;
                larger = larger || rule.voltage[j] >= discretization.voltage[j];
                alone = alone && error[j] - rule.voltage[j] <= target;
            }
        }
        if (ruleAgain || !ruleGrid || !above || !(larger || alone))
            return;
        ruleAgain = true;
        try {
            const auto& [on, data] = *ruleGrid;
            rule = change(RuleCheck(solve, on, data, "finer wavenumber rule again"), data);
        } catch (const CEngineError&) {
            return; // the coarse grid's check stands
        }
        sum();
    };
    // The first grid against the coarse one: where that already puts every datum within the
    // target, no finer grid is needed: the change over cells twice as large, divided by r - 1,
    // bounds the error of every datum that converges at first order or faster.
    bool settled = false;
    if (!coarsest.voltage.empty()) {
        offer(level, coarse);
        estimateFrom(coarse, coarsest, false);
        checkRuleAgain();
        settled = Largest(error) <= target;
        log.Info(FormatC("  against the coarse grid, the data's largest estimated error is %.2g%%%s",
                         100 * Largest(error), settled ? "" : ": refining"));
    }
    // Refinements from grids with fewer than kRuleCells between the nearest electrodes (meshes of
    // one or two cells) do not count: there the data are still far from any order.
    int counted = 0;
    for (int refinement = 0; !settled && counted < kMaxRefinements; ++refinement) {
        if (coarse.nearestCells >= kRuleCells)
            ++counted;
        const CGridLevel finer{level.scale * kRefine, level.far};
        // Twice as many cells: about three times the work.
        const double projected = coarse.seconds * std::pow(1 / (kRefine * kRefine), 1.5);
        const double spent = std::chrono::duration<double>(Clock::now() - start).count();
        if (refinement > 0 && spent + projected > budget) {
            estimate.limit = FormatC("the time budget of %.0f s", budget);
            break;
        }
        CGridData fine;
        try {
            fine = solve(finer, refinement == 0 ? "finer grid" : "refined grid");
        } catch (const CEngineError& e) {
            estimate.limit = e.what();
            break;
        }
        offer(finer, fine);
        estimateFrom(fine, coarse, true);
        checkRuleAgain();
        best = fine;
        level = finer;
        if (Largest(error) <= target)
            break;
        coarse = std::move(fine);
    }
    if (error.empty()) {
        estimate.done = false;
        log.Warning("The accuracy of the data could not be estimated: " + estimate.limit);
        return best;
    }

    estimate.voltage = error;
    if (charged)
        estimate.chargeability = etaError;
    estimate.scale = level.scale;
    estimate.far = level.far;
    for (size_t j = 0; j < count; ++j) {
        if (estimate.worstDatum < 0 || error[j] > estimate.worst) {
            estimate.worst = error[j];
            estimate.worstDatum = static_cast<int>(j);
        }
        if (error[j] > target)
            ++estimate.above;
    }
    estimate.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    Report(in, estimate, log);
    return best;
}
