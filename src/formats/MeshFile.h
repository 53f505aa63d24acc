#pragma once

#include <string>
#include <string_view>
#include <vector>

// One axis of a mesh: its nodes, increasing, and the segments the file describes it by. Segment
// s spans nodes segmentEnds[s - 1] (0 for the first) to segmentEnds[s], in equal cells.
struct CMeshAxis {
    std::vector<double> nodes;
    std::vector<int> segmentEnds;

    int Cells() const { return static_cast<int>(nodes.size()) - 1; }
};

// The mesh file: for x, then for z (depth), the number of segments, the first segment's start,
// end and cell count, then each further segment's end and cell count. Only the tokens count,
// not the line breaks. A segment of 0 or fewer cells adds none, but the next one starts at its
// end. The writer puts one segment on a line: the first with one decimal along x ("%.1f %.1f %i")
// and two along z, every other indented by four blanks with two decimals ("    %.2f %i"), and an
// empty line between the axes.
struct CMeshFile {
    CMeshAxis x, z;

    // Raises CFormatError for a count or number that is not one, a file that ends early, more
    // cells than kMaxAxisCells or kMaxMeshCells (refused before any node is stored), a position
    // beyond kMaxCoordinate, or nodes that do not increase by at least kMinLength.
    static CMeshFile Parse(std::string_view text, const std::string& name);
    // Also raises CFileException when the file cannot be read.
    static CMeshFile Read(const std::string& path);

    // Raise CFormatError for segments that do not end at nodes, in order.
    std::string Format() const;
    // Also raises CFileException; a failed write leaves the old file as it was.
    void Write(const std::string& path) const;
    // Whether the file's decimals keep every cell: read back, the nodes still increase.
    bool FitsItsDecimals() const;
};
