#pragma once

#include "formats/Choices.h"

#include <string>
#include <string_view>
#include <vector>

// One datum of a forward run: the electrodes (a pole repeats its position: B = A for a pole
// source, N = M for a pole receiver) and the predicted values.
struct CDataRecord {
    double a = 0, b = 0, m = 0, n = 0;
    double vi = 0;    // V/I (ohm), DC only
    double value = 0; // rho_a (ohm m) for DC, eta_a for IP and IPL
    int line = 0;     // of the file read, for messages
};

// A data file of the forward-modelling program (FileNames.h's DataFileNames). A header line, then one line per datum in
// the locations file's order:
//   DC   "! A B M N V/I(ohm) rho_a(ohm m)", then "A B  M N  V/I rho_a"
//   IP   "! A B M N eta_a", then "A B  M N  eta_a"
// Positions as "%g" writes them unless that loses something (Text.h's AppendExact); the values
// with six significant digits ("%.6g"). A reader skips blank lines and lines starting with '!'.
struct CDataFile {
    bool ip = false;
    std::vector<CDataRecord> data;

    // Raises CFormatError for a line that does not hold exactly the numbers of its kind (six for
    // DC, five for IP), a position beyond kMaxCoordinate, more than kMaxData data, or none.
    static CDataFile Parse(std::string_view text, const std::string& name, EModelKind kind);
    // Also raises CFileException when the file cannot be read.
    static CDataFile Read(const std::string& path, EModelKind kind);

    std::string Format() const;
    // Raises CFileException; a failed write leaves the old file as it was.
    void Write(const std::string& path) const;
};

// The accuracy a forward run estimated for its data, kErrorFileName beside them: a header line, then
// one line per datum in the data files' order:
//   "A B  M N  dV" (DC) or "A B  M N  dV deta" (IP and IPL)
// with dV the estimated relative error of V/I and rho_a in percent and deta the estimated error
// of eta_a (absolute, as eta_a is written); three significant digits.
struct CErrorRecord {
    double a = 0, b = 0, m = 0, n = 0;
    double percent = 0;       // of V/I and rho_a
    double chargeability = 0; // IP and IPL
    int line = 0;
};

struct CErrorFile {
    bool ip = false;
    std::vector<CErrorRecord> data;

    // Raises CFormatError for a line that does not hold five numbers (six for IP), a position
    // beyond kMaxCoordinate, an error that is negative or not a number, more than kMaxData data,
    // or none.
    static CErrorFile Parse(std::string_view text, const std::string& name, EModelKind kind);
    static CErrorFile Read(const std::string& path, EModelKind kind);

    std::string Format() const;
    void Write(const std::string& path) const;
};

// Where an estimate stops belonging to the data: the first row whose electrodes differ, the
// shorter one's length when one ends early, or -1 when every row matches.
int FirstMismatch(const CErrorFile& estimate, const CDataFile& data);

// The error of V/I the forward-modelling program refines for unless told otherwise, in percent.
constexpr double kDefaultAccuracyPercent = 0.5;
// What the forward-modelling program's --accuracy takes, for the messages that refuse a value.
extern const char* const kAccuracyValues;
// A value of --accuracy, the whole text: a percentage above 0 and at most 100, or "off", given
// as 0. False for anything else. The model maker checks with it what it passes on.
bool ParseAccuracyPercent(std::string_view text, double& percent);
