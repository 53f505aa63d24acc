#pragma once

#include <string>
#include <vector>

struct CDataFile;

// The estimated error of the data shown, from the obs_err.dat the forward-modelling program
// writes beside its data files.
struct CDataEstimate {
    std::vector<double> percent; // the error of V/I per datum in percent, in the data's order; empty: none
    std::string note;            // why an obs_err.dat lying there is not shown, one sentence; "" otherwise
};

// Reads obs_err.dat from the data file's folder. None there gives no estimate and no note; a file
// the reader refuses, or one made for other data (another number of data, other electrodes on a
// line), gives the note instead. IP data need an IP run's estimate; DC data take either kind, as
// an IP run writes obs_dc.dat too.
CDataEstimate LoadDataEstimate(const CDataFile& data, const std::string& dataPath);
