#pragma once

#include <string>
#include <string_view>
#include <vector>

// The elevation at position along a surface of points with x never decreasing: linear between
// them, flat beyond the first and the last; 0 without points.
double ElevationAlong(const std::vector<double>& x, const std::vector<double>& elevation, double position);

// The topography file: the ground surface as the forward-modelling program and the data viewer
// take it, "N  0", then N lines "x elevation" (elevation up, the negated depth) with x never
// decreasing; the surface is flat beyond the first and the last point. Blank lines are skipped.
struct CTopographyFile {
    std::vector<double> x;
    std::vector<double> elevation;

    // Raises CFormatError for a count line that is not a count from 2 to kMaxTopographyPoints + 2
    // (optionally followed by one number), a point line that is not two numbers within
    // kMaxCoordinate, x going back, fewer or more points than the count.
    static CTopographyFile Parse(std::string_view text, const std::string& name);
    // Also raises CFileException when the file cannot be read.
    static CTopographyFile Read(const std::string& path);

    double ElevationAt(double position) const { return ElevationAlong(x, elevation, position); }

    // Numbers as "%g" writes them unless that loses something (Text.h's AppendExact).
    std::string Format() const;
    // Raises CFileException; a failed write leaves the old file as it was.
    void Write(const std::string& path) const;
};
