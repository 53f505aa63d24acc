#include "mesh/MovedBoundaries.h"

#include "platform/TextFormat.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using B = CMovedBoundary;

// The share of a block's size an edge may move unnamed. A tenth: a 2 m surface layer discretized
// 1.667 m thick (a sixth) changed the data by 17 to 20 %, far more than the forward run's error.
constexpr double kShare = 0.1;

struct CMove {
    B::EEdge edge;
    double drawn = 0, meshed = 0;
    std::optional<double> depth;
    bool narrow = false, thin = false; // no cell: too narrow, too thin for the cells
};

// Neither said: too small both ways.
CMove NoCell(bool narrow, bool thin)
{
    return {B::noCell, 0, 0, std::nullopt, narrow || !thin, thin || !narrow};
}

// Where an edge counts: the core, as far as the mesh reaches.
struct CRange {
    double x1, x2, z1, z2;
    bool HasX(double x) const { return x >= x1 && x <= x2; }
    bool HasZ(double z) const { return z >= z1 && z <= z2; }
};

CRange Within(const CModelData& m, const CMesh& mesh)
{
    return {std::max(m.m_coreX1, mesh.xNodes.front()), std::min(m.m_coreX2, mesh.xNodes.back()),
            std::max(m.m_coreZ1, mesh.zNodes.front()), std::min(m.m_coreZ2, mesh.zNodes.back())};
}

// The edges of the cells the block gets, found by the rasterisation's own rules.
std::vector<CMove> Moves(const CMesh& mesh, const CElement& b, B::EShape shape, const CRange& in)
{
    const auto& x = mesh.xNodes;
    const auto& z = mesh.zNodes;
    const double width = std::fabs(b.m_x2 - b.m_x1), thickness = std::fabs(b.m_z2 - b.m_z1);
    std::vector<CMove> moves;
    auto side = [&](B::EEdge e, double drawn, double meshed, std::optional<double> depth = {}) {
        if (in.HasX(drawn) && std::fabs(meshed - drawn) > kShare * width)
            moves.push_back({e, drawn, meshed, depth});
    };
    auto level = [&](B::EEdge e, double drawn, double meshed) {
        if (in.HasZ(drawn) && std::fabs(meshed - drawn) > kShare * thickness)
            moves.push_back({e, drawn, meshed, {}});
    };
    const int i1 = NearestNode(x, b.m_x1), i2 = NearestNode(x, b.m_x2);
    const int k1 = NearestNode(z, b.m_z1), k2 = NearestNode(z, b.m_z2);

    if (shape == B::sheared) {
        // Each row's edges snap at the row's mid-depth; the row that strays most speaks for the edge.
        std::optional<CMove> worst[2];
        bool anyCell = false;
        for (int k = k1; k < k2; ++k) {
            const double zc = (z[k] + z[k + 1]) / 2;
            const double shift = (zc - b.m_z1) * b.m_slope;
            const double l = b.m_xTop1 - shift, r = b.m_xTop2 - shift;
            const int il = NearestNode(x, l), ir = NearestNode(x, r);
            anyCell = anyCell || il < ir;
            if (!in.HasZ(zc))
                continue;
            const CMove row[2] = {{B::left, l, x[il], zc}, {B::right, r, x[ir], zc}};
            for (int e = 0; e < 2; ++e)
                if (in.HasX(row[e].drawn) && (!worst[e] || std::fabs(row[e].meshed - row[e].drawn) >
                                                               std::fabs(worst[e]->meshed - worst[e]->drawn)))
                    worst[e] = row[e];
        }
        if (!anyCell)
            return {NoCell(k1 < k2, k1 >= k2)};
        for (const auto& w : worst)
            if (w)
                side(w->edge, w->drawn, w->meshed, w->depth);
        level(B::top, b.m_z1, z[k1]);
        level(B::bottom, b.m_z2, z[k2]);
        return moves;
    }

    if (shape == B::ellipse) {
        // The extent of the cells whose centres lie inside, over the cells the rasterisation visits.
        constexpr double inf = std::numeric_limits<double>::infinity();
        double left = inf, right = -inf, top = inf, bottom = -inf;
        const double cx = (b.m_x1 + b.m_x2) / 2, cz = (b.m_z1 + b.m_z2) / 2;
        const double rx = width / 2, rz = thickness / 2;
        const int nx = static_cast<int>(x.size()) - 1, nz = static_cast<int>(z.size()) - 1;
        for (int i = std::max(0, i1 - 1); i <= std::min(nx - 1, i2); ++i) {
            const double u = ((x[i] + x[i + 1]) / 2 - cx) / rx;
            for (int k = std::max(0, k1 - 1); k <= std::min(nz - 1, k2); ++k) {
                const double w = ((z[k] + z[k + 1]) / 2 - cz) / rz;
                if (u * u + w * w <= 1) {
                    left = std::min(left, x[i]), right = std::max(right, x[i + 1]);
                    top = std::min(top, z[k]), bottom = std::max(bottom, z[k + 1]);
                }
            }
        }
        if (left > right)
            return {NoCell(i1 == i2, k1 == k2)};
        side(B::left, b.m_x1, left);
        side(B::right, b.m_x2, right);
        level(B::top, b.m_z1, top);
        level(B::bottom, b.m_z2, bottom);
        return moves;
    }

    if (i1 == i2 || k1 == k2)
        return {NoCell(shape != B::layer && i1 == i2, k1 == k2)};
    if (shape != B::layer) {
        side(B::left, b.m_x1, x[i1]);
        side(B::right, b.m_x2, x[i2]);
    }
    level(B::top, b.m_z1, z[k1]);
    level(B::bottom, b.m_z2, z[k2]);
    return moves;
}

