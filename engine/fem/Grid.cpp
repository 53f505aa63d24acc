#include "engine/fem/Grid.h"

#include "engine/general/EngineError.h"
#include "formats/TopographyFile.h"
#include "mesh/Mesh.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cmath>

std::vector<int> EffectiveCells(const CMesh& mesh, const std::vector<int>& airPerColumn)
{
    const int nx = mesh.nx, nz = mesh.nz;
    auto air = [&](int i) { return std::clamp(airPerColumn[i], 0, nz); };
    // The nearest column with ground, for columns that are air to the bottom.
    std::vector<int> source(nx, -1);
    for (int i = 0, last = -1; i < nx; ++i) {
        if (air(i) < nz)
            last = i;
        source[i] = last;
    }
    for (int i = nx - 1, next = -1; i >= 0; --i) {
        if (air(i) < nz)
            next = i;
        if (next >= 0 && (source[i] < 0 || next - i < i - source[i]))
            source[i] = next;
    }
    if (nx == 0 || source[0] < 0)
        throw CEngineError("The mesh holds no ground: every column is air to the bottom.");
    std::vector<int> cells(static_cast<size_t>(nx) * nz);
    for (int i = 0; i < nx; ++i) {
        const int j = source[i];
        for (int k = 0; k < nz; ++k)
            cells[static_cast<size_t>(k) * nx + i] = std::max(k, air(j)) * nx + j;
    }
    return cells;
}

namespace {

// Uniform cells beside the outer electrodes and below the deepest.
constexpr int kGuardCells = 4;
// Rows below the surface over which the move of a surface node beside an electrode fades out.
constexpr int kFadeRows = 3;
// On steep ground the columns near the electrodes are narrowed until the surface crosses at most
// this many of the rows there (halved under a surface that is not flat) between two lines.
constexpr double kSteepRows = 2;
constexpr int kMostSteepParts = 16;
// The most contrasts per axis the grid is graded toward.
constexpr int kMaxGraded = 8;

// The distance of t from the span lo..hi.
double Distance(double t, double lo, double hi)
{
    return std::max({0.0, lo - t, t - hi});
}

// Cells that are h wide within lo..hi and h + g d at distance d from it.
class CSizing {
public:
    CSizing(double h, double g, double lo, double hi) : m_h(h), m_g(g), m_lo(lo), m_hi(hi) {}
    // Cells of h * fraction in fineLo..fineHi, which lies within lo..hi.
    void Fine(double fineLo, double fineHi, double fraction)
    {
        m_fineLo = fineLo;
        m_fineHi = fineHi;
        m_fine = fraction;
    }

    // Cells shrinking toward at, to smallest there, growing by ratio away from it until they are
    // the size they would have been (base): more cells on top of the others.
    void Grade(double at, double smallest, double base, double ratio)
    {
        if (smallest < base && ratio > 1)
            m_graded.push_back({at, smallest, base, ratio - 1});
    }
    // The size of the cells at t without the graded ones.
    double Size(double t) const { return m_h + m_g * Distance(t, m_lo, m_hi); }

    // The number of cells from a to b: the integral of 1 / size.
    double Count(double a, double b) const
    {
        double n = 0;
        const double cuts[] = {a, std::clamp(m_lo, a, b), std::clamp(m_hi, a, b), b};
        for (int j = 0; j < 3; ++j) {
            const double p = cuts[j], q = cuts[j + 1];
            if (q <= p)
                continue;
            const double dp = Distance(p, m_lo, m_hi), dq = Distance(q, m_lo, m_hi);
            if (m_g <= 0 || (dp == 0 && dq == 0))
                n += (q - p) / m_h;
            else
                n += std::fabs(std::log((m_h + m_g * dq) / (m_h + m_g * dp))) / m_g;
        }
        const double overlap = std::min(b, m_fineHi) - std::max(a, m_fineLo);
        if (overlap > 0)
            n += (1 / m_fine - 1) * overlap / m_h;
        // Graded cells of s0 + c d at distance d from their point, 1 / (s0 + c d) - 1 / base more
        // cells per length than without, which is a geometric series of ratio 1 + c.
        for (const CGraded& g : m_graded) {
            const double reach = (g.base - g.s0) / g.c;
            auto extra = [&](double d) {
                const double u = std::min(std::fabs(d), reach);
                return std::copysign(std::log1p(g.c * u / g.s0) / g.c - u / g.base, d);
            };
            n += extra(b - g.at) - extra(a - g.at);
        }
        return n;
    }

