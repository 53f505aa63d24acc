#pragma once

#include "formats/Choices.h"
#include "platform/FolderLock.h"

#include <string>
#include <vector>

// The names of the files the model maker, ferrovan and the viewers share in a model's folder:
// the only place each is spelled.

// What the Discretize command writes.
inline constexpr const char* kMeshFileName = "mesh2d.txt";
inline constexpr const char* kLocationsFileName = "loc2d.txt";
inline constexpr const char* kTopographyFileName = "topo2d.txt";
inline constexpr const char* kConductivityFileName = "model2d.con";
inline constexpr const char* kChargeabilityFileName = "model2d.chg";

// The forward run's input file, its log and the folder's lock.
inline constexpr const char* kInputFileName = "ferrovan.inp";
inline constexpr const char* kLogFileName = "ferrovan.log";
inline constexpr const char* kLockFileName = CFolderLock::kFileName;

// The data files, and the estimate of their accuracy beside them.
inline constexpr const char* kDcDataFileName = "obs_dc.dat";
inline constexpr const char* kIpDataFileName = "obs_ip.dat";
inline constexpr const char* kIplDataFileName = "obs_ipL.dat";
inline constexpr const char* kErrorFileName = "obs_err.dat";
// Those of every forward type, which a new run makes stale.
inline constexpr const char* kRunDataFileNames[] = {kDcDataFileName, kIpDataFileName, kIplDataFileName, kErrorFileName};

// What a run writes when asked: the cumulative sensitivity per cell, every datum's sensitivity
// to every cell and the depth of investigation; a new run or discretization removes them.
inline constexpr const char* kSensitivityFileName = "sens2d.con";
inline constexpr const char* kJacobianFileName = "jacobian.bin";
inline constexpr const char* kDoiFileName = "doi2d.txt";
inline constexpr const char* kSensitivityFileNames[] = {kSensitivityFileName, kJacobianFileName, kDoiFileName};

// A survey design's protocol and report.
inline constexpr const char* kDesignProtocolFileName = "protocol_optimized.txt";
inline constexpr const char* kDesignReportFileName = "survey_design.txt";

// Every file Discretize or the forward run writes beside the model under its own name, which a
// model file or an export may not take.
inline constexpr const char* kWrittenFileNames[] = {kMeshFileName,         kLocationsFileName,     kTopographyFileName,
                                                    kConductivityFileName, kChargeabilityFileName, kInputFileName,
                                                    kLogFileName,          kLockFileName,          kDcDataFileName,
                                                    kIpDataFileName,       kIplDataFileName,       kErrorFileName};

// The data file of the kind for a run of the type: obs_dc.dat, or for IP data obs_ip.dat, or
// obs_ipL.dat for IPL.
inline const char* DataFileName(EForwardType type, EModelKind kind)
{
    if (kind == EModelKind::dc)
        return kDcDataFileName;
    return type == EForwardType::dcIpl ? kIplDataFileName : kIpDataFileName;
}

// The data files a run of the type writes: the DC data, then for IP and IPL the IP data.
inline std::vector<std::string> DataFileNames(EForwardType type)
{
    std::vector<std::string> names{DataFileName(type, EModelKind::dc)};
    if (type != EForwardType::dc)
        names.emplace_back(DataFileName(type, EModelKind::ip));
    return names;
}
