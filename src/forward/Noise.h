#pragma once

#include <cstdint>
#include <random>

// The errors added to exported data: a relative part and a voltage floor for the resistance
// (a floor of floorMillivolts at currentAmps is floorMillivolts / 1000 / currentAmps ohm), and
// an absolute one for the chargeability.
struct CNoiseModel {
    double relativePercent = 0;
    double floorMillivolts = 0;
    double currentAmps = 1;
    double ipMillivoltsPerVolt = 0;
    uint64_t seed = 0;

    // The standard deviation of a transfer resistance r (ohm).
    double ResistanceSd(double r) const;
};

// Standard normal numbers that are the same on every platform for one seed: the engine's
// 64-bit output is fully defined, the library's distributions are not, so the uniforms and the
// Box-Muller transform are done here.
class CGaussian {
public:
    explicit CGaussian(uint64_t seed) : m_engine(seed) {}
    double Next();

private:
    // In (0, 1]: never 0, whose logarithm is infinite.
    double Uniform() { return static_cast<double>((m_engine() >> 11) + 1) * 0x1p-53; }

    std::mt19937_64 m_engine;
    double m_spare = 0;
    bool m_hasSpare = false;
};
