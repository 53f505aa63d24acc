#pragma once

#include <string>
#include <string_view>
#include <vector>

// One datum of an instrument's protocol: electrode numbers from 1, 0 for B or N at infinity.
struct CProtocolDatum {
    int a = 0, b = 0, m = 0, n = 0;
    int line = 0; // of the file read, for messages
};

// An instrument's protocol: one datum a line, "A B M N", the electrodes' numbers along the line;
// '#' starts a comment to the end of the line, blank lines are skipped. A and M are real
// electrodes; no electrode appears twice in a datum.
struct CProtocolFile {
    std::vector<CProtocolDatum> data;

    // The largest electrode number of the data.
    int Electrodes() const;

    // Raises CFormatError for a line that is not four electrode numbers by these rules, more than
    // kMaxData data, or none.
    static CProtocolFile Parse(std::string_view text, const std::string& name);
    // Also raises CFileException when the file cannot be read.
    static CProtocolFile Read(const std::string& path);

    std::string Format() const;
    // Raises CFileException; a failed write leaves the old file as it was.
    void Write(const std::string& path) const;
};
