#pragma once

#include "formats/Choices.h"
#include "formats/ValuesFile.h"

#include <string>
#include <vector>

// The decades of sensitivity the colours span.
constexpr double kSensitivityDecades = 4;

// A discretized model on its mesh, as the model viewer shows it.
class CModelSection {
public:
    // Reads the mesh file and the conductivity (or, for IP, chargeability) file and checks
    // that they belong together. "" on success, otherwise the message for the user.
    // With sensitivity the model is ferrovan's cumulative sensitivity.
    std::string Load(const std::string& meshPath, const std::string& modelPath, EModelKind kind,
                     bool sensitivity = false);

    // Air cells: conductivity 1e-8, chargeability -10, or no sensitivity at all.
    bool IsAir(double value) const;

    // The value a cell is coloured by: log10 of conductivity or of the sensitivity, or the
    // chargeability.
    double ColourValue(double value) const;

    // Index of the column or row holding a position, -1 outside the mesh.
    int ColumnAt(double x) const;
    int RowAt(double z) const;

    std::vector<double> xNodes, zNodes; // the mesh: nx + 1 and nz + 1 nodes
    CValuesFile grid;
    bool ip = false;
    bool sensitivity = false;
    std::string meshPath, modelPath;
    // The cells the mesh was designed around, as half-open index ranges: along x the longest
    // run of columns no wider than 1.25 times the narrowest (the uniform cells); along z the
    // longest run of rows no thicker than 1.8 times the thinnest (the dz and 1.5 dz rows).
    int coreColumn0 = 0, coreColumn1 = 0, coreRow0 = 0, coreRow1 = 0;
    double vMin = 0, vMax = 0; // range of the colour values of the ground cells
    bool anyGround = false;
};
