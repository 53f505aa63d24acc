#pragma once

#include "formats/Choices.h"

#include <functional>
#include <string>

// Files as the program itself writes them, for the viewers to read.

// Discretizes into the current folder the default frame (0 to 200, depth 0 to 50, background
// log10 conductivity -3) with a block of -1 (chargeability 0.1) from x 40 to 80, depth 10 to 20;
// with valley, a topography dipping to depth 20 at x 100.
void DiscretizedModel(int fwdType = 0, bool valley = false);

// A data file in the forward program's format for every datum of the locations file, valued
// value(A) (rho_a for DC, eta_a for IP). Gives the number of data.
int WriteDataFile(const std::string& locations, const std::string& dataFile, EModelKind kind,
                  const std::function<double(double a)>& value);
// obs_err.dat in the current folder for all but the last drop data of a data file, every
// estimate percent (and deta with ip).
void WriteErrorFile(const std::string& dataFile, EModelKind kind, double percent, size_t drop = 0);
