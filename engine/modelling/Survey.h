#pragma once

#include <string>
#include <vector>

class CRunLog;
struct CLocationsFile;

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

    // The survey of a locations file read from path. Positions closer than 1e-9 of the survey's
    // extent are one electrode. Raises CEngineError on two current or two potential electrodes of
    // a datum at one position, or a potential electrode on a current electrode.
    static CSurvey Build(const CLocationsFile& file, const std::string& path, CRunLog& log);

    // The flat-ground geometric factor 2 pi / (1/AM - 1/AN - 1/BM + 1/BN), the terms with an
    // electrode at infinity dropped.
    static double GeometricFactor(const Datum& d);

    // The pairs (current electrode, potential electrode) whose potentials the data need.
    std::vector<std::pair<int, int>> Pairs() const;

    std::vector<Datum> data;
    std::vector<double> positions; // the distinct electrode positions, increasing, one per electrode
    bool fromProtocol = false;     // the locations file's array is an instrument's protocol
};
