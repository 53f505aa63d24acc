#pragma once

#include <string>
#include <vector>

class CRunLog;

// The data to predict: one electrode configuration per line of the locations file, in its
// order. Positions are along x; a pole is written as a repeated position (B = A for a pole
// source, N = M for a pole receiver) and stands for an electrode at infinity.
class CSurvey {
public:
    struct Datum {
        double a, b, m, n;
        bool poleSource, poleReceiver;
        int ia, ib, im, in; // indices into positions
    };

    // Reads the locations file: lines starting with '#' or '!' and empty lines are skipped, every
    // other line holds A B M N. Positions closer than 1e-9 of the survey's extent are one
    // electrode. Raises CEngineError on a line without four numbers, two current or two potential
    // electrodes of a datum at one position, a potential electrode on a current electrode, or a
    // file without data.
    static CSurvey Read(const std::string& path, CRunLog& log);

    // The flat-ground geometric factor 2 pi / (1/AM - 1/AN - 1/BM + 1/BN), the terms with an
    // electrode at infinity dropped.
    static double GeometricFactor(const Datum& d);

    // The pairs (current electrode, potential electrode) whose potentials the data need.
    std::vector<std::pair<int, int>> Pairs() const;

    std::vector<Datum> data;
    std::vector<double> positions; // the distinct electrode positions, increasing, one per electrode
};