// The largest number of two significant digits not above v; 0 for none.
double TwoDigitsBelow(double v)
{
    if (!(v > 0) || !std::isfinite(v))
        return 0;
    const double unit = std::pow(10.0, std::floor(std::log10(v)) - 1);
    // The tolerance keeps 0.5 from reading as 0.49 where the division lands a hair below 50.
    return std::floor(v / unit * (1 + 1e-12)) * unit;
}

// The cell size offered along one axis: a tenth of the block's size, and smaller than the
// designed mesh's own, which did not keep it.
double FirstOffer(double size, double current, bool redesigned)
{
    const double share = TwoDigitsBelow(size * kShare);
    return redesigned && share >= current ? TwoDigitsBelow(current / 2) : share;
}

void Suggest(B& f, const CMove& move, const CElement& b, const CModelData& m, double dx, double dz,
             const CRedesign& redesign)
{
    const bool alongX = f.edge == B::noCell ? move.narrow : f.edge == B::left || f.edge == B::right;
    const bool alongZ = f.edge == B::noCell ? move.thin : f.edge == B::top || f.edge == B::bottom;
    double cdx = alongX ? FirstOffer(std::fabs(b.m_x2 - b.m_x1), dx, bool(redesign)) : 0;
    double cdz = alongZ ? FirstOffer(std::fabs(b.m_z2 - b.m_z1), dz, bool(redesign)) : 0;
    if (!redesign) {
        f.dx = cdx, f.dz = cdz;
        return;
    }
    // Padding cells or a core whose top is not at depth 0 can leave an edge in cells larger than
    // dz, so the offer is tried on the mesh that it would give.
    for (int attempt = 0; attempt < 4 && (!alongX || cdx > 0) && (!alongZ || cdz > 0); ++attempt) {
        const std::optional<CMesh> other = redesign(alongX ? cdx : dx, alongZ ? cdz : dz);
        if (!other || other->xNodes.size() < 2 || other->zNodes.size() < 2)
            return;
        const std::vector<CMove> again = Moves(*other, b, f.shape, Within(m, *other));
        if (std::none_of(again.begin(), again.end(), [&](const CMove& move) { return move.edge == f.edge; })) {
            f.dx = cdx, f.dz = cdz;
            return;
        }
        cdx = TwoDigitsBelow(cdx / 2);
        cdz = TwoDigitsBelow(cdz / 2);
    }
}

