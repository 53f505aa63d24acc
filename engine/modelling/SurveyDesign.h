#pragma once

#include "engine/modelling/ForwardJob.h"

#include <Eigen/Dense>

#include <functional>
#include <string>
#include <vector>

class CRunLog;
struct CForwardInput;
struct CEngineOptions;

// A four-electrode configuration by electrode index; B or N -1 for an electrode at infinity.
struct CConfiguration {
    int a = 0, b = 0, m = 0, n = 0;
};

// The linearized problem a design works on: for every pair of electrodes (as
// CPolePoleSensitivities numbers them) its pole-pole V/I and dV / d ln sigma summed over each
// parameter block of the section, a row per pair.
struct CDesignProblem {
    int electrodes = 0;
    Eigen::MatrixXd pairs;
    std::vector<double> potential, magnitude;

    // V/I of a configuration and, when g is given, its row of the Jacobian d ln V / d ln sigma over
    // the blocks. False when its potential is zero on this earth (its terms cancel).
    bool Row(const CConfiguration& c, double& v, Eigen::VectorXd* g = nullptr) const;
};

// The diagonal of the resolution matrix R = (G'G + lambda I)^-1 G'G of a set of configurations,
// G their rows.
std::vector<double> ResolutionDiagonal(const CDesignProblem& problem, const std::vector<CConfiguration>& set,
                                       double lambda);

// The mean over the blocks of R_jj / comprehensive_jj.
double AverageRelativeResolution(const std::vector<double>& r, const std::vector<double>& comprehensive);

// The compare-R choice (Stummer, Maurer and Green 2004) with the update of Wilkinson et al.
// (2006): from no configuration, adds one at a time the candidate whose row most raises
// sum_j dR_jj / comprehensive_jj, each candidate's gain kept up to date by rank-one updates.
// progress gets the count chosen so far. Returns indices into candidates, in the order chosen.
std::vector<int> ChooseByResolution(const CDesignProblem& problem, const std::vector<CConfiguration>& candidates,
                                    const std::vector<double>& comprehensive, int count, double lambda,
                                    const std::function<void(int)>& progress = {});

// The comprehensive set of positions (increasing): the three configurations of every four
// electrodes, without those whose flat-ground geometric factor exceeds dipole-dipole's with
// dipoles of one spacing and n = 6.
std::vector<CConfiguration> ComprehensiveSet(const std::vector<double>& positions, double spacing);

// The classic sets on numbered electrodes (number[i] of position i, from 1), in the order a
// crew measures them, at most count: dipole-dipole and Wenner-Schlumberger for each spacing
// multiple s and n = 1 to 6, Wenner for each s.
enum class EClassicSet { dipoleDipole, wenner, wennerSchlumberger };
std::vector<CConfiguration> ClassicSet(EClassicSet set, const std::vector<int>& number, int count);

// The whole design of a run whose input asks for one: pole-pole sensitivities on the model,
// the candidates (the comprehensive set, or the survey's own data when it is a protocol), the
// chosen set written as a protocol and the report beside it. Returns the report. Raises
// CEngineError.
std::string DesignSurvey(const CForwardInput& in, const CForwardJob& job, CRunLog& log, const CEngineOptions& options);