    // Appends the nodes that cut a..b into cells no larger than the sizing allows, without a.
    void Fill(double a, double b, std::vector<double>& nodes) const
    {
        const double total = Count(a, b);
        const int parts = std::max(1, static_cast<int>(std::ceil(total - 1e-9)));
        for (int j = 1; j < parts; ++j) {
            const double target = total * j / parts;
            double lo = a, hi = b;
            for (int it = 0; it < 60; ++it) {
                const double mid = 0.5 * (lo + hi);
                (Count(a, mid) < target ? lo : hi) = mid;
            }
            nodes.push_back(0.5 * (lo + hi));
        }
        nodes.push_back(b);
    }

private:
    struct CGraded {
        double at, s0, base, c;
    };
    double m_h, m_g, m_lo, m_hi;
    double m_fineLo = 0, m_fineHi = 0, m_fine = 1;
    std::vector<CGraded> m_graded;
};

// A line the grid must have; where two come closer than the tolerance, the one of higher rank
// stays.
struct CLine {
    double at;
    int rank; // 2 electrode, 1 value change or mesh edge, 0 surface kink
};

std::vector<double> MergeLines(std::vector<CLine> lines, double tolerance, double kinkTolerance)
{
    std::sort(lines.begin(), lines.end(), [](const CLine& a, const CLine& b) { return a.at < b.at; });
    std::vector<CLine> kept;
    for (const CLine& line : lines) {
        if (!kept.empty()) {
            CLine& last = kept.back();
            const double gap = line.at - last.at;
            const double limit = std::min(line.rank, last.rank) == 0 ? kinkTolerance : tolerance;
            if (gap <= limit) {
                if (line.rank > last.rank)
                    last = line;
                continue;
            }
        }
        kept.push_back(line);
    }
    std::vector<double> at;
    for (const CLine& line : kept)
        at.push_back(line.at);
    return at;
}

// Fills between the lines and continues geometrically beyond first and last until the nodes
// reach lo and hi.
std::vector<double> FillLines(const std::vector<double>& lines, const CSizing& sizing, double ratio, double lo,
                              double hi, bool before)
{
    std::vector<double> nodes{lines.front()};
    for (size_t j = 1; j < lines.size(); ++j)
        sizing.Fill(lines[j - 1], lines[j], nodes);
    if (nodes.size() < 2)
        return nodes;
    for (double w = nodes.back() - nodes[nodes.size() - 2]; nodes.back() < hi;) {
        w *= ratio;
        nodes.push_back(nodes.back() + w);
    }
    if (before) {
        std::vector<double> left;
        for (double w = nodes[1] - nodes[0], at = nodes[0]; at > lo;) {
            w *= ratio;
            at -= w;
            left.push_back(at);
        }
        nodes.insert(nodes.begin(), left.rbegin(), left.rend());
    }
    return nodes;
}

// The line nearest t.
int NearestLine(const std::vector<double>& lines, double t)
{
    int i = static_cast<int>(std::lower_bound(lines.begin(), lines.end(), t) - lines.begin());
    if (i > 0 && (i == static_cast<int>(lines.size()) || t - lines[i - 1] < lines[i] - t))
        --i;
    return i;
}

// The mesh interval (cell) holding t, clamped to the mesh.
int Interval(const std::vector<double>& nodes, double t)
{
    const int n = static_cast<int>(nodes.size()) - 1;
    const int j = static_cast<int>(std::upper_bound(nodes.begin(), nodes.end(), t) - nodes.begin()) - 1;
    return std::clamp(j, 0, n - 1);
}

// The ground surface as (x, elevation) points; without a profile, the mesh's top.
struct CProfile {
    std::vector<double> x, e;
    double Depth(double at) const { return -ElevationAlong(x, e, at); }
};

CProfile Profile(const CGridModel& model)
{
    const CMesh& mesh = *model.mesh;
    if (!model.profile.x.empty())
        return {model.profile.x, model.profile.elevation};
    return {{mesh.xNodes.front(), mesh.xNodes.back()}, {-mesh.zNodes.front(), -mesh.zNodes.front()}};
}

void CheckElectrodes(const CMesh& mesh, const CProfile& profile, const std::vector<double>& electrodes)
{
    const auto& mx = mesh.xNodes;
    // Ground above the mesh takes the values of its top cells, and the grid's rows reach up to the
    // highest point: a surface higher above the mesh than the mesh is deep is no model the mesh
    // holds, and made a run forty times slower.
    const double top = mesh.zNodes.front(), height = mesh.zNodes.back() - top;
    for (size_t j = 0; j < profile.x.size(); ++j)
        if (const double above = top + profile.e[j]; above > height)
            throw CEngineError(FormatC("The surface point at x = %g (elevation %g) lies %g above the top of the mesh, "
                                       "more than the mesh is deep (%g).",
                                       profile.x[j], profile.e[j], above, height));
    for (double xe : electrodes) {
        if (xe < mx.front() || xe > mx.back())
            throw CEngineError(FormatC("The electrode at x = %g lies outside the mesh, which spans x = %g to %g.", xe,
                                       mx.front(), mx.back()));
        if (profile.Depth(xe) >= mesh.zNodes.back())
            throw CEngineError(FormatC("There is no ground under the electrode at x = %g: the surface there lies "
                                       "below the mesh.",
                                       xe));
    }
}

// Which mesh lines carry a change of value, per vertical (x) and horizontal (z) mesh line.
struct CChanges {
    std::vector<char> x, z;
};

CChanges FindChanges(const CGridModel& model, const std::vector<int>& cell)
{
    const int nx = model.mesh->nx, nz = model.mesh->nz;
    auto same = [&](int a, int b) {
        if (a == b)
            return true;
        for (const std::vector<double>* v : model.values)
            if ((*v)[a] != (*v)[b])
                return false;
        return true;
    };
    CChanges changes{std::vector<char>(nx + 1, 0), std::vector<char>(nz + 1, 0)};
    for (int k = 0; k < nz; ++k)
        for (int i = 0; i < nx; ++i) {
            const int c = cell[static_cast<size_t>(k) * nx + i];
            if (i > 0 && !same(cell[static_cast<size_t>(k) * nx + i - 1], c))
                changes.x[i] = 1;
            if (k > 0 && !same(cell[static_cast<size_t>(k - 1) * nx + i], c))
                changes.z[k] = 1;
        }
    return changes;
}

// Where the conductivity jumps by the contrast or more between neighbouring cells of any model:
// per axis the mesh lines across which it does (x: vertical lines) and the ends of such stretches
// inside the mesh, the corners where the field is singular and converges slowly.
struct CContrast {
    double at;
    bool end;
};
struct CContrasts {
    std::vector<CContrast> x, z;
};

CContrasts FindContrasts(const CGridModel& model, const std::vector<int>& cell, double contrast)
{
    const int nx = model.mesh->nx, nz = model.mesh->nz;
    const auto& mx = model.mesh->xNodes;
    const auto& mz = model.mesh->zNodes;
    auto strong = [&](int i1, int k1, int i2, int k2) {
        const int a = cell[static_cast<size_t>(k1) * nx + i1], b = cell[static_cast<size_t>(k2) * nx + i2];
        for (const std::vector<double>* sigma : model.conductivity) {
            const double p = (*sigma)[a], q = (*sigma)[b];
            if (std::max(p, q) >= contrast * (1 - 1e-6) * std::min(p, q)) // values from log10 round
                return true;
        }
        return false;
    };
    if (contrast <= 1 || model.conductivity.empty())
        return {};
    std::vector<char> xLine(nx + 1, 0), zLine(nz + 1, 0), xEnd(nx + 1, 0), zEnd(nz + 1, 0);
    // Along each vertical line the rows where it is strong, and where that starts or stops.
    for (int i = 1; i < nx; ++i)
        for (int k = 0, before = 0; k < nz; ++k) {
            const int now = strong(i - 1, k, i, k);
            xLine[i] |= now;
            if (k > 0 && now != before)
                zEnd[k] = xEnd[i] = 1;
            before = now;
        }
    for (int k = 1; k < nz; ++k)
        for (int i = 0, before = 0; i < nx; ++i) {
            const int now = strong(i, k - 1, i, k);
            zLine[k] |= now;
            if (i > 0 && now != before)
                xEnd[i] = zEnd[k] = 1;
            before = now;
        }
    CContrasts contrasts;
    for (int i = 1; i < nx; ++i)
        if (xLine[i] || xEnd[i])
            contrasts.x.push_back({mx[i], xEnd[i] != 0});
    for (int k = 1; k < nz; ++k)
        if (zLine[k] || zEnd[k])
            contrasts.z.push_back({mz[k], zEnd[k] != 0});
    return contrasts;
}

// The cells among the electrodes, which the grid keeps, and how fast cells grow beyond them.
struct CSizes {
    double h = 0, hz = 0;                   // cell width and row thickness among the electrodes
    double sLo = HUGE_VAL, sHi = -HUGE_VAL; // the surface's depth range at the electrodes
    double growth = 0;
};

CSizes CellSizes(const CMesh& mesh, const CProfile& profile, const std::vector<double>& electrodes, double growth,
                 double scale)
{
    const auto& mx = mesh.xNodes;
    const auto& mz = mesh.zNodes;
    CSizes sizes;
    const int first = std::max(0, Interval(mx, electrodes.front()) - 1);
    for (int i = first; i <= std::min(mesh.nx - 1, Interval(mx, electrodes.back()) + 1); ++i)
        sizes.h = std::max(sizes.h, mx[i + 1] - mx[i]);
    for (double xe : electrodes) {
        const double s = profile.Depth(xe);
        sizes.sLo = std::min(sizes.sLo, s);
        sizes.sHi = std::max(sizes.sHi, s);
        const int k = Interval(mz, s);
        sizes.hz = std::max(sizes.hz, mz[k + 1] - mz[k]);
    }
    // Cells finer among the electrodes than three to their spacing grow more slowly too, so that
    // refining the mesh refines the whole grid.
    double gap = HUGE_VAL;
    for (size_t j = 1; j < electrodes.size(); ++j)
        gap = std::min(gap, electrodes[j] - electrodes[j - 1]);
    sizes.growth = growth * std::clamp(3 * sizes.h / gap, 0.25, 1.0) * scale;
    sizes.h *= scale;
    sizes.hz *= scale;
    return sizes;
}

// The uniform cells beside the outer electrodes cover the same distance on a refined grid.
int GuardCells(const CGrid::Options& options)
{
    return std::max(1, static_cast<int>(std::lround(kGuardCells / options.scale)));
}

// The width of the cells beside the first and the last electrode: those between the outer two
// electrodes continued, since the scheme is fourth-order only where cells are uniform.
std::pair<double, double> GuardWidths(const std::vector<double>& electrodes, double h)
{
    auto inner = [&](double span) { return span / std::max(1.0, std::ceil(span / h - 1e-9)); };
    const size_t last = electrodes.size() - 1;
    if (last == 0)
        return {h, h};
    return {inner(electrodes[1] - electrodes.front()), inner(electrodes.back() - electrodes[last - 1])};
}

// Where the surface crosses several rows between two lines, the elements that follow it are a
// fan of slivers, and on a cliff the data oscillate as the grid is refined: the columns near the
// electrodes (no wider than 2 h) are split until the surface falls by at most rise in each.
std::vector<double> SteepColumns(const std::vector<double>& x, const CProfile& profile, double h, double rise)
{
    std::vector<double> lines{x.front()};
    for (size_t i = 1; i < x.size(); ++i) {
        const double w = x[i] - x[i - 1], fall = std::fabs(profile.Depth(x[i]) - profile.Depth(x[i - 1]));
        const int parts = w <= 2 * h ? std::min(kMostSteepParts, static_cast<int>(std::ceil(fall / rise - 1e-9))) : 1;
        for (int j = 1; j < parts; ++j)
            lines.push_back(x[i - 1] + w * j / parts);
        lines.push_back(x[i]);
    }
    return lines;
}

// Grades the cells toward the contrasts, to options.endCell of their size at the ends of the
// lines and options.lineCell on the rest: at a corner the field is singular, and uniform cells
// converge there at first order. A tensor grid refines whole rows and columns, so it is ends
// first, the nearest to the electrodes first, and at most kMaxGraded (each adds some 16 lines);
// none whose graded cells reach first or last, the mesh's edges, where the far field's growth
// starts from the last cell.
int GradeTowardContrasts(CSizing& sizing, std::vector<CContrast> contrasts, double lo, double hi, double first,
                         double last, const CGrid::Options& options)
{
    std::stable_sort(contrasts.begin(), contrasts.end(), [&](const CContrast& a, const CContrast& b) {
        if (a.end != b.end)
            return a.end;
        return Distance(a.at, lo, hi) < Distance(b.at, lo, hi);
    });
    const double ratio = std::pow(options.gradingRatio, options.scale);
    int graded = 0;
    for (const CContrast& c : contrasts) {
        if (graded == kMaxGraded)
            break;
        const double base = sizing.Size(c.at), s0 = (c.end ? options.endCell : options.lineCell) * base;
        const double reach = s0 < base && ratio > 1 ? (base - s0) / (ratio - 1) : 0;
        if (reach == 0 || c.at - reach - base < first || c.at + reach + base > last)
            continue;
        sizing.Grade(c.at, s0, base, ratio);
        ++graded;
    }
    return graded;
}

// Where a line of change lies less than a cell from an electrode, cells shrink toward the
// electrode to that distance and grow back as toward a contrast, so that the cells beside it can
// be equal; lines within tolerance of it are its own.
void GradeTowardElectrodesNearChanges(CSizing& sizing, const std::vector<double>& changes,
                                      const std::vector<double>& electrodes, double tolerance,
                                      const CGrid::Options& options)
{
    for (double xe : electrodes) {
        const auto below = std::lower_bound(changes.begin(), changes.end(), xe - tolerance);
        const auto above = std::upper_bound(changes.begin(), changes.end(), xe + tolerance);
        double d = HUGE_VAL;
        if (below != changes.begin())
            d = xe - *(below - 1);
        if (above != changes.end())
            d = std::min(d, *above - xe);
        const double base = sizing.Size(xe);
        if (d < 0.999 * base)
            sizing.Grade(xe, d, base, std::pow(options.gradingRatio, options.scale));
    }
}

// The compact stencil is fourth-order at a source only between equal cells: unequal ones put the
// dipoles across a conductive dike off by several times as much, and a line of change less than a
// cell from an electrode put the data beside it off by a percent, whatever the contrast. Where the
// cells beside an electrode differ, the larger is cut to the smaller by moving its far line, or,
// where that is a line the grid must have or the smaller is less than half the larger, by a line
// added at the smaller's width; where that would leave a sliver, both are halved.
void EvenCellsBesideElectrodes(std::vector<double>& x, const std::vector<double>& kept,
                               const std::vector<double>& electrodes)
{
    for (double xe : electrodes) {
        const int i = NearestLine(x, xe);
        if (i < 1 || i + 1 >= static_cast<int>(x.size()))
            continue;
        const double left = x[i] - x[i - 1], right = x[i + 1] - x[i];
        const double w = std::min(left, right), wide = std::max(left, right);
        if (wide <= 1.0001 * w)
            continue;
        const int side = right > left ? 1 : -1;
        const int far = i + side;
        if (2 * w >= wide && !std::binary_search(kept.begin(), kept.end(), x[far]))
            x[far] = xe + side * w;
        else if (wide >= 1.5 * w)
            x.insert(x.begin() + std::max(i, far), xe + side * w);
        else {
            x.insert(x.begin() + i + 1, xe + 0.5 * w);
            x.insert(x.begin() + i, xe - 0.5 * w);
        }
    }
}

// Along x: the electrodes, the lines of change, the kinks of the surface and uniform cells
// beside the outer electrodes, filled in and continued to the far distance.
std::vector<double> LinesAlongX(const CMesh& mesh, const CProfile& profile, const std::vector<double>& electrodes,
                                const std::vector<char>& xChange, const std::vector<CContrast>& contrasts,
                                const CSizes& sizes, const CGrid::Options& options, int& graded)
{
    const auto& mx = mesh.xNodes;
    const double h = sizes.h, eLo = electrodes.front(), eHi = electrodes.back();
    std::vector<CLine> lines{{mx.front(), 1}, {mx.back(), 1}};
    for (double xe : electrodes)
        lines.push_back({xe, 2});
    std::vector<double> changes; // increasing
    for (int i = 1; i < mesh.nx; ++i)
        if (xChange[i]) {
            lines.push_back({mx[i], 1});
            changes.push_back(mx[i]);
        }
    for (size_t j = 1; j + 1 < profile.x.size(); ++j)
        if (profile.x[j] > mx.front() && profile.x[j] < mx.back())
            lines.push_back({profile.x[j], 0});
    const auto [wLo, wHi] = GuardWidths(electrodes, h);
    const int guard = GuardCells(options);
    for (int j = 1; j <= guard; ++j) {
        if (eLo - j * wLo > mx.front())
            lines.push_back({eLo - j * wLo, 0});
        if (eHi + j * wHi < mx.back())
            lines.push_back({eHi + j * wHi, 0});
    }
    const double xc = 0.5 * (eLo + eHi), far = std::max(options.farDistance, 0.0);
    CSizing sizing(h, sizes.growth, eLo - guard * wLo, eHi + guard * wHi);
    graded += GradeTowardContrasts(sizing, contrasts, eLo, eHi, mx.front(), mx.back(), options);
    const std::vector<double> kept = MergeLines(lines, 1e-6 * h, 0.25 * h);
    GradeTowardElectrodesNearChanges(sizing, changes, electrodes, 1e-6 * h, options);
    std::vector<double> x =
        FillLines(kept, sizing, std::pow(options.sideRatio, options.scale), xc - far, xc + far, true);
    EvenCellsBesideElectrodes(x, kept, electrodes);
    return SteepColumns(x, profile, h, kSteepRows * 0.5 * sizes.hz);
}

// Along z: from the highest point of the surface, the lines of change and the mesh's bottom.
// Under a surface that is not flat, the rows at the electrodes are halved: the elements that
// follow the surface are second-order, and it is there that the data feel them most.
std::vector<double> LinesAlongZ(const CMesh& mesh, const std::vector<char>& zChange,
                                const std::vector<CContrast>& contrasts, const std::vector<double>& surface,
                                const CSizes& sizes, const CGrid::Options& options, int& graded)
{
    const auto& mz = mesh.zNodes;
    const double zStart = *std::min_element(surface.begin(), surface.end());
    const double zLow = *std::max_element(surface.begin(), surface.end());
    const double hz = sizes.hz, sLo = sizes.sLo, sHi = sizes.sHi;
    std::vector<CLine> zLines{{zStart, 1}, {mz.back(), 1}};
    for (int k = 1; k < mesh.nz; ++k)
        if (zChange[k] && mz[k] > zStart)
            zLines.push_back({mz[k], 1});
    const double hz0 = hz / options.scale; // the regions below keep their size when the grid is refined
    CSizing zSizing(hz, sizes.growth, sLo, sHi + std::max(options.uniformDepth, kGuardCells * hz0));
    if (zLow > zStart)
        zSizing.Fine(sLo - 2 * hz0, sHi + 3 * hz0, 0.5);
    // Not where the surface crosses the rows: thin rows there keep the surface nodes from
    // following it beside the electrodes, and the data then jump about as the grid is refined.
    std::vector<CContrast> below;
    for (const CContrast& c : contrasts)
        if (c.at > (zLow > zStart ? zLow + 3 * hz0 : zStart))
            below.push_back(c);
    graded += GradeTowardContrasts(zSizing, below, sLo, sHi, -HUGE_VAL, mz.back(), options);
    const double zc = 0.5 * (sLo + sHi), far = std::max(options.farDistance, 0.0);
    return FillLines(MergeLines(zLines, 1e-6 * hz, 0), zSizing, std::pow(options.bottomRatio, options.scale), zStart,
                     zc + far, false);
}

// Per horizontal grid line: whether it is a mesh line that carries a change of value.
std::vector<char> GridChanges(const CMesh& mesh, const std::vector<char>& zChange, const std::vector<double>& z)
{
    const auto& mz = mesh.zNodes;
    std::vector<char> change(z.size(), 0);
    for (size_t k = 1; k + 1 < z.size(); ++k) {
        const int j = static_cast<int>(std::lower_bound(mz.begin(), mz.end(), z[k]) - mz.begin());
        change[k] = j <= mesh.nz && mz[j] == z[k] && zChange[j];
    }
    return change;
}

} // namespace

