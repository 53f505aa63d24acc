#pragma once

#include "formats/Choices.h"

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The forward-modelling input file: what one run computes and from which files.
//   FWD DC | FWD IP | FWD IPL
//   MESH FILE <name>
//   LOC LOC_X <name>
//   COND FILE <name>
//   CHG FILE <name>     (IP and IPL)
//   TOPO FILE <name>    (with topography)
//   SENS FILE <name>    (optional: the cumulative sensitivity per cell, written by the run)
//   JACOBIAN FILE <name> (optional: every datum's sensitivity to every cell, binary)
//   DOI FILE <name>     (optional: the depth of investigation along the line)
//   OPTIMIZE SURVEY <count> <spacing> <x1> <x2> <z1> <z2>
//                       (optional: a survey design instead of data, below)
//   PROTOCOL FILE <name> (the design's chosen configurations, written)
//   DESIGN FILE <name>  (the design's report, written)
// Each keyword ends in one blank, and the name runs from it to the end of the line, blanks
// included. The writer writes the lines in this order.
struct CForwardInputFile {
    EForwardType type = EForwardType::dc;
    std::string meshFile;
    std::string locationsFile;
    std::string conductivityFile;
    std::string chargeabilityFile; // IP and IPL only
    std::string topographyFile;    // empty without topography
    // What the run writes besides the data, when named.
    std::string sensitivityFile, jacobianFile, doiFile;
    // A run with a design chooses count configurations that best resolve the section
    // [x1, x2] x [z1, z2] instead of computing data; its electrode k lies at x1 + (k - 1) spacing,
    // as a protocol numbers them. count 0: no design.
    struct CDesign {
        int count = 0;
        double spacing = 0, x1 = 0, x2 = 0, z1 = 0, z2 = 0;
    };
    CDesign design;
    std::string protocolFile, designFile; // both named with a design
    // Lines a reader did not know and skipped: line number and text.
    std::vector<std::pair<int, std::string>> unknownLines;

    // "DC", "IP" or "IPL".
    const char* TypeName() const;

    // typeRead is called as soon as the FWD line has been read, before anything can be refused
    // for the lines after it. Raises CFormatError when a line the type needs is missing (a later
    // line of the same keyword replaces an earlier one), or a design line whose numbers are not
    // a count from 1 to kMaxData, a positive spacing and a section of positive width and depth,
    // all within kMaxCoordinate, or a design without its two file names.
    static CForwardInputFile Parse(std::string_view text, const std::string& name,
                                   const std::function<void(EForwardType)>& typeRead = {});
    // Also raises CFileException when the file cannot be read.
    static CForwardInputFile Read(const std::string& path, const std::function<void(EForwardType)>& typeRead = {});

    // Whether a file name fits on its line: one without a line break.
    static bool CanHold(const std::string& fileName);

    std::string Format() const;
    // Raises CFormatError, writing nothing, for a name CanHold refuses; CFileException when the
    // file cannot be written.
    void Write(const std::string& path) const;
};
