#pragma once

#include <string>
#include <vector>

// One datum of the forward-modelling program: the electrodes' positions (a pole repeats its
// position: B = A for a pole source, N = M for a pole receiver) and the predicted values.
struct CDatum {
    double a = 0, b = 0, m = 0, n = 0;
    double value = 0; // apparent resistivity (DC) or apparent chargeability (IP)
    double vi = 0;    // V/I, DC only
    int line = 0;     // line of the file, for messages
};

struct CDataSet {
    bool ip = false;
    std::vector<CDatum> data; // in the order of the file
};

// Reads a data file: lines beginning with "!" are comments; every other non-blank line holds
// A B M N and then V/I and rho_a (DC) or eta_a (IP). Gives "" on success, otherwise the message
// for the user.
std::string ReadDataFile(const std::string& path, bool ip, CDataSet& set);
