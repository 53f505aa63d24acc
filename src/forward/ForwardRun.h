#pragma once

#include <string>

struct CModelData;

// Runs the forward-modelling program on the discretized model in the current folder: removes
// the old data files, writes the input file, starts "ferrovan.exe" with it and waits, then
// judges the run by the data files it left and says so. True when it succeeded. Once old data
// files are gone the results flag is cleared, whatever the run then does. A file name that the
// input file cannot hold is refused before anything is removed.
bool RunForwardModel(CModelData& model);

// Starts a command line without waiting; "Could not execute program: " and the program's name
// when it cannot be started.
void LaunchProgram(const std::string& commandLine);

// The viewers' command lines for the model shown (DC or IP), every file name quoted.
std::string DataViewerCommandLine(const CModelData& model, bool dcModel);
std::string ModelViewerCommandLine(const CModelData& model, bool dcModel);

// The log file command: the log in the text editor, or a message when there is none.
void ShowLogFile(const CModelData& model);
