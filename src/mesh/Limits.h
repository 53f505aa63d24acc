#pragma once

#include "formats/Limits.h"

// What one discretization may ask of the machine beyond what its files may hold: more
// transmitters are refused rather than left to exhaust memory.
constexpr int kMaxTransmitters = 100'000;

// A forward run on three million cells takes a minute or more and several GB; beyond this the
// Discretize command warns.
constexpr long long kQuickForwardCells = 3'000'000;
