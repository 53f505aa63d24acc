#pragma once

#include "engine/modelling/ForwardJob.h"

#include <string>
#include <vector>

class CSurvey;
struct CForwardResult;

// The data files of a run and their names: "obs_dc.dat", and "obs_ip.dat" for FWD IP or
// "obs_ipL.dat" for FWD IPL.
std::vector<std::string> DataFileNames(CForwardJob::Type type);

// The files a run writes: its data files and, with an estimate, obs_err.dat.
std::vector<std::string> WrittenFileNames(CForwardJob::Type type, const CForwardResult& result);

// Writes the data files (formats/DataFile.h), each line ending in CR LF. All files are written
// under temporary names first and put in place only when every one is complete; on failure none
// is left. Raises CEngineError.
// Raises CEngineError naming the first datum with a number that is not finite, which no reader
// would take back.
void CheckDataFinite(CForwardJob::Type type, const CSurvey& survey, const CForwardResult& result);
void WriteDataFiles(CForwardJob::Type type, const CSurvey& survey, const CForwardResult& result);
