#pragma once

#include "engine/fem/Grid.h"
#include "engine/general/MachineMemory.h"
#include "engine/modelling/ForwardJob.h"
#include "engine/modelling/Survey.h"
#include "formats/TopographyFile.h"
#include "mesh/Mesh.h"

#include <string>
#include <utility>
#include <vector>

class CRunLog;

// Everything one run reads.
struct CForwardInput {
    CForwardJob job;
    CMesh mesh;
    std::vector<int> airPerColumn; // air cells at the top of each mesh column
    CTopographyFile profile;       // the topography file's surface; empty without one
    // One value per mesh cell, rows from the top down: cell (i, k) is [k * nx + i].
    std::vector<double> conductivity;  // S/m
    std::vector<double> chargeability; // IP and IPL
    CSurvey survey;
};

// How accurate the data are: per datum an estimate of the error of V/I (relative) and of the
// apparent chargeability (absolute), from the same data on finer grids, on coarse ones that reach
// farther or use more wavenumbers, refined until every datum is within the target or the budget is
// spent.
struct CAccuracyEstimate {
    bool done = false;                 // false when no estimate was asked for
    double target = 0;                 // relative error of V/I
    std::vector<double> voltage;       // estimated relative error of V/I and rho_a, per datum
    std::vector<double> chargeability; // estimated error of eta_a, per datum (IP and IPL)
    double worst = 0;                  // the largest relative estimate, on either model
    int worstDatum = -1;
    int above = 0;             // data above the target
    std::string limit;         // what stopped the refinement short of the target
    double scale = 1, far = 1; // the grid the data come from, against the first
    double seconds = 0;        // what the estimate and the refinement cost
};

// How each datum depends on the conductivity of each mesh cell: J_ij = d ln V_i / d ln sigma_j,
// on the run's first grid, with V_i the data of that grid. Cells whose value no grid element takes
// (air) have 0.
struct CSensitivities {
    int data = 0, cells = 0;
    CZeroedFloats values; // [cell * data + datum]; the dots behind them are summed in floats
    double seconds = 0;
};

// Every pair (p, q), p < q, of the survey's electrode positions as a pole-pole datum, in the
// order (0, 1), (0, 2), ..., (1, 2), ...: V/I with p the current and q the potential electrode,
// the size of the terms summed into it, and d (V/I) / d ln sigma_j per mesh cell
// ([cell * pairs + pair]). By linearity every four-electrode datum on the same grid is a sum of
// four of them.
struct CPolePoleSensitivities {
    int electrodes = 0, cells = 0;
    std::vector<double> potential, magnitude;
    CZeroedFloats values;

    static size_t Pair(int p, int q, int electrodes)
    {
        if (p > q)
            std::swap(p, q);
        return static_cast<size_t>(p) * (2 * electrodes - p - 1) / 2 + (q - p - 1);
    }
};

// The predicted data, one entry per datum in the survey's order.
struct CForwardResult {
    std::vector<double> voltage;               // V/I, ohm
    std::vector<double> apparentResistivity;   // ohm m
    std::vector<double> apparentChargeability; // IP and IPL
    double algebraSeconds = 0;                 // wall time of the factorisations
    int wavenumbers = 0;
    int unknowns = 0;
    CAccuracyEstimate estimate;
    CSensitivities sensitivities; // when asked for
};

struct CEngineOptions {
    int threads = 0;         // 0: one per processor
    double memoryBudget = 0; // bytes the run may use; 0: no limit known
    double addressSpace = 0; // bytes the run may still map (rlimits); 0: no limit known
    bool progress = false;   // a line on standard output per finished model and wavenumber
    CGrid::Options grid;
    // How far the grid reaches, in multiples of the survey's largest distance that matters, and
    // how fast its cells grow beyond the mesh, for data with pole receivers; the grid's options
    // hold the growth for the others.
    double farFactor = 20;
    double dipoleFarFactor = 3;
    double poleRatio = 1.08;
    // The relative error of V/I the run must reach on every datum, by its own estimate; 0: no
    // estimate, the data of the first grid (the program asks for 0.005 unless told otherwise).
    double accuracy = 0;
    // Whether to compute the sensitivities of the data too.
    bool sensitivities = false;
};

// Solves the 2.5D DC problem for every electrode on the input's model (and for IP, on the
// model with conductivities sigma (1 - eta); for IPL, on sigma (1 - eps eta) to differentiate)
// and forms the data. Raises CEngineError on a model or survey the method cannot take: a
// conductivity that is not a positive number, a chargeability of 1 or more for IP, an
// electrode outside the mesh or where the surface lies below it, a run that would need more
// memory than the budget.
CForwardResult ComputeData(const CForwardInput& input, CRunLog& log, const CEngineOptions& options = {});

// The pole-pole sensitivities of the input's electrodes on the grid ComputeData would take first
// for its survey. Raises as ComputeData does.
CPolePoleSensitivities PolePoleSensitivities(const CForwardInput& input, CRunLog& log,
                                             const CEngineOptions& options = {});

// Megabytes and gigabytes of 2^20 and 2^30 bytes, as the --max-memory option counts them.
std::string Bytes(double bytes);

// The steps of ComputeData, for the estimate of its accuracy.
struct CRunModel;

// A grid of the run: its cells (CGrid::Options::scale) and how far it reaches, both as multiples
// of the first grid's.
struct CGridLevel {
    double scale = 1;
    double far = 1;
    // Only the wavenumbers that a check of the grid's rule adds (CWavenumberRule::CheckAdditions):
    // half the grid's own data added to these are the check's.
    bool ruleCheck = false;
};

// V/I of every datum on one grid, per conductivity model.
struct CGridData {
    std::vector<std::vector<double>> voltage;
    double algebraSeconds = 0, seconds = 0;
    double eps = 0;         // the chargeability factor of FWD IPL's second model
    double memoryBytes = 0; // the estimate of what the grid's run needs
    int wavenumbers = 0, unknowns = 0, columns = 0, rows = 0;
    int spanColumns = 0;     // grid columns between the outer electrodes
    double nearestCells = 0; // cells between the nearest electrodes of a pair
};

// Solves on one grid; raises as ComputeData does, among others when the grid needs more memory
// than the budget.
CGridData SolveOnGrid(const CForwardInput& input, const CRunModel& run, const CGridLevel& level,
                      const CEngineOptions& options, CRunLog& log, const std::string& progressPrefix);

// Estimates the accuracy of the first grid's data and refines until the target is reached or the
// budget spent; returns the data of the grid it ended on.
CGridData EstimateAccuracy(const CForwardInput& input, const CRunModel& run, CGridData first,
                           const CEngineOptions& options, CRunLog& log, CAccuracyEstimate& estimate);

// eta_a of FWD IP from V/I on sigma and on sigma (1 - eta); of FWD IPL from V/I on sigma and on
// sigma (1 - eps eta).
double ApparentChargeability(EForwardType type, double v, double vc, double eps);
