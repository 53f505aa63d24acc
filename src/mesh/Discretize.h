#pragma once

#include "mesh/Rasterise.h"
#include "model/ModelData.h"
#include "platform/FolderLock.h"
#include "platform/Refusal.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

// The Discretize dialog's checks of the settings in their order; the largest a-spacing is a
// quarter of the core width. Only the chosen mesh option's fields count.
CVerdict CheckDiscretizeSettings(const CDiscretizeSettings& settings, double coreWidth);

// The checks of the chargeabilities against the forward type: an empty IP model only warns,
// a chargeability of 1 or more (background or block) with "DC and IP" is refused.
CVerdict CheckChargeabilities(const CModelData& model);

// Whether a forward run has left results in the current folder, which a new discretization
// would make stale.
bool HasPreviousResults();
// The question asked before they are removed.
extern const char* const kEraseResultsQuestion;

// Removes the results of an earlier forward run from the current folder: the data files, the
// forward input file and the log, so that none of another survey stays beside the new files.
// Raises CFileException when one cannot be removed.
void RemovePreviousResults();

// The model's settings as the Discretize dialog and the batch mode start from them: dx and dz
// proposed from the core width (a hundredth, and half of that) until chosen.
CDiscretizeSettings ProposedSettings(const CModelData& model);

// The discretized model in model units, as the mesh holds it, for the view to draw.
struct CDiscretizedShapes {
    std::vector<std::pair<double, double>> surface; // the core columns' ground, two points per column
    std::vector<CBlockCells> dc, ip;                // the blocks' cells in list order; ip empty for DC
};

// Whether the files of the current folder are exactly those RunDiscretization would write for
// the model's settings, computed without writing anything; when they are, the shapes
// RunDiscretization gives (and an existing mesh is the model's mesh file).
std::optional<CDiscretizedShapes> DiscretizationMatches(CModelData& model);

// What a discretization wrote: the summary for the user, warnings raised on the way, and the
// discretized shapes.
struct CDiscretized {
    std::string summary;
    CWarnings warnings;
    CDiscretizedShapes shapes;
};

// Writes the discretization into the current folder (locations, mesh unless an existing one is
// used, topography, conductivity and, for IP and IPL, chargeability) and composes the summary. With
// erasePreviousResults, the results of an earlier forward run go once the survey and the mesh are
// planned, just before the first file is written. Raises CRefusal or CFileException when a step
// ended the command; a refusal before the first file leaves the folder as it was, files written
// before a later one stay. lock, when given, is taken at that point, before any file is erased or
// written (refused with CRefusal when another run holds the folder), and left held; then the
// temporary files that killed writers of the folder's files left are removed.
CDiscretized RunDiscretization(CModelData& model, bool erasePreviousResults = false, CFolderLock* lock = nullptr);
