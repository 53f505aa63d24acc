#pragma once

#include <string>
#include <vector>

struct CDataFile;

// Median depth of investigation of a four-electrode array over a uniform half-space: the depth
// above which half of the measured signal arises (Edwards, 1977). 0.866 times the spacing for
// a pole-pole pair, 0.416 a for a dipole-dipole with n = 1. Poles repeat their position
// (B = A, N = M). The electrodes of the source must not share a position with the receiver's.
double MedianDepth(double a, double b, double m, double n);

// A cell's extent in the section: x across, pseudo-depth or n-level down.
struct CCellBox {
    double left = 0, right = 0, top = 0, bottom = 0;
};

// Where one datum is drawn in the pseudo-section.
struct CSectionCell {
    double x = 0;           // the midpoint of the array, (A + B + M + N) / 4; of M N when they lie between A and B
    double depth = 0;       // its pseudo-depth: the median depth of investigation
    int level = 0;          // n: the gap between source and receiver in electrode spacings
    CCellBox box;           // the cell by pseudo-depth
    CCellBox levelBox;      // the cell by n-level
    bool valid = false;     // false for an apparent resistivity at or below 0, which has no logarithm
    double colourValue = 0; // log10 of apparent conductivity (DC), as the model's colours; eta_a (IP)
};

// The pseudo-section of a data set: one cell per datum about its plotting point, at most spacing
// wide, and no cell over another's.
class CPseudoSection {
public:
    // Lays out the cells; "" on success, otherwise the message for the user (path names the file).
    std::string Build(const CDataFile& set, const std::string& path);

    std::vector<CSectionCell> cells; // in the order of the data
    std::vector<double> electrodes;  // every electrode position, increasing, each once
    double spacing = 0;              // smallest distance between two electrodes of one datum
    int maxLevel = 0;
    double maxDepth = 0;       // the bottom of the deepest cell
    double xMin = 0, xMax = 0; // the electrodes' and the cells' horizontal extent
    double vMin = 0, vMax = 0; // range of the valid colour values (equal when none is valid)
};
