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

namespace {

// A datum's plotting point; data sharing one are put side by side in the order of key.
struct CPlace {
    double x, y, key;
};

// One plotting point of a row and the data drawn there.
struct CSite {
    double x = 0;
    size_t first = 0, end = 0; // its data in the order of LayOutCells
    double left = 0, right = 0;
};

// Cells about the plotting points that never overlap, so that no datum hides another. Points
// whose y differ by at most yTolerance form a row; in a row a cell reaches halfway to its
// neighbours and at most halfWidth from its point. Down, a cell reaches halfway to the nearest
// row above and below that has a cell across the same x, and as far on the other side when it
// has such a row on one side only; at most maxHalfHeight. Where data crowd, cells are small.
// Data on one point (within xTolerance) split its cell into equal columns.
std::vector<CCellBox> LayOutCells(const std::vector<CPlace>& places, double halfWidth, double maxHalfHeight,
                                  double xTolerance, double yTolerance)
{
    std::vector<size_t> order(places.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    auto byY = [&](size_t p, size_t q) { return places[p].y < places[q].y; };
    auto byX = [&](size_t p, size_t q) { return places[p].x < places[q].x; };
    auto byKey = [&](size_t p, size_t q) { return places[p].key < places[q].key; };
    std::stable_sort(order.begin(), order.end(), byY);

    std::vector<double> rowY;
    std::vector<std::vector<CSite>> rows;
    for (size_t i = 0; i < order.size();) {
        size_t j = i + 1;
        while (j < order.size() && places[order[j]].y - places[order[i]].y <= yTolerance)
            ++j;
        double sum = 0;
        for (size_t k = i; k < j; ++k)
            sum += places[order[k]].y;
        rowY.push_back(sum / static_cast<double>(j - i));
        std::stable_sort(order.begin() + i, order.begin() + j, byX);
        std::vector<CSite>& sites = rows.emplace_back();
        for (size_t k = i; k < j;) {
            size_t l = k + 1;
            while (l < j && places[order[l]].x - places[order[k]].x <= xTolerance)
                ++l;
            CSite site;
            for (size_t m = k; m < l; ++m)
                site.x += places[order[m]].x;
            site.x /= static_cast<double>(l - k);
            site.first = k;
            site.end = l;
            std::stable_sort(order.begin() + k, order.begin() + l, byKey);
            sites.push_back(site);
            k = l;
        }
        for (size_t k = 0; k < sites.size(); ++k) {
            CSite& site = sites[k];
            site.left = k > 0 ? std::max(site.x - halfWidth, (sites[k - 1].x + site.x) / 2) : site.x - halfWidth;
            site.right =
                k + 1 < sites.size() ? std::min(site.x + halfWidth, (site.x + sites[k + 1].x) / 2) : site.x + halfWidth;
        }
        i = j;
    }

    // Whether row r has a cell across part of left to right; its cells are in order and apart.
    auto across = [&rows](size_t r, double left, double right) {
        const std::vector<CSite>& sites = rows[r];
        const auto it = std::upper_bound(sites.begin(), sites.end(), left,
                                         [](double x, const CSite& site) { return x < site.right; });
        return it != sites.end() && it->left < right;
    };
    // Half the distance from row r to the nearest row above or below with a cell across the site,
    // -1 for none. Only kLooked rows are looked at: limit, half the distance to the last one, is as
    // far as the cell may reach while a row further off might still have one (HUGE_VAL when none can).
    constexpr size_t kLooked = 200; // so that rows of data that never overlap take no quadratic time
    auto reach = [&](size_t r, const CSite& site, bool below, double& limit) {
        for (size_t k = 1; k <= kLooked; ++k) {
            if (below ? r + k >= rows.size() : r < k) {
                limit = HUGE_VAL;
                return -1.0;
            }
            const size_t q = below ? r + k : r - k;
            limit = std::fabs(rowY[q] - rowY[r]) / 2;
            if (across(q, site.left, site.right))
                return limit;
        }
        return -1.0;
    };
    std::vector<CCellBox> boxes(places.size());
    for (size_t r = 0; r < rows.size(); ++r) {
        const double y = rowY[r];
        for (const CSite& site : rows[r]) {
            double upLimit = 0, downLimit = 0;
            double up = reach(r, site, false, upLimit), down = reach(r, site, true, downLimit);
            if (up < 0 && down < 0)
                up = down = y > 0 ? y / 2 : halfWidth;
            else if (up < 0)
                up = down;
            else if (down < 0)
                down = up;
            const double top = std::max(0.0, y - std::min({up, upLimit, maxHalfHeight}));
            const double bottom = y + std::min({down, downLimit, maxHalfHeight});
            const double width = (site.right - site.left) / static_cast<double>(site.end - site.first);
            auto edge = [&](size_t k) {
                return k < site.end ? site.left + width * static_cast<double>(k - site.first) : site.right;
            };
            for (size_t k = site.first; k < site.end; ++k)
                boxes[order[k]] = {edge(k), edge(k + 1), top, bottom};
        }
    }
    return boxes;
}

} // namespace

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
    std::vector<CPlace> byDepth(cells.size()), byLevel(cells.size());
    vMin = HUGE_VAL;
    vMax = -HUGE_VAL;
    for (size_t i = 0; i < cells.size(); ++i) {
        const CDataRecord& d = set.data[i];
        CSectionCell& c = cells[i];
        // A multiple-gradient datum is plotted at the midpoint of M N (Dahlin and Zhou, 2006):
        // the potential dipole moves between current electrodes that stay. Where M N is centred
        // between A and B (Wenner, Wenner-Schlumberger) this is the midpoint of the array.
        const bool between =
            d.a != d.b && std::min(d.m, d.n) > std::min(d.a, d.b) && std::max(d.m, d.n) < std::max(d.a, d.b);
        c.x = between ? (d.m + d.n) / 2 : (d.a + d.b + d.m + d.n) / 4;
        c.depth = MedianDepth(d.a, d.b, d.m, d.n);
        const double gap =
            std::min({std::fabs(d.m - d.a), std::fabs(d.n - d.a), std::fabs(d.m - d.b), std::fabs(d.n - d.b)});
        c.level = std::max(1, RoundToInt(gap / spacing));
        maxLevel = std::max(maxLevel, c.level);
        // Data on one plotting point, such as gradient data whose current electrodes mirror
        // each other about M N, share its cell side by side: the one whose current electrodes
        // lie further left on the left, as a geophysicist lays out the spread.
        byDepth[i] = {c.x, c.depth, (d.a + d.b) / 2};
        byLevel[i] = {c.x, static_cast<double>(c.level), (d.a + d.b) / 2};
        c.valid = set.ip || d.value > 0;
        if (c.valid) {
            c.colourValue = set.ip ? d.value : -std::log10(d.value);
            vMin = std::min(vMin, c.colourValue);
            vMax = std::max(vMax, c.colourValue);
        }
    }
    if (vMin > vMax)
        vMin = vMax = 0;

    // Depths and positions that differ only by the rounding of the positions in the file are one.
    const double tolerance = 1e-3 * spacing;
    const std::vector<CCellBox> boxes = LayOutCells(byDepth, spacing / 2, HUGE_VAL, tolerance, tolerance);
    const std::vector<CCellBox> levelBoxes = LayOutCells(byLevel, spacing / 2, 0.5, tolerance, 0);
    xMin = electrodes.front();
    xMax = electrodes.back();
    for (size_t i = 0; i < cells.size(); ++i) {
        cells[i].box = boxes[i];
        cells[i].levelBox = levelBoxes[i];
        maxDepth = std::max(maxDepth, boxes[i].bottom);
        xMin = std::min({xMin, boxes[i].left, levelBoxes[i].left});
        xMax = std::max({xMax, boxes[i].right, levelBoxes[i].right});
    }
    return "";
}
