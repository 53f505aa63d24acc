#pragma once

#include <string>
#include <vector>

// An electrode of an exported survey: x along the line and the elevation (up).
struct CExportElectrode {
    double x = 0, z = 0;
};

// One exported datum. Electrodes are numbered from 1; 0 is an electrode at infinity, which only
// B and N may be.
struct CExportDatum {
    int a = 0, b = 0, m = 0, n = 0;
    double r = 0;     // transfer resistance V/I (ohm), signed
    double k = 0;     // flat-ground geometric factor (m)
    double rhoa = 0;  // r * k (ohm m)
    double eta = 0;   // apparent chargeability, a fraction (1000 * eta in mV/V)
    double rSd = 0;   // standard deviation of r (ohm)
    double etaSd = 0; // standard deviation of the chargeability (mV/V)
};

// How the writers of the inversion programs' files are asked to write.
struct CExportOptions {
    // The standard deviations: "err" in the unified file, data_sd (and phase_sd) in protocol.dat.
    // On by default: R2 and cR2 read only the columns their settings ask for, and ResIPy takes
    // them as the data's errors only when told to, so they never get in the way.
    bool errors = true;
    // cR2's phase (mrad) = -phaseFactor * chargeability (mV/V); ResIPy's own default is 1.
    double phaseFactor = 1;
};

// Predicted data written for the inversion programs, with electrodes numbered from 1 in
// increasing x. Three formats (docs/file-formats.md):
//   unified  pyGIMLi/BERT ".ohm": numbered electrodes "x y z" (y = 0), data "a b m n r rhoa k [ip]
//            [err]", 0 at infinity, ip in mV/V, err = rSd / |r|;
//   Res2DInv general array (11) of resistances with chargeabilities in mV/V, elevations in the
//            data lines and the electrodes again in a separate topography list; a pole is left
//            out, a dipole-pole datum written as its reciprocal pole-dipole; ResIPy's variant
//            always has 4 electrodes, remote B at x = -999999.0, remote N at x = 999999.0;
//   protocol R2's "j a b m n r [sd]" or cR2's "j a b m n |r| phase [mag_sd phase_sd]" (M and N
//            swapped when r < 0), with ResIPy's electrode file "label,x,y,z,remote,buried", in
//            which each electrode at infinity is one more, remote electrode.
// Every number has a decimal point and no exponent, as ResIPy's readers need.
struct CExportSurvey {
    std::string title = "Velquor Model Maker predicted data";
    double spacing = 1; // unit electrode spacing
    bool ip = false;
    std::vector<CExportElectrode> electrodes;
    std::vector<CExportDatum> data;

    // ResIPy's place for an electrode at infinity, B to the left and N to the right.
    static constexpr double kRemoteB = -999999.0, kRemoteN = 999999.0;
    // Fixed lines of the Res2DInv file and the header of ResIPy's electrode file.
    static constexpr const char* kMeasurementType = "Type of measurement (0=app. resistivity,1=resistance)";
    static constexpr const char* kTopographyList = "Topography in separate list";
    static constexpr const char* kIpBlock = "Chargeability\nmV/V\n0.12,1.0\n";
    static constexpr const char* kCsvHeader = "label,x,y,z,remote,buried";

    // Whether any electrode lies off the level 0.
    bool HasTopography() const;

    std::string FormatUnified(const CExportOptions& options = {}) const;
    std::string FormatRes2dinv(bool resipy) const;
    std::string FormatProtocol(const CExportOptions& options = {}) const;
    std::string FormatProtocolElectrodes() const;
};

// A number with a decimal point and never an exponent: rounded to significant digits, or with
// 0 the shortest text that reads back exactly; at least one decimal ("40.0").
void AppendDecimal(std::string& out, double value, int significant = 0);
