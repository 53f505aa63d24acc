#pragma once

#include "formats/Choices.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

// The header line "#n a-spacing array cells aspect" of a locations file: the discretization
// that wrote it, read back when a model is opened. The array is written as its number in EArray.
struct CLocationsHeader {
    int n = 0;
    double aSpacing = 0;
    EArray array = EArray::polePole;
    int cellsPerElectrode = 0;
    double aspectRatio = 0;
    // How many of the fields above, in their order, the line gave: reading stops at the first
    // that is not a number in its range (n and cells at least 1, a-spacing and aspect ratio
    // positive, the array one of EArray), so that field and those after it are left out.
    int fields = 5;

    // fields is 0 for a line that does not start with '#'.
    static CLocationsHeader Parse(std::string_view line);
};

// Positions closer than this are one electrode written with different rounding: a billionth of
// the extent of the sorted positions (of their size when they are all one).
double ElectrodeTolerance(const std::vector<double>& sorted);
// The electrodes at the positions: sorted, those within ElectrodeTolerance of the one before
// taken as it, each represented by its smallest position.
std::vector<double> ElectrodePositions(std::vector<double> positions);
// The index of the electrode at x among ElectrodePositions' electrodes.
int ElectrodeIndex(const std::vector<double>& electrodes, double x);

// One configuration: current electrodes A and B, potential electrodes M and N, positions along
// x. A pole repeats its position: B = A for a pole source, N = M for a pole receiver.
struct CQuadrupole {
    double a = 0, b = 0, m = 0, n = 0;
    int line = 0; // of the file read, for messages
};

// One term of a configuration's potential +1/AM - 1/AN - 1/BM + 1/BN: the current electrode
// (0 A, 1 B), the potential electrode (0 M, 1 N) and its sign.
struct CPairTerm {
    int current;
    int potential;
    double sign;
};

// The terms of a configuration, without those of an electrode at infinity.
struct CPairTerms {
    std::array<CPairTerm, 4> terms;
    int count = 0;
    const CPairTerm* begin() const { return terms.data(); }
    const CPairTerm* end() const { return terms.data() + count; }
};
CPairTerms PairTerms(bool poleSource, bool poleReceiver);

// The geometric factor of a configuration over flat ground, 2 pi / (1/AM - 1/AN - 1/BM + 1/BN)
// with horizontal distances and the terms of an electrode at infinity dropped.
double GeometricFactor(double a, double b, double m, double n, bool poleSource, bool poleReceiver);

// The locations file: the header line, the array line ("!pole-pole", "!dipole-dipole",
// "!pole-dipole", "!wenner", "!wenner-schlumberger", "!gradient" or "!protocol"), then one line
// "A B  M N" per datum. A reader skips blank lines and lines
// starting with '#' or '!'; every other line holds exactly four numbers.
struct CLocationsFile {
    CLocationsHeader header;
    std::vector<CQuadrupole> data;

    // Raises CFormatError for a line that is not four numbers within kMaxCoordinate, more than
    // kMaxData data, or none.
    static CLocationsFile Parse(std::string_view text, const std::string& name);
    // Also raises CFileException when the file cannot be read.
    static CLocationsFile Read(const std::string& path);
    // The header of the file at path; fields 0 when there is none, or no file that can be read.
    static CLocationsHeader ReadHeader(const std::string& path);

    // Positions as "%g" writes them unless that loses something (Text.h's AppendExact).
    std::string Format() const;
    // Raises CFileException; a failed write leaves the old file as it was.
    void Write(const std::string& path) const;
};