CGrid::CGrid(const CGridModel& model, const std::vector<double>& electrodes, const Options& options,
             const std::function<void(int, int)>& check)
{
    const CMesh& mesh = *model.mesh;
    const CProfile profile = Profile(model);
    CheckElectrodes(mesh, profile, electrodes);
    const std::vector<int> cell = EffectiveCells(mesh, model.airPerColumn);
    const CChanges changes = FindChanges(model, cell);
    const CContrasts contrasts = FindContrasts(model, cell, options.contrast);
    const CSizes sizes = CellSizes(mesh, profile, electrodes, options.growth, options.scale);
    h = sizes.h;
    hz = sizes.hz;
    x = LinesAlongX(mesh, profile, electrodes, changes.x, contrasts.x, sizes, options, graded);
    surface.resize(x.size());
    for (size_t i = 0; i < x.size(); ++i)
        surface[i] = profile.Depth(x[i]);
    z = LinesAlongZ(mesh, changes.z, contrasts.z, surface, sizes, options, graded);
    const std::vector<char> change = GridChanges(mesh, changes.z, z);
    PlaceSurfaceNodes(change);
    FadeBesideElectrodes(electrodes, change);
    if (check)
        check(Columns(), Rows());
    MakeElements(mesh, cell);
    PlaceElectrodes(electrodes);
}

