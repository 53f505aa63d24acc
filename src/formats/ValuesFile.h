#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

// A conductivity (S/m) or chargeability file, one value per mesh cell: "nx nz", then the values
// row by row from the top, each row from left to right. Only the tokens count, not the line
// breaks. The writer puts a row on a line, each value followed by one blank.
struct CValuesFile {
    int nx = 0;
    int nz = 0;
    std::vector<double> values; // cell (column i, row k) is values[k * nx + i]

    double At(int column, int row) const { return values[static_cast<size_t>(row) * nx + column]; }

    // Raises CFormatError for sizes that are not positive integers or give more cells than
    // kMaxAxisCells or kMaxMeshCells (refused before anything is stored), a value that is not a
    // finite number, fewer values than nx nz or more.
    static CValuesFile Parse(std::string_view text, const std::string& name);
    // Also raises CFileException when the file cannot be read.
    static CValuesFile Read(const std::string& path);

    // Writes nx x nz values (a float grid: each as "%g" writes it unless that loses something),
    // in pieces, whatever their number. Raises CFormatError, with nothing written, for a value
    // that is not finite; CFileException when the file cannot be written.
    static void Write(const std::string& path, int nx, int nz, std::span<const float> values);
};
