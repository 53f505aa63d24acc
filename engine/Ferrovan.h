#pragma once

#include <string>
#include <vector>

class CRunLog;
struct CForwardInput;
struct CForwardJob;

// The forward-modelling program: "ferrovan INPUT" reads the input file and the files it names
// in the current folder, computes the data and writes the data files and the log
// "ferrovan.log". Returns the exit status: 0 done, 1 failed (the reason in the log and on
// standard error), 2 a usage error.
int RunFerrovan(const std::vector<std::string>& args);

// Reads the files the input file names: locations, mesh, air cells from the topography file,
// conductivities and, for IP and IPL, chargeabilities. Raises CEngineError.
CForwardInput ReadForwardFiles(const CForwardJob& job, CRunLog& log);