// The surface node of every vertical line: the nearest node moved onto the surface, by half a
// row at most, unless that moves it up across a change of value by more than a quarter of a row.
void CGrid::PlaceSurfaceNodes(const std::vector<char>& change)
{
    top.resize(x.size());
    shift.resize(x.size());
    fade.assign(x.size(), 1);
    for (size_t i = 0; i < x.size(); ++i) {
        const double s = surface[i] = std::min(surface[i], z.back());
        int k = static_cast<int>(std::lower_bound(z.begin(), z.end(), s) - z.begin()); // z[k] >= s
        if (k > 0 && s - z[k - 1] < z[k] - s)
            --k;
        if (z[k] > s && k > 0 && change[k] && z[k] - s > 0.25 * (z[k] - z[k - 1]))
            --k;
        top[i] = k;
        shift[i] = s - z[k];
    }
}

// Per vertical line: the electrode's line whose surface node the rows follow (the electrode's
// own line and the lines next to it, the nearest electrode's where two claim one), or -1.
std::vector<int> CGrid::ElectrodeAnchors(const std::vector<double>& electrodes) const
{
    std::vector<int> electrodeLines;
    for (double xe : electrodes) {
        const int i = NearestLine(x, xe);
        if (electrodeLines.empty() || electrodeLines.back() != i)
            electrodeLines.push_back(i);
    }
    std::vector<int> anchor(x.size(), -1);
    for (int e : electrodeLines)
        for (int i = std::max(0, e - 1); i <= std::min(Columns(), e + 1); ++i)
            if (anchor[i] < 0 || std::abs(i - e) < std::abs(i - anchor[i]))
                anchor[i] = e;
    return anchor;
}

