#pragma once

#include <string>
#include <vector>

// The forward-modelling program: "ferrovan INPUT" reads the input file and the files it names
// in the current folder, computes the data and writes the data files and the log
// "ferrovan.log". Returns the exit status: 0 done, 1 failed (the reason in the log and on
// standard error), 2 a usage error.
int RunFerrovan(const std::vector<std::string>& args);
