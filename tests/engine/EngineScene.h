#pragma once

#include "engine/modelling/ForwardModel.h"
#include "model/ModelData.h"
#include "support/MessageLog.h"
#include "support/TempDir.h"

// A model discretized by the model maker's own Discretize code in a fresh current folder, with
// the input file that the forward model command would write.
class EngineScene {
public:
    // A half-space of 100 ohm m (log10 conductivity -2) on the default core, array and mesh.
    EngineScene();

    // A block in model units: log10 of the conductivity, or with ip a chargeability.
    void AddBlock(double x1, double z1, double x2, double z2, float value, EModelKind kind = EModelKind::dc);
    // A topography flat at 0 at x 0 and 200, down to depth at x 100.
    void AddValley(double depth);
    // Discretizes with forward type 0 DC, 1 IP, 2 IPL; false when the command refused.
    bool Discretize(int fwdType = 0);
    // Reads the files as the program does.
    CForwardInput Read() const;
    CForwardResult Compute(int fwdType = 0);

    CModelData model;
    TempDir dir;
    MessageLog messages;

private:
    CurrentDirGuard m_guard;
};

// Writes the files of a homogeneous earth of 100 ohm m under a surface through x = 0, depth 0,
// whose flanks rise by leftRise per unit of distance to x = -3000 and by rightRise to 3000 (a
// wedge of interior angle pi + atan(leftRise) + atan(rightRise)); the mesh has `cells` cells per
// 10 about the apex. The input file is "ferrovan.inp"; the locations file holds lines.
void WriteWedge(double leftRise, double rightRise, int cells, const std::string& locations);

// Potentials of a unit current at distance r on the surface of analytic earths (V/A).
// rho1 over rho2, the interface at depth h: the image series.
double TwoLayerPotential(double rho1, double rho2, double h, double r);
// Layers of resistivities rho (the last the basement) and thicknesses h: the Hankel transform of
// the layered half-space's kernel.
double LayeredPotential(const std::vector<double>& rho, const std::vector<double>& h, double r);
// rho1 for x < x0, rho2 beyond: source at xs, receiver at xr.
double ContactPotential(double rho1, double rho2, double x0, double xs, double xr);
