#pragma once

#include <string>

struct CModelData;

// The choices of the Discretize dialog (and of the batch options).
struct CDiscretizeChoice {
    double aSpacing = 0;
    int n = 0;
    int arrayType = 0;
    double aspectRatio = 0;
    int cellsPerElectrode = 0;
    double dx = 0;
    double dz = 0;
    int meshType = 0; // 0 m1, 1 m2, 2 existing mesh
    std::string existingMesh;
};

// The Discretize dialog's checks in their order. A refusal shows its message and gives false;
// a warning shows its message and the checks go on. Only the chosen mesh option's fields count.
bool CheckDiscretizeChoice(const CDiscretizeChoice& choice, double maxASpacing);

// The checks of the chargeabilities against the forward type: an empty IP model only warns,
// a chargeability of 1 or more (background or block) with "DC and IP" ends the command (false).
bool CheckChargeabilities(const CModelData& model);

// Removes the results of an earlier forward run from the current folder: the data files, the
// forward input file and the log, so that none of another survey stays beside the new files.
// Raises CFileException when one cannot be removed.
void RemovePreviousResults(const CModelData& model);

// Writes the discretization into the current folder (locations, mesh unless an existing one is
// used, topography, conductivity and, for IP and IPL, chargeability), stores the discretized
// shapes in the blocks and the surface in the model, and composes the summary. False when a
// step ended the command; its message has been shown, and files written before it stay.
bool RunDiscretization(CModelData& model, std::string& summary);
