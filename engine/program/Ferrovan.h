#pragma once

#include "engine/modelling/ForwardJob.h"

#include <functional>
#include <string>
#include <vector>

class CRunLog;
struct CForwardInput;

// The forward-modelling program: "ferrovan [--max-memory MB] INPUT" locks the current folder
// with its lock file against a second run, reads the input file and the files it names there,
// computes the data and writes the data files and, as it goes, the log (formats/FileNames.h). Returns
// the exit status: 0 done, 1 failed (the reason on standard error and, unless the folder was
// locked by another run, in the log), 2 a usage error.
int RunFerrovan(const std::vector<std::string>& args);

// Reads the input file, logging the lines it skipped; typeRead is called as soon as the forward
// type has been read. Raises CEngineError.
CForwardJob ReadForwardJob(const std::string& path, CRunLog& log,
                           const std::function<void(EForwardType)>& typeRead = {});

// Reads the files the input file names: locations, mesh, air cells from the topography file,
// conductivities and, for IP and IPL, chargeabilities. Raises CEngineError.
CForwardInput ReadForwardFiles(const CForwardJob& job, CRunLog& log);
