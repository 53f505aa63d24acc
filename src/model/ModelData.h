#pragma once

#include "formats/Choices.h"
#include "formats/DataFile.h"
#include "formats/FileNames.h"
#include "model/Element.h"

#include <list>
#include <string>
#include <vector>

// How the mesh is made: from the cells per electrode spacing (m1), from the smallest cell (m2),
// or read from an existing mesh file.
enum class EMeshOption { cellsPerSpacing, cellSize, existing };

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

    // The mesh file of the discretization: FileNames.h's, or an existing mesh, named as chosen.
    std::string m_meshFileName = kMeshFileName;

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
