#pragma once

#include "engine/ForwardJob.h"

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
std::vector<double> MedianDepths(const CForwardInput& in, const CSensitivities& s);

// The depth of investigation under each mesh column between the outer electrodes: the deepest
// median depth of the data whose electrodes span the column's middle.
struct CDepthPoint {
    double x = 0;     // the column's middle
    double z = 0;     // of the line, as the mesh counts it
    double depth = 0; // below the ground
};
std::vector<CDepthPoint> DepthOfInvestigation(const CForwardInput& in, const CSensitivities& s);

// The files: the cumulative sensitivity as a values file, the matrix as little-endian binary
// (the "FERROJAC" header, docs/file-formats.md), the depth of investigation as text.
std::string FormatJacobian(const CForwardInput& in, const CSensitivities& s);
std::string FormatDepthOfInvestigation(const std::vector<CDepthPoint>& points);

// The sensitivity files the input file names.
std::vector<std::string> SensitivityFileNames(const CForwardJob& job);
// Refuses a sensitivity file that is also a file the run reads or writes, by name or as a file.
// Raises CEngineError.
void CheckSensitivityFileNames(const CForwardJob& job, const std::string& inputFile,
                               const std::vector<std::string>& runFiles);
// Writes them, each whole or not at all. Raises CEngineError.
void WriteSensitivityFiles(const CForwardInput& in, const CSensitivities& s);
