#pragma once

#include <cmath>
#include <cstddef>

// What the shared files may hold. A reader refuses more, checking a count before it allocates
// anything for it, and the model maker refuses to write more. A forward run takes some 0.8 KB
// per cell (861 MB on 1.1 million cells, docs/engine.md), more as the factors fill on larger
// meshes: on 20 million cells it would need 16 GB and more, beyond the machines it runs on.
constexpr long long kMaxMeshCells = 20'000'000;
constexpr int kMaxAxisCells = 10'000'000;
constexpr int kMaxBlocks = 10'000; // in each of the DC and IP models
constexpr int kMaxTopographyPoints = 10'000;
constexpr int kMaxData = 1'000'000;
constexpr int kMaxProtocolElectrode = 100'000; // an instrument's protocol numbers its electrodes up to this

// Numbers beyond these are mistakes, and some would overflow what is computed from them.
constexpr double kMaxCoordinate = 1e12;    // a position or depth, in model units
constexpr double kMinLength = 1e-6;        // the core area's sides and a mesh cell's
constexpr double kMaxSlope = 1e6;          // a sheared block's
constexpr double kMaxLogConductivity = 30; // a DC value, log10 S/m, so that 10^v is a normal float
// The section's vertical exaggeration: beyond these it is a hairline or far taller than any screen.
constexpr double kMinExaggeration = 0.1, kMaxExaggeration = 100;

// The model file's reader takes exactly these; the dialogs that edit a model ask the same.
inline bool IsModelPosition(double v)
{
    return std::fabs(v) <= kMaxCoordinate;
}
inline bool IsDCValue(float v)
{
    return std::fabs(v) <= kMaxLogConductivity;
}
// A side of the core area: NaN and reversed sides are refused too.
inline bool IsCoreSide(double from, double to)
{
    return to - from >= kMinLength;
}

// The sizes of the files themselves, so that no reader takes in more than its counts can need.
constexpr size_t kMaxModelFileBytes = size_t(64) << 20;
constexpr size_t kMaxLocationsFileBytes = size_t(256) << 20;
constexpr size_t kMaxMeshFileBytes = size_t(1) << 30;
constexpr size_t kMaxValuesFileBytes = size_t(2) << 30;
constexpr size_t kMaxTopographyFileBytes = size_t(16) << 20;
constexpr size_t kMaxInputFileBytes = size_t(1) << 20;
constexpr size_t kMaxDataFileBytes = size_t(256) << 20;
