#pragma once

#include <vector>

// The wavenumbers and weights that turn the 2D solutions of a 2.5D problem into a potential:
// for a unit current, V = sum_i w_i u(k_i), where u(k) solves the 2D problem at wavenumber k for
// a unit source. For a half-space, u(k) = K0(k r) / (pi sigma), and the weights are chosen so
// that sum_i w_i K0(k_i r) = 1 / (2 r) over the survey's range of distances.
//
// The rule is the trapezoidal rule in ln k, whose error is the same for every distance because
// a change of distance only shifts the integrand along ln k; below the smallest wavenumber the
// integrand is continued as a logarithm of k, its behaviour at small k, through the two
// smallest wavenumbers.
class CWavenumberRule {
public:
    // The spacings in ln k: the trapezoidal rule's error for sum K0(k r) is about
    // 2 / cosh(pi^2 / step), 2e-5 for the data and 1e-4 for the sensitivities, which are
    // wanted to a percent and cost a field per wavenumber and electrode.
    static constexpr double kDataStep = 0.8;
    static constexpr double kSensitivityStep = 1.0;

    // A rule for the distances rLo .. rHi (0 < rLo <= rHi).
    static CWavenumberRule Design(double rLo, double rHi, double step = kDataStep);

    // What checks this rule: a rule of half its spacing on the same lattice, reaching twice as
    // high and four times as low. Its wavenumbers include these, so only the others are solved:
    // the check's sum is the sum of the returned rule plus half this one's.
    CWavenumberRule CheckAdditions() const;

    // Largest relative error of sum_i w_i K0(k_i r) against 1 / (2 r) for r in [rLo, rHi].
    double MaxError(double rLo, double rHi) const;

    std::vector<double> k;
    std::vector<double> w;
    double step = 0; // spacing in ln k
};
