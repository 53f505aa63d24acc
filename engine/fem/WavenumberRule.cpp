#include "engine/fem/WavenumberRule.h"

#include "engine/fem/Bessel.h"

#include <algorithm>
#include <cmath>

namespace {

// The smallest wavenumber times the largest distance: below it the integrand is continued as
// a logarithm.
constexpr double kLowEnd = 0.01;
// The largest wavenumber times the smallest distance. K0 has fallen to 1e-4 at 8, but the
// discrete solutions at the nearest electrodes keep weight up to about 20.
constexpr double kHighEnd = 20;

// The trapezoidal rule in ln k from tLo with `count` nodes, continued below its smallest node.
CWavenumberRule Trapezoidal(double tLo, double kStep, int count)
{
    CWavenumberRule rule;
    rule.step = kStep;
    for (int j = 0; j < count; ++j) {
        const double k = std::exp(tLo + j * kStep);
        rule.k.push_back(k);
        rule.w.push_back(kStep * k);
    }
    // Below k[0]: u(k) = u0 + beta ln(k0 / k) with beta = (u0 - u1) / step, summed with the same
    // spacing over the nodes k0 e^-mh, m >= 1, as the trapezoidal rule would:
    // step k0 (u0 q / (1 - q) + beta step q / (1 - q)^2), q = e^-step.
    const double q = std::exp(-kStep);
    const double k0 = rule.k[0];
    const double a = kStep * k0 * q / (1 - q);
    const double b = kStep * k0 * kStep * q / ((1 - q) * (1 - q));
    rule.w[0] += a + b / kStep;
    rule.w[1] -= b / kStep;
    // The 2D problem carries half the current of a line source: V = (2 / pi) integral of the
    // cosine transform, which with a unit 2D source is (1 / pi) integral of u.
    for (double& w : rule.w)
        w /= M_PI;
    return rule;
}

} // namespace

CWavenumberRule CWavenumberRule::Design(double rLo, double rHi, double step)
{
    // Dipole data amplify the error by up to some tens.
    const double tLo = std::log(kLowEnd / rHi), tHi = std::log(kHighEnd / rLo);
    return Trapezoidal(tLo, step, std::max(2, static_cast<int>(std::ceil((tHi - tLo) / step))) + 1);
}

CWavenumberRule CWavenumberRule::CheckAdditions() const
{
    // Nodes of the check below and above this rule's: 4x lower and 2x higher at half the spacing.
    const int below = static_cast<int>(std::ceil(std::log(4.0) / (step / 2)));
    const int above = static_cast<int>(std::ceil(std::log(2.0) / (step / 2)));
    const int count = static_cast<int>(k.size());
    const CWavenumberRule check =
        Trapezoidal(std::log(k[0]) - below * step / 2, step / 2, below + 2 * count - 1 + above);
    CWavenumberRule additions;
    additions.step = check.step;
    for (int j = 0; j < static_cast<int>(check.k.size()); ++j) {
        const int own = j - below; // this rule's node own / 2, where own is even and in range
        if (own < 0 || own % 2 != 0 || own / 2 >= count) {
            additions.k.push_back(check.k[j]);
            additions.w.push_back(check.w[j]);
        }
    }
    // This rule's nodes carry half their trapezoidal weight in the check; their weights here
    // also hold the continuation below k[0], which half of this rule's sum must give back.
    for (int j = 0; j < std::min(2, count); ++j) {
        additions.k.push_back(k[j]);
        additions.w.push_back(-0.5 * (w[j] - step * k[j] / M_PI));
    }
    return additions;
}

double CWavenumberRule::MaxError(double rLo, double rHi) const
{
    double worst = 0;
    const int samples = 400;
    for (int j = 0; j <= samples; ++j) {
        const double r = rLo * std::pow(rHi / rLo, double(j) / samples);
        double sum = 0;
        for (size_t i = 0; i < k.size(); ++i)
            sum += w[i] * BesselK0(k[i] * r);
        worst = std::max(worst, std::fabs(2 * r * sum - 1));
    }
    return worst;
}
