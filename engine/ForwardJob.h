#pragma once

#include <functional>
#include <string>

class CRunLog;

// What one run computes and from which files: the forward-modelling input file.
struct CForwardJob {
    enum Type { dc, ip, ipl };

    Type type = dc;
    std::string meshFile;
    std::string locationsFile;
    std::string conductivityFile;
    std::string chargeabilityFile; // IP and IPL only
    std::string topographyFile;    // empty without topography

    // "DC", "IP" or "IPL".
    const char* TypeName() const;

    // Reads the input file: a "FWD DC", "FWD IP" or "FWD IPL" line, then "MESH FILE ",
    // "LOC LOC_X ", "COND FILE ", "CHG FILE " and "TOPO FILE " lines, each keyword followed by one
    // blank and a file name that runs to the end of the line, blanks included. Lines it does not
    // know are logged as warnings. typeRead is called as soon as a FWD line has been read, before
    // anything can fail for the lines after it. Raises CEngineError when the file cannot be read
    // or lacks a line the forward type needs.
    static CForwardJob Read(const std::string& path, CRunLog& log, const std::function<void(Type)>& typeRead = {});
};
