#pragma once

#include <string>
#include <string_view>
#include <vector>

// The depth of investigation along the line, as ferrovan writes it: comment lines starting with
// '!', then a line "x z depth" per point, x increasing: the line's position, its depth as the
// mesh counts it, and its depth below the ground.
struct CDoiFile {
    struct CPoint {
        double x = 0, z = 0, depth = 0;
    };
    std::vector<CPoint> points;

    // Raises CFormatError, with the line, for a line that is not three finite numbers within
    // kMaxCoordinate, a position that does not increase, or more than kMaxAxisCells points.
    static CDoiFile Parse(std::string_view text, const std::string& name);
    // Also raises CFileException when the file cannot be read.
    static CDoiFile Read(const std::string& path);

    std::string Format() const;
    void Write(const std::string& path) const;
};
