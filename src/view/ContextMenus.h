#pragma once

#include "dialogs/ResourceIds.h"
#include "platform/Resources.h"

#include <vector>

// The view's context menus: the first over a block, the second for the topography.
inline const std::vector<MenuPopup> kContextMenus = {
    {"block",
     {{"move", ID_BLOCK_MOVE},
      {"size", ID_BLOCK_SIZE},
      {"properties", ID_BLOCK_PROPERTIES},
      {"delete", ID_BLOCK_DELETE},
      {"to back", ID_BLOCK_TO_BACK},
      {"copy", ID_BLOCK_COPY},
      {"shear", ID_BLOCK_SHEAR},
      {"ellipse", ID_BLOCK_ELLIPSE}}},
    {"topography", {{"delete point", ID_TOPO_DELETE_POINT}, {"remove topography", ID_TOPO_REMOVE}}},
};
