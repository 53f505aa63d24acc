#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One block of a model: its rectangle (for a sheared block, its edges at mid-depth), its value
// (log10 S/m in the DC model, a chargeability in the IP model), its slope and whether it is the
// ellipse inscribed in its rectangle.
struct CBlockRecord {
    double x1 = 0, x2 = 0, z1 = 0, z2 = 0;
    float value = 0;
    double slope = 0;
    bool ellipse = false;
};

// A vertex of the topography: x and depth z (positive downward).
struct CVertexRecord {
    double x = 0, z = 0;
};

// The model file, the model maker's own:
//   x1 x2 z1 z2  ! core area x1,x2, z1,z2
//   N dc-background  ! DC # of blocks, background
//   N block lines "x1 x2  z1 z2  value  slope ellipse"
//   M ip-background  ! IP # of blocks, background
//   M block lines
//   K  ! topography points
//   K lines "x z"
// Each line's leading numbers count and the rest of it is free text. Counts are read as C's "%i"
// reads them. A count line may leave out the background, which then stays as it was.
struct CModelFile {
    double coreX1 = 0, coreX2 = 0, coreZ1 = 0, coreZ2 = 0;
    std::optional<float> dcBackground, ipBackground;
    std::vector<CBlockRecord> dcBlocks, ipBlocks;
    std::vector<CVertexRecord> topography; // a count of 0 or less gives none

    // Raise CFormatError (naming the file name and the line) for anything the format does not
    // allow: too few numbers on a line, a count beyond kMaxBlocks or kMaxTopographyPoints, a
    // core area without width or height, a number beyond the limits of formats/Limits.h.
    static CModelFile Parse(std::string_view text, const std::string& name);
    // Also raises CFileException when the file cannot be read.
    static CModelFile Read(const std::string& path);

    // Numbers as "%g" writes them unless that loses something (Text.h's AppendExact); a missing
    // background as 0.
    std::string Format() const;
    // Raises CFileException; a failed write leaves the old file as it was.
    void Write(const std::string& path) const;
};
