#pragma once

#include "formats/DataFile.h"
#include "model/Element.h"
#include "platform/FolderLock.h"

#include <list>
#include <string>
#include <vector>

// The electrode arrays, numbered as the locations file's header keeps them: the four classic
// ones, then those laid on numbered electrodes x1 + (k - 1) a, an instrument's protocol last.
enum class EArray {
    polePole,
    dipoleDipole,
    poleDipoleRight,
    poleDipoleLeft,
    wenner,
    wennerSchlumberger,
    gradient,
    protocol
};
inline bool IsNumberedArray(EArray array)
{
    return array >= EArray::wenner;
}
// How the mesh is made: from the cells per electrode spacing (m1), from the smallest cell (m2),
// or read from an existing mesh file.
enum class EMeshOption { cellsPerSpacing, cellSize, existing };
// What the forward run computes: DC, DC and IP, or DC and IP with large chargeabilities (IPL).
enum class EForwardType { dc, dcIp, dcIpl };

// How a model is discretized and forward modelled; the Discretize dialog and the batch mode edit
// it, the model file keeps it.
struct CDiscretizeSettings {
    int n = 6;
    double aSpacing = 10;
    EArray array = EArray::poleDipoleRight;
    EMeshOption mesh = EMeshOption::cellsPerSpacing;
    int cellsPerElectrode = 3;
    double aspectRatio = 2;
    double dx = -1; // negative: not chosen yet
    double dz = -1;
    std::string existingMesh;
    std::string protocolFile; // of the protocol array
    EForwardType forward = EForwardType::dc;
    // The forward run's --accuracy, 0 for off. Kept for the session only: the model file is
    // shared with other tools and stays as it is.
    double accuracyPercent = kDefaultAccuracyPercent;
    // Whether the run also writes the sensitivities and the depth of investigation, and the whole
    // matrix of sensitivities; for the session only, as the accuracy.
    bool sensitivities = false;
    bool jacobian = false;
};

using CElementList = std::list<CElement>;
using CTopoList = std::list<CTopoPt>;

// Everything the document owns about one model, with the values of a freshly started program.
// Kept apart from the document so that the computing code can work on it without a window.
struct CModelData {
    CElementList m_dcModel; // log10 conductivity blocks, in drawing order
    CElementList m_ipModel; // chargeability blocks, in drawing order
    CTopoList m_topo;       // topography polyline

    double m_coreX1 = 0;
    double m_coreX2 = 200;
    double m_coreZ1 = 0;
    double m_coreZ2 = 50;
    float m_dcBackground = -3;
    float m_ipBackground = 0;

    CDiscretizeSettings m_discretize;

    // The mesh file the discretization writes, and the folder's lock file, beside the model.
    static constexpr const char* kMeshFileName = "mesh2d.txt";
    static constexpr const char* kLockFileName = CFolderLock::kFileName;

    // Files in the model's folder; only the mesh file can become a full path (an existing mesh).
    std::string m_meshFileName = kMeshFileName;
    std::string m_locFileName = "loc2d.txt";
    std::string m_topoFileName = "topo2d.txt";
    std::string m_conFileName = "model2d.con";
    std::string m_chgFileName = "model2d.chg";
    std::string m_inpFileName = "ferrovan.inp";
    std::string m_logFileName = "ferrovan.log";
    std::string m_obsDCFileName = "obs_dc.dat";
    std::string m_obsIPFileName = "obs_ip.dat";
    std::string m_obsIPLFileName = "obs_ipL.dat";

    bool m_bTopography = false; // the topography is not flat
    // The last run's depth of investigation, (x, z) in model units; empty when it wrote none.
    std::vector<std::pair<double, double>> m_depthOfInvestigation;

    // A flat surface along the top of the core area: its two ends.
    void FlatTopography();

    // Whether a model file may not have this file name, or be a link to a file of such a name
    // (case ignored): Discretize or the forward run writes a file of that name beside the model.
    bool IsReservedFileName(const std::string& path) const;
    // The message that refuses path as a model file to read (output false) or to write; "" when
    // its name is free.
    std::string ReservedNameMessage(const std::string& path, bool output) const;
};