// Beside an electrode the rows follow the surface from the electrode's node instead, so that
// every electrode has the same cells about it whatever the slope; the move fades out over the
// rows below, keeping them in order, and must end above a change of value.
void CGrid::FadeBesideElectrodes(const std::vector<double>& electrodes, const std::vector<char>& change)
{
    const int NZ = Rows();
    const std::vector<int> anchor = ElectrodeAnchors(electrodes);
    for (int i = 0; i <= Columns(); ++i) {
        if (anchor[i] < 0)
            continue;
        const int k = top[anchor[i]];
        const double move = surface[i] - z[k];
        int limit = k + 1;
        while (limit < NZ && !change[limit])
            ++limit;
        double thinnest = HUGE_VAL;
        for (int j = k; j < std::min(NZ, k + kFadeRows); ++j)
            thinnest = std::min(thinnest, z[j + 1] - z[j]);
        const int rows = std::max(kFadeRows, static_cast<int>(std::ceil(2 * std::fabs(move) / thinnest)));
        if (k + rows > std::min(limit, NZ))
            continue;
        top[i] = k;
        shift[i] = move;
        fade[i] = rows;
    }
}

// The elements, each taking the values of the mesh cell it lies in; cells beyond the mesh take
// the edge's.
void CGrid::MakeElements(const CMesh& mesh, const std::vector<int>& cell)
{
    const int NX = Columns(), NZ = Rows();
    meshColumn.resize(NX);
    for (int i = 0; i < NX; ++i)
        meshColumn[i] = Interval(mesh.xNodes, 0.5 * (x[i] + x[i + 1]));
    std::vector<int> meshRow(NZ);
    for (int k = 0; k < NZ; ++k)
        meshRow[k] = Interval(mesh.zNodes, 0.5 * (z[k] + z[k + 1]));
    auto valueCell = [&](int i, int k) { return cell[static_cast<size_t>(meshRow[k]) * mesh.nx + meshColumn[i]]; };
    for (int i = 0; i < NX; ++i) {
        const int tl = top[i], tr = top[i + 1];
        // Where the surface crosses rows between the two lines, triangles fan out from the
        // surface node of the lower side to the nodes above it on the other.
        const int lo = std::min(tl, tr), hi = std::max(tl, tr);
        const int chain = tl < tr ? i : i + 1, apex = tl < tr ? i + 1 : i;
        for (int k = lo; k < hi; ++k) {
            const double centroid = (z[k] + z[k + 1] + surface[apex]) / 3;
            const int row = std::clamp(Interval(z, centroid), k, NZ - 1);
            elements.push_back({{NodeId(chain, k), NodeId(chain, k + 1), NodeId(apex, hi), -1}, valueCell(i, row)});
        }
        for (int k = hi; k < NZ; ++k)
            elements.push_back(
                {{NodeId(i, k), NodeId(i + 1, k), NodeId(i, k + 1), NodeId(i + 1, k + 1)}, valueCell(i, k)});
    }
}

// Electrodes closer than the tolerance share a line, and so a node.
void CGrid::PlaceElectrodes(const std::vector<double>& electrodes)
{
    for (double xe : electrodes) {
        const int i = NearestLine(x, xe);
        const int node = NodeId(i, top[i]);
        if (electrodeNodes.empty() || electrodeNodes.back() != node)
            electrodeNodes.push_back(node);
        electrodeOfPosition.push_back(static_cast<int>(electrodeNodes.size()) - 1);
    }
}

double CGrid::NodeZ(int node) const
{
    const int stride = Columns() + 1, i = node % stride, k = node / stride;
    const int below = k - top[i];
    if (below < 0 || below >= fade[i])
        return z[k];
    return z[k] + shift[i] * (1 - double(below) / fade[i]);
}
