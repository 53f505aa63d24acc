#include "forward/Noise.h"

#include <cmath>

double CNoiseModel::ResistanceSd(double r) const
{
    return relativePercent / 100 * std::fabs(r) + floorMillivolts / 1000 / currentAmps;
}

double CGaussian::Next()
{
    if (m_hasSpare) {
        m_hasSpare = false;
        return m_spare;
    }
    const double radius = std::sqrt(-2 * std::log(Uniform())), angle = 2 * M_PI * Uniform();
    m_spare = radius * std::sin(angle);
    m_hasSpare = true;
    return radius * std::cos(angle);
}
