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

} // namespace

void BuildExtendedProfile(const CModelData& model, double left, double right, std::vector<double>& E,
                          std::vector<double>& X)
{
    std::vector<Vertex> v;
    for (const CTopoPt& p : model.m_topo)
        v.push_back({p.m_x, 0.0 - p.m_z}); // a depth of 0 is an elevation of 0, not -0
    // Editing keeps the points by increasing x; a file may not.
    std::stable_sort(v.begin(), v.end(), [](const Vertex& a, const Vertex& b) { return a.x < b.x; });
    std::vector<double> xs, es;
    for (const Vertex& p : v) {
        xs.push_back(p.x);
        es.push_back(p.elevation);
    }

    X.clear();
    E.clear();
    auto add = [&](double x, double e) {
        X.push_back(x);
        E.push_back(e);
    };
    add(left, ElevationAlong(xs, es, left));
    for (const Vertex& p : v) {
        if (p.x < left)
            add(left, ElevationAlong(xs, es, left));
        else if (p.x > right)
            add(right, ElevationAlong(xs, es, right));
        else
            add(p.x, p.elevation);
    }
    add(right, ElevationAlong(xs, es, right));
}

void WriteTopographyFile(const CModelData& model, int N, std::vector<double>& E, std::vector<double>& X, double left,
                         double right)
{
    BuildExtendedProfile(model, left, right, E, X);
    (void)N; // the profile's size follows from the points
    CTopographyFile file;
    file.x = X;
    file.elevation = E;
    file.Write(kTopographyFileName);
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
