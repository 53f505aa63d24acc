#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// Whether the command line asks for the batch mode (or its help) rather than the window.
bool IsBatchCommandLine(const std::vector<std::string>& args);

// Discretizes a model without any window:
//   --batch MODEL [--array ...] [--n N] [--a A] [--mesh m1|m2|PATH] [--cells C] [--aspect R]
//   [--dx DX] [--dz DZ] [--fwd dc|ip|ipl] [--forward [--accuracy PCT|off]] [--export-... FILE]
//   [--noise ...] [--add-modelling-error] [--png PREFIX]
// MODEL is opened as Open does, the options go over its parameters, the Discretize dialog's
// checks run with their messages, and the files are written beside the model; --forward then
// runs the forward modelling, its progress lines going to err; SIGINT and SIGTERM then cancel
// the run, pass on to its program and end the batch mode once the program is gone; --accuracy
// goes on to that program, checked as it checks it. --png draws
// the discretized model (and, after the forward run, the data) as the viewers would, into
// PREFIX-model.png and PREFIX-data.png, without any window.
// The summary and outcomes go to out, every other message to err.
// Returns the exit status: 0 done, 1 refused or failed (also when memory ran out, which err is
// told), 2 a usage error, 128 + the number of a signal that stopped the forward run.
int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
