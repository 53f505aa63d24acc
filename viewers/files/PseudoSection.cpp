#include "files/PseudoSection.h"

#include "formats/DataFile.h"
#include "formats/LocationsFile.h"
#include "platform/Numbers.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cmath>

double MedianDepth(double a, double b, double m, double n)
{
    // The potential is a signed sum of 1/r over the current-potential pairs; the part of the
    // signal that comes from below depth z is the same sum over 1/sqrt(r^2 + 4 z^2).
    struct Pair {
        double r;
        double sign;
    } pairs[4];
    int count = 0;
    const double current[] = {a, b}, potential[] = {m, n};
    for (const CPairTerm& t : PairTerms(b == a, n == m))
        pairs[count++] = {std::fabs(potential[t.potential] - current[t.current]), t.sign};
    double whole = 0, scale = 0, longest = 0;
    for (int i = 0; i < count; ++i) {
        whole += pairs[i].sign / pairs[i].r;
        scale += 1 / pairs[i].r;
        longest = std::max(longest, pairs[i].r);
    }
    // A receiver on an equipotential measures nothing and has no depth of investigation;
    // half the distance between the centres of source and receiver stands in for it.
    if (!(std::fabs(whole) > 1e-9 * scale))
        return std::fabs((a + b) - (m + n)) / 4;
    auto fractionBelow = [&](double z) {
        double s = 0;
        for (int i = 0; i < count; ++i)
            s += pairs[i].sign / std::sqrt(pairs[i].r * pairs[i].r + 4 * z * z);
        return s / whole;
    };
    double lo = 0, hi = longest;
    for (int i = 0; i < 60 && fractionBelow(hi) > 0.5; ++i)
        hi *= 2;
    for (int i = 0; i < 200 && hi - lo > 1e-12 * hi; ++i) {
        const double mid = 0.5 * (lo + hi);
        (fractionBelow(mid) > 0.5 ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

std::string CPseudoSection::Build(const CDataFile& set, const std::string& path)
{
    *this = CPseudoSection();
    if (set.data.empty())
        return "The data file holds no data:\n" + path;

    // The electrode spacing: the smallest gap between two electrodes of one datum.
    spacing = HUGE_VAL;
    for (const CDataRecord& d : set.data) {
        const double source[2] = {d.a, d.b}, receiver[2] = {d.m, d.n};
        for (double s : source)
            for (double r : receiver)
                if (s == r)
                    return FormatC("Line %i of the data file puts a current electrode and a potential electrode "
                                   "at the same position:\n",
                                   d.line) +
                           path;
        const double gaps[] = {std::fabs(d.b - d.a), std::fabs(d.n - d.m), std::fabs(d.m - d.a),
                               std::fabs(d.n - d.a), std::fabs(d.m - d.b), std::fabs(d.n - d.b)};
        for (double g : gaps) {
            if (!std::isfinite(g))
                return FormatC("Line %i of the data file puts its electrodes too far apart to be drawn:\n", d.line) +
                       path;
            if (g > 0)
                spacing = std::min(spacing, g);
        }
        electrodes.insert(electrodes.end(), {d.a, d.b, d.m, d.n});
    }
    std::sort(electrodes.begin(), electrodes.end());
    electrodes.erase(std::unique(electrodes.begin(), electrodes.end()), electrodes.end());

    cells.resize(set.data.size());
    vMin = HUGE_VAL;
    vMax = -HUGE_VAL;
    for (size_t i = 0; i < cells.size(); ++i) {
        const CDataRecord& d = set.data[i];
        CSectionCell& c = cells[i];
        c.x = (d.a + d.b + d.m + d.n) / 4;
        c.depth = MedianDepth(d.a, d.b, d.m, d.n);
        const double gap =
            std::min({std::fabs(d.m - d.a), std::fabs(d.n - d.a), std::fabs(d.m - d.b), std::fabs(d.n - d.b)});
        c.level = std::max(1, RoundToInt(gap / spacing));
        maxLevel = std::max(maxLevel, c.level);
        c.valid = set.ip || d.value > 0;
        if (c.valid) {
            c.colourValue = set.ip ? d.value : -std::log10(d.value);
            vMin = std::min(vMin, c.colourValue);
            vMax = std::max(vMax, c.colourValue);
        }
    }
    if (vMin > vMax)
        vMin = vMax = 0;

    // Depths that differ only by the rounding of the positions in the file form one level;
    // each cell reaches halfway to the levels above and below it.
    std::vector<size_t> order(cells.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [this](size_t p, size_t q) { return cells[p].depth < cells[q].depth; });
    std::vector<double> levels;
    std::vector<size_t> levelOf(cells.size());
    const double tolerance = 1e-3 * spacing;
    for (size_t i = 0; i < order.size();) {
        // Each pass takes at least one cell, whatever the depths are.
        size_t j = i + 1;
        double sum = cells[order[i]].depth;
        levelOf[order[i]] = levels.size();
        for (; j < order.size() && cells[order[j]].depth - cells[order[i]].depth <= tolerance; ++j) {
            sum += cells[order[j]].depth;
            levelOf[order[j]] = levels.size();
        }
        levels.push_back(sum / static_cast<double>(j - i));
        i = j;
    }
    std::vector<double> bounds(levels.size() + 1);
    if (levels.size() == 1) {
        bounds[0] = levels[0] / 2;
        bounds[1] = levels[0] * 1.5;
    } else {
        for (size_t i = 1; i < levels.size(); ++i)
            bounds[i] = (levels[i - 1] + levels[i]) / 2;
        bounds[0] = std::max(0.0, levels[0] - (bounds[1] - levels[0]));
        bounds.back() = levels.back() + (levels.back() - bounds[levels.size() - 1]);
    }
    for (size_t i = 0; i < cells.size(); ++i) {
        cells[i].top = bounds[levelOf[i]];
        cells[i].bottom = bounds[levelOf[i] + 1];
    }
    maxDepth = bounds.back();

    xMin = electrodes.front();
    xMax = electrodes.back();
    for (const CSectionCell& c : cells) {
        xMin = std::min(xMin, c.x - spacing / 2);
        xMax = std::max(xMax, c.x + spacing / 2);
    }
    return "";
}
