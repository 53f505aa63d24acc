#pragma once

#include "formats/ExportFiles.h"
#include "forward/Noise.h"
#include "platform/Refusal.h"

#include <string>
#include <vector>

struct CModelData;

// The inversion programs' files the predicted data can be written as: pyGIMLi/BERT's unified
// data, Res2DInv's general array (and ResIPy's variant of it), R2/cR2's protocol.dat with
// ResIPy's electrode file.
enum class EExportFormat { pygimli, res2dinv, res2dinvResipy, r2 };

// The data of the model's last forward run in the current folder (the data files of its forward
// type, formats/FileNames.h) as a survey: electrodes numbered in increasing x, at the
// elevation of the topography file the run used (0 without topography), the flat-ground
// geometric factor of the engine, and Gaussian noise of the noise model added to each
// resistance and chargeability (drawn in the data's order, resistance first), whose standard
// deviations the survey keeps. With addModellingError the run's own estimate of its error
// (kErrorFileName) goes into those standard deviations too. The data files stay as they are. Raises
// CRefusal when a file of the run is missing or the files do not belong together, CFormatError or
// CFileException when one cannot be read.
CExportSurvey BuildExportSurvey(const CModelData& model, const CNoiseModel& noise, bool addModellingError = false);

// Writes the survey in a format to path, for r2 also the electrode file ElectrodeFilePath(path);
// gives the paths written. Raises CFileException.
std::vector<std::string> WriteExport(const CExportSurvey& survey, EExportFormat format, const std::string& path,
                                     const CExportOptions& options = {});

// "<folder>/protocol_electrodes.csv" for "<folder>/protocol.dat".
std::string ElectrodeFilePath(const std::string& protocolPath);

// A file name for each format ("protocol.dat" is the name R2 reads).
const char* DefaultExportFileName(EExportFormat format);

// What File > Export data and the batch mode's options choose; the document keeps it for the
// next export of the model.
struct CExportSettings {
    EExportFormat format = EExportFormat::pygimli;
    std::string path; // empty: the format's default name in the model's folder
    CNoiseModel noise;
    double phaseFactor = 1;         // cR2's phase in mrad per mV/V of chargeability
    bool addModellingError = false; // the run's estimate of its error goes into the error columns
};

// The limits of the export's settings.
constexpr double kMaxRelativeNoisePercent = 100;
constexpr double kMaxNoiseFloorMillivolts = 1e6;
constexpr double kMaxIpNoise = 1000; // mV/V
constexpr double kCurrentAmps[2] = {1e-6, 1000};
constexpr double kMaxPhaseFactor = 1000;

// The export dialog's checks: noise not negative and within its limits, a current and a phase
// factor above 0 and within theirs, a file, and a format with an error column when the modelling
// error is to be added.
CVerdict CheckExportSettings(const CExportSettings& settings);

// Raises CRefusal when path, or the electrode file beside a protocol there, has the name of a file
// the program writes beside the model or is one of them by another path, or is a file the run
// reads: the model file (modelPath, when given), an existing mesh or the protocol; raises as
// CheckWritable when it could not be written.
void CheckExportPath(const CModelData& model, const std::string& path, const std::string& modelPath = "");
// The same for any file the program writes (a picture).
void CheckOutputPath(const CModelData& model, const std::string& path, const std::string& modelPath = "");

// Builds the survey of the last forward run with the settings' noise and writes it; gives the
// summary for the user: each file written and the program and command that read it. Without any
// noise or modelling error no error column is written, since a zero error would stop an
// inversion. A file name the program writes beside the model, and settings CheckExportSettings
// refuses, are refused. Raises as BuildExportSurvey and WriteExport do.
std::string ExportData(const CModelData& model, const CExportSettings& settings);
