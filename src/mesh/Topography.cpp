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

CTopographyFile BuildExtendedProfile(const CModelData& model, double left, double right)
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

    CTopographyFile profile;
    auto add = [&](double x, double e) {
        profile.x.push_back(x);
        profile.elevation.push_back(e);
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
    return profile;
}

CTopographyFile WriteTopographyFile(const CModelData& model, double left, double right)
{
    CTopographyFile profile = BuildExtendedProfile(model, left, right);
    profile.Write(kTopographyFileName);
    return profile;
}

void ComputeAirCells(CMesh& mesh, const CTopographyFile& profile)
{
    const int nx = mesh.nx, nz = mesh.nz;
    mesh.airPerColumn.assign(static_cast<size_t>(std::max(nx, 0)), 0);
    const std::vector<double>& X = profile.x;
    const std::vector<double>& E = profile.elevation;
    if (X.size() < 2 || E.size() != X.size() || nx < 1)
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

std::vector<std::pair<double, double>> BuildDiscretizedSurface(const CMesh& mesh)
{
    std::vector<std::pair<double, double>> surface;
    const int columns = mesh.nx - 2 * mesh.outer;
    if (columns <= 0)
        return surface;
    surface.reserve(2 * static_cast<size_t>(columns));
    for (int i = mesh.outer; i < mesh.nx - mesh.outer; ++i) {
        const int air = static_cast<size_t>(i) < mesh.airPerColumn.size() ? mesh.airPerColumn[i] : 0;
        const double z = mesh.zNodes[air];
        surface.emplace_back(mesh.xNodes[i], z);
        surface.emplace_back(mesh.xNodes[i + 1], z);
    }
    return surface;
}
