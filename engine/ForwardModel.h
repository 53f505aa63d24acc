#pragma once

#include "engine/ForwardJob.h"
#include "engine/Grid.h"
#include "engine/Survey.h"
#include "mesh/Mesh.h"

#include <string>
#include <vector>

class CRunLog;

// Everything one run reads.
struct CForwardInput {
    CForwardJob job;
    CMesh mesh;
    std::vector<int> airPerColumn;          // air cells at the top of each mesh column
    std::vector<double> profileX, profileE; // the topography file's surface; empty without one
    // One value per mesh cell, rows from the top down: cell (i, k) is [k * nx + i].
    std::vector<double> conductivity;  // S/m
    std::vector<double> chargeability; // IP and IPL
    CSurvey survey;
};

// The predicted data, one entry per datum in the survey's order.
struct CForwardResult {
    std::vector<double> voltage;               // V/I, ohm
    std::vector<double> apparentResistivity;   // ohm m
    std::vector<double> apparentChargeability; // IP and IPL
    double algebraSeconds = 0;                 // wall time of the factorisations
    int wavenumbers = 0;
    int unknowns = 0;
};

struct CEngineOptions {
    int threads = 0;         // 0: one per processor
    double memoryBudget = 0; // bytes the run may use; 0: no limit known
    bool progress = false;   // a line on standard output per finished model and wavenumber
    CGrid::Options grid;
    // How far the grid reaches, in multiples of the survey's largest distance that matters, and
    // how fast its cells grow beyond the mesh, for data with pole receivers; the grid's options
    // hold the growth for the others.
    double farFactor = 20;
    double dipoleFarFactor = 3;
    double poleRatio = 1.08;
};

// Solves the 2.5D DC problem for every electrode on the input's model (and for IP, on the
// model with conductivities sigma (1 - eta); for IPL, on sigma (1 - eps eta) to differentiate)
// and forms the data. Raises CEngineError on a model or survey the method cannot take: a
// conductivity that is not a positive number, a chargeability of 1 or more for IP, an
// electrode outside the mesh or where the surface lies below it, a run that would need more
// memory than the budget.
CForwardResult ComputeData(const CForwardInput& input, CRunLog& log, const CEngineOptions& options = {});
