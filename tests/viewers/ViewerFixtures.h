#pragma once

#include "model/ModelData.h"

#include <functional>
#include <string>

// Files as the program itself writes them, for the viewers to read.

// The default frame (0 to 200, depth 0 to 50, background log10 conductivity -3) with a block
// of -1 from x 40 to 80 and depth 10 to 20, in the DC model and with chargeability 0.1 in the IP
// model; with valley, a topography dipping to depth 20 at x 100. Discretized into the current
// folder with the given forward type and array.
CModelData DiscretizedModel(int fwdType = 0, bool valley = false, int arrayType = 2);

// A data file in the forward-modelling program's format for every configuration of the
// locations file, with the value value(A, B, M, N) (rho_a for DC, V/I made up from it; eta_a for
// IP). Gives the number of data.
using DatumValue = std::function<double(double a, double b, double m, double n)>;
int WriteDataFile(const std::string& locations, const std::string& dataFile, bool ip, const DatumValue& value);
