#include "mesh/Topography.h"

#include "formats/TopographyFile.h"
#include "mesh/Mesh.h"
#include "model/ModelData.h"

#include <algorithm>

namespace {

struct Vertex {
    double x;
    double elevation;
};

// The surface's elevation at x: along the polyline, flat beyond its ends.
double ElevationAt(const std::vector<Vertex>& v, double x)
{
    if (v.empty())
        return 0;
    if (x <= v.front().x)
        return v.front().elevation;
    if (x >= v.back().x)
        return v.back().elevation;
    auto b = std::upper_bound(v.begin(), v.end(), x, [](double p, const Vertex& q) { return p < q.x; });
    auto a = std::prev(b);
    return a->elevation + (b->elevation - a->elevation) * (x - a->x) / (b->x - a->x);
}

} // namespace

void BuildExtendedProfile(const CModelData& model, double left, double right, std::vector<double>& E,
                          std::vector<double>& X)
{
    std::vector<Vertex> v;
    for (const CTopoPt& p : model.m_topo)
        v.push_back({p.m_x, 0.0 - p.m_z}); // a depth of 0 is an elevation of 0, not -0
    // Editing keeps the points by increasing x; a file may not.
    std::stable_sort(v.begin(), v.end(), [](const Vertex& a, const Vertex& b) { return a.x < b.x; });

    X.clear();
    E.clear();
    X.push_back(left);
    E.push_back(ElevationAt(v, left));
    for (const Vertex& p : v) {
        if (p.x < left) {
            X.push_back(left);
            E.push_back(ElevationAt(v, left));
        } else if (p.x > right) {
            X.push_back(right);
            E.push_back(ElevationAt(v, right));
        } else {
            X.push_back(p.x);
            E.push_back(p.elevation);
        }
    }
    X.push_back(right);
    E.push_back(ElevationAt(v, right));
}

void WriteTopographyFile(const CModelData& model, int N, std::vector<double>& E, std::vector<double>& X, double left,
                         double right)
{
    BuildExtendedProfile(model, left, right, E, X);
    (void)N; // the profile's size follows from the points
    CTopographyFile file;
    file.x = X;
    file.elevation = E;
    file.Write(model.m_topoFileName);
}

void ComputeAirCells(CMesh& mesh, bool topography, const std::vector<double>& E, const std::vector<double>& X)
{
    const int nx = mesh.nx, nz = mesh.nz;
    mesh.airPerColumn.assign(static_cast<size_t>(std::max(nx, 0)), 0);
    if (!topography || X.size() < 2 || E.size() != X.size() || nx < 1)
        return;
    const auto& xn = mesh.xNodes;
    const auto& zn = mesh.zNodes;
    const size_t last = X.size() - 1;

    // Walk the profile once, left to right, integrating its elevation over each column.
    double xp = xn[0];
    double ep = E[0];
    size_t j = 1;
    long long total = 0;
    for (int i = 0; i < nx; ++i) {
        const double xr = xn[i + 1];
        double A = 0;
        while (j < last && xr > X[j]) {
            A += (X[j] - xp) * 0.5 * (E[j] + ep);
            xp = X[j];
            ep = E[j];
            ++j;
        }
        const double run = X[j] - X[j - 1];
        const double er = run > 0 ? (E[j] - E[j - 1]) / run * (xr - X[j]) + E[j] : E[j];
        A += (xr - xp) * 0.5 * (er + ep);
        xp = xr;
        ep = er;

        // Nodes at or above the mean surface, compared as elevation times the column width.
        const double w = xr - xn[i];
        auto g = [&](int k) { return -w * zn[k]; };
        int k = 0;
        if (g(0) >= A) {
            while (k < nz) {
                ++k;
                if (g(k) < A)
                    break;
            }
        }
        // The nearer of the nodes above and below the surface; a tie keeps the upper one.
        if (k > 0 && !(g(k - 1) - A > A - g(k)))
            --k;
        mesh.airPerColumn[i] = k;
        total += k;
    }
    mesh.airCells = static_cast<int>(total);
}

void BuildDiscretizedSurface(const CMesh& mesh, std::vector<CPoint>& surface, double s, double cx1, double cz1)
{
    surface.clear();
    const int columns = mesh.nx - 2 * mesh.outer;
    if (columns <= 0)
        return;
    surface.reserve(2 * static_cast<size_t>(columns));
    for (int i = mesh.outer; i < mesh.nx - mesh.outer; ++i) {
        const int air = static_cast<size_t>(i) < mesh.airPerColumn.size() ? mesh.airPerColumn[i] : 0;
        const int z = RoundToInt((mesh.zNodes[air] - cz1) * s);
        surface.push_back({RoundToInt((mesh.xNodes[i] - cx1) * s), z});
        surface.push_back({RoundToInt((mesh.xNodes[i + 1] - cx1) * s), z});
    }
}
