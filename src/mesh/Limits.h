#pragma once

// What one discretization may ask of the machine. Inputs beyond these are refused rather than
// left to overflow a count or exhaust memory: a mesh of 50 million cells already takes a
// model file of some 400 MB.
constexpr long long kMaxMeshCells = 50'000'000;
constexpr int kMaxAxisCells = 10'000'000;
constexpr int kMaxTransmitters = 100'000;

// A forward run on three million cells takes a minute or more and several GB; beyond this the
// Discretize command warns.
constexpr long long kQuickForwardCells = 3'000'000;
