#pragma once

#include "mesh/Discretize.h"

struct CModelData;

// What a model's folder holds of its discretization and forward run.
struct CFolderRuns {
    bool discretized = false;
    bool forwardDone = false;
    CDiscretizedShapes shapes;
};

// What a model's folder already holds, recognised when the model is opened: a discretization
// whose files are exactly those the model's settings write (tried with the mesh from cells per
// spacing, from the mesh's smallest cells, and as the existing mesh the input file names), and a
// forward run whose data files hold the locations' configurations and are not older. Sets the
// model's forward type and mesh file to match, and reads the run's depth of investigation;
// leaves the model as it is, and returns nothing recognised, when the files do not match. Works
// in the current folder, which must be the model's, and writes nothing.
CFolderRuns RecogniseFolder(CModelData& model);
