#pragma once

#include "engine/modelling/ForwardJob.h"
#include "formats/DoiFile.h"

#include <string>
#include <vector>

struct CForwardInput;
struct CSensitivities;

// The cumulative sensitivity of each mesh cell: sum over the data of |J_ij|, over the cell's
// area, the largest 1; cells no element takes (air) 0. In the order of the conductivity file.
std::vector<float> CumulativeSensitivity(const CForwardInput& in, const CSensitivities& s);

// The median depth of each datum's sensitivity below the ground (Edwards 1977, on the model's
// own earth rather than a half-space): the depth above which half of -sum_j J_ij lies. The
// whole is 1 on any earth, since scaling every conductivity scales every potential inversely.
// -1 for a datum whose sensitivities are all 0 (its potential is zero on this earth).
std::vector<double> MedianDepths(const CForwardInput& in, const CSensitivities& s);

// The depth of investigation under the middle of each mesh column between the outer electrodes:
// the deepest median depth of the data whose electrodes span it.
CDoiFile DepthOfInvestigation(const CForwardInput& in, const CSensitivities& s);

// Writes the matrix as little-endian binary (the "FERROJAC" header, docs/file-formats.md), a
// datum's row at a time: on the large survey it is a gigabyte. Raises CFileException.
void WriteJacobian(const std::string& path, const CForwardInput& in, const CSensitivities& s);

// The sensitivity files the input file names.
std::vector<std::string> SensitivityFileNames(const CForwardJob& job);
// Refuses a sensitivity file that is also a file the run reads or writes, by name or as a file.
// Raises CEngineError.
void CheckSensitivityFileNames(const CForwardJob& job, const std::string& inputFile,
                               const std::vector<std::string>& runFiles);
// Writes them, each whole or not at all. Raises CEngineError.
void WriteSensitivityFiles(const CForwardInput& in, const CSensitivities& s);
