#include "engine/ElectrodePlacement.h"

#include "engine/EngineError.h"
#include "engine/RunLog.h"
#include "mesh/Mesh.h"
#include "platform/TextFormat.h"

#include <algorithm>
#include <cmath>
#include <map>

CElectrodePlacement PlaceElectrodes(const CMesh& mesh, const std::vector<int>& airPerColumn,
                                    const std::vector<double>& positions, CRunLog& log)
{
    CElectrodePlacement placement;
    std::map<std::pair<int, int>, int> byNode;
    double shift = 0;
    for (double x : positions) {
        if (x < mesh.xNodes.front() || x > mesh.xNodes.back())
            throw CEngineError(FormatC("The electrode at x = %g lies outside the mesh, which spans x = %g to %g.", x,
                                       mesh.xNodes.front(), mesh.xNodes.back()));
        const int i = NearestNode(mesh.xNodes, x);
        int top = mesh.nz;
        if (i > 0)
            top = std::min(top, airPerColumn[i - 1]);
        if (i < mesh.nx)
            top = std::min(top, airPerColumn[i]);
        if (top >= mesh.nz)
            throw CEngineError(FormatC("There is no ground under the electrode at x = %g: the mesh columns beside "
                                       "its node are air to the bottom.",
                                       x));
        shift = std::max(shift, std::fabs(x - mesh.xNodes[i]));
        auto [at, added] = byNode.insert({{i, top}, static_cast<int>(placement.columns.size())});
        if (added) {
            placement.columns.push_back(i);
            placement.rows.push_back(top);
        }
        placement.ofPosition.push_back(at->second);
    }
    log.Info(FormatC("Electrodes: %zu positions on %zu mesh nodes, each at the top of the ground under it",
                     positions.size(), placement.columns.size()));
    if (shift > 0)
        log.Warning(FormatC("Electrodes lie up to %g off the nearest mesh node and are computed there.", shift));
    return placement;
}
