#include "engine/fem/Bessel.h"

#include <cmath>
#include <limits>

namespace {

constexpr double kEuler = 0.57721566490153286061;

// Power series about 0, used up to x = 2 where they need at most 20 terms.
void SeriesK(double x, double& k0, double& k1)
{
    const double q = 0.25 * x * x;
    const double logHalf = std::log(0.5 * x);
    // K0 = -(ln(x/2) + gamma) I0 + sum q^j / (j!)^2 H_j
    double term = 1;     // q^j / (j!)^2
    double harmonic = 0; // H_j
    double i0 = 1, sum0 = 0;
    // K1 = 1/x + ln(x/2) I1 - (x/4) sum (psi(j+1) + psi(j+2)) q^j / (j! (j+1)!)
    double term1 = 1; // q^j / (j! (j+1)!)
    double i1 = 0.5 * x, sum1 = 0;
    for (int j = 0; j < 40; ++j) {
        if (j > 0) {
            term *= q / (double(j) * j);
            term1 *= q / (double(j) * (j + 1));
            harmonic += 1.0 / j;
            i0 += term;
            i1 += 0.5 * x * term1;
            sum0 += term * harmonic;
        }
        // psi(j+1) + psi(j+2) = 2 H_j + 1/(j+1) - 2 gamma
        sum1 += term1 * (2 * harmonic + 1.0 / (j + 1) - 2 * kEuler);
        if (term1 < 1e-18 * sum1 && j > 0)
            break;
    }
    k0 = -(logHalf + kEuler) * i0 + sum0;
    k1 = 1 / x + logHalf * i1 - 0.25 * x * sum1;
}

// Steed's continued fraction for K0 and K1 (Temme's method), scaled by e^x; converges quickly
// for x >= 2.
void ScaledFractionK(double x, double& k0, double& k1)
{
    const double a1 = 0.25; // 1/4 - nu^2 with nu = 0
    double b = 2 * (1 + x);
    double d = 1 / b;
    double h = d, delh = d;
    double q1 = 0, q2 = 1;
    double q = a1, c = a1, a = -a1;
    double s = 1 + q * delh;
    for (int i = 2; i < 1000; ++i) {
        a -= 2 * (i - 1);
        c = -a * c / i;
        const double qnew = (q1 - b * q2) / a;
        q1 = q2;
        q2 = qnew;
        q += c * qnew;
        b += 2;
        d = 1 / (b + a * d);
        delh = (b * d - 1) * delh;
        h += delh;
        const double dels = q * delh;
        s += dels;
        if (std::fabs(dels / s) < 1e-17)
            break;
    }
    h *= a1;
    k0 = std::sqrt(M_PI / (2 * x)) / s;
    k1 = k0 * (x + 0.5 - h) / x;
}

void Both(double x, bool scaled, double& k0, double& k1)
{
    if (!(x > 0)) {
        k0 = k1 = std::numeric_limits<double>::infinity();
        return;
    }
    if (x <= 2) {
        SeriesK(x, k0, k1);
        if (scaled) {
            const double e = std::exp(x);
            k0 *= e;
            k1 *= e;
        }
        return;
    }
    ScaledFractionK(x, k0, k1);
    if (!scaled) {
        const double e = std::exp(-x);
        k0 *= e;
        k1 *= e;
    }
}

} // namespace

double BesselK0(double x)
{
    double k0, k1;
    Both(x, false, k0, k1);
    return k0;
}

double BesselK1(double x)
{
    double k0, k1;
    Both(x, false, k0, k1);
    return k1;
}

double ScaledBesselK0(double x)
{
    double k0, k1;
    Both(x, true, k0, k1);
    return k0;
}

double ScaledBesselK1(double x)
{
    double k0, k1;
    Both(x, true, k0, k1);
    return k1;
}

double BesselK1OverK0(double x)
{
    double k0, k1;
    Both(x, true, k0, k1);
    return k1 / k0;
}
