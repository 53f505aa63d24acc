#pragma once

#include <string>
#include <vector>

// The ground surface of a topography file: elevations (up is positive) at increasing x.
struct CTopoProfile {
    std::vector<double> x;
    std::vector<double> elevation;

    // Linear between the points, flat beyond the first and the last.
    double ElevationAt(double position) const;
};

// Reads a topography file ("N 0", then N lines "x elevation", x never decreasing).
// Gives "" on success, otherwise the message for the user.
std::string ReadTopoProfile(const std::string& path, CTopoProfile& profile);
