#pragma once

#include <string>
#include <vector>

// The values of a conductivity or chargeability file: nx columns by nz rows, row 0 at the top.
struct CModelGrid {
    int nx = 0;
    int nz = 0;
    std::vector<double> values; // row by row from the top, each row from left to right

    double At(int column, int row) const { return values[static_cast<size_t>(row) * nx + column]; }
};

// Reads a model file ("nx nz", then the values row by row; line breaks do not matter).
// Gives "" on success, otherwise the message for the user, with the grid left empty.
std::string ReadModelGrid(const std::string& path, CModelGrid& grid);
