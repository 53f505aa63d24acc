#pragma once

// What one discretization may ask of the machine. Inputs beyond these are refused rather than
// left to overflow a count or exhaust memory. A forward run takes some 0.8 KB per cell (861 MB
// on 1.1 million cells, docs/engine.md), more as the factors fill on larger meshes: on 20
// million cells it would need 16 GB and more, beyond the machines it runs on.
constexpr long long kMaxMeshCells = 20'000'000;
constexpr int kMaxAxisCells = 10'000'000;
constexpr int kMaxTransmitters = 100'000;

// A forward run on three million cells takes a minute or more and several GB; beyond this the
// Discretize command warns.
constexpr long long kQuickForwardCells = 3'000'000;
