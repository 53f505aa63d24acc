#pragma once

#include "engine/modelling/ForwardJob.h"

#include <string>
#include <vector>

class CSurvey;
struct CForwardResult;

// The files a run writes: its data files (formats/FileNames.h) and, with an estimate, the
// estimate's.
std::vector<std::string> WrittenFileNames(EForwardType type, const CForwardResult& result);

// Writes the data files (formats/DataFile.h), each line ending in CR LF. All files are written
// under temporary names first and put in place only when every one is complete; on failure none
// is left. Raises CEngineError.
// Raises CEngineError naming the first datum with a number that is not finite, which no reader
// would take back.
void CheckDataFinite(EForwardType type, const CSurvey& survey, const CForwardResult& result);
void WriteDataFiles(EForwardType type, const CSurvey& survey, const CForwardResult& result);
