#pragma once

#include "formats/ForwardInputFile.h"

// What one run computes and from which files: the forward-modelling input file.
using CForwardJob = CForwardInputFile;