// By the enums' order.
const char* EdgeName(B::EEdge e)
{
    static const char* const kNames[] = {"left edge", "right edge", "top", "bottom", "bottom"};
    return kNames[e];
}

const char* ShapeName(B::EShape s)
{
    static const char* const kNames[] = {"", " (a layer)", " (an ellipse)", " (sheared)"};
    return kNames[s];
}

std::string Line(const B& f)
{
    const std::string block =
        FormatC("%s block %i%s", f.kind == EModelKind::dc ? "DC" : "IP", f.block, ShapeName(f.shape));
    if (f.edge == B::noCell) {
        std::string line = "The mesh gives " + block + " no cell";
        if (f.dx > 0 && f.dz > 0)
            return line + FormatC(": cells of dx = %g and dz = %g or smaller keep it.", f.dx, f.dz);
        if (f.dx > 0 || f.dz > 0)
            return line + FormatC(": cells of %s = %g or smaller keep it.", f.dx > 0 ? "dx" : "dz", f.dx + f.dz);
        return line + ".";
    }
    const bool side = f.edge == B::left || f.edge == B::right;
    std::string line = FormatC("The mesh moves the %s of %s", EdgeName(f.edge), block.c_str());
    if (f.depth)
        line += FormatC(" at depth %g", *f.depth);
    line += side ? FormatC(" from x %g to %g", f.drawn, f.meshed) : FormatC(" from depth %g to %g", f.drawn, f.meshed);
    const double cell = side ? f.dx : f.dz;
    if (cell > 0)
        return line + FormatC(": cells of %s = %g or smaller keep it within a tenth of its %s.", side ? "dx" : "dz",
                              cell, side ? "width" : "thickness");
    return line + ".";
}

} // namespace

std::vector<CMovedBoundary> FindMovedBoundaries(const CMesh& mesh, const CModelData& m, bool withIP, double dx,
                                                double dz, const CRedesign& redesign)
{
    std::vector<CMovedBoundary> found;
    if (mesh.xNodes.size() < 2 || mesh.zNodes.size() < 2)
        return found;
    const CRange in = Within(m, mesh);
    auto check = [&](const CElementList& blocks, EModelKind kind) {
        int number = 0;
        for (const CElement& b : blocks) {
            ++number;
            // A block wholly outside the core has no edge that counts.
            if (!(std::min(b.m_x1, b.m_x2) < in.x2 && std::max(b.m_x1, b.m_x2) > in.x1 &&
                  std::min(b.m_z1, b.m_z2) < in.z2 && std::max(b.m_z1, b.m_z2) > in.z1))
                continue;
            const B::EShape shape = b.m_bEllipse                                   ? B::ellipse
                                    : b.m_slope != 0                               ? B::sheared
                                    : b.m_x1 <= m.m_coreX1 && b.m_x2 >= m.m_coreX2 ? B::layer
                                                                                   : B::rectangle;
            for (const CMove& move : Moves(mesh, b, shape, in)) {
                B f;
                f.kind = kind, f.block = number, f.shape = shape, f.edge = move.edge;
                f.drawn = move.drawn, f.meshed = move.meshed, f.depth = move.depth;
                Suggest(f, move, b, m, dx, dz, redesign);
                found.push_back(f);
            }
        }
    };
    check(m.m_dcModel, EModelKind::dc);
    if (withIP)
        check(m.m_ipModel, EModelKind::ip);
    return found;
}

std::string DescribeMovedBoundaries(const std::vector<CMovedBoundary>& moved, size_t limit)
{
    std::string text;
    for (size_t i = 0; i < moved.size() && i < limit; ++i)
        text += Line(moved[i]) + "\n";
    if (moved.size() > limit) {
        const size_t rest = moved.size() - limit;
        text += rest == 1 ? std::string("The mesh moves one more boundary.\n")
                          : FormatC("The mesh moves %zu more boundaries.\n", rest);
    }
    return text;
}
