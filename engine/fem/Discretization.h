#pragma once

#include "engine/general/MachineMemory.h"

#include <Eigen/Dense>

#include <array>
#include <vector>

class CGrid;

// The 2D equations of the 2.5D problem on the grid, -div(sigma grad u) + k^2 sigma u = source,
// discretised on the nodes by bilinear elements (linear ones on the triangles at the surface).
// The element integrals use, along each reference axis, the mean of the Gauss and the trapezoidal
// rule: on rectangles this makes the one-dimensional mass matrices the mean of the consistent and
// the lumped ones, the compact "Mehrstellen" stencil, fourth-order accurate where cells are
// uniform; on the elements that follow the surface it is an ordinary, second-order, rule. The
// ground surface carries no current; the sides and the bottom carry the mixed condition of a
// point source's field, du/dn = -k K1(kr)/K0(kr) cos(theta) u, with r measured from one point at
// the electrodes' centre, so that the matrix is the same for every source.
//
// An electrode is not a point load: it injects (and measures) through the weights
// s = (e + m / sum(m)) / 2 on its node's neighbours, m being the column of the
// conductivity-weighted mass matrix. Applied at both ends, these weights make the point-source
// potentials fourth-order accurate as well. The potentials wanted are W = S' A^-1 S for the
// electrodes' weight columns S. When no electrode lies among another's neighbours, the
// congruence A~ = T^-1 A T^-T with T e = s turns each electrode back into one node, so that W is
// the electrode block of the inverse of A~, which the Cholesky factor yields in its trailing
// block when the electrodes are eliminated last. Otherwise the electrodes' neighbourhoods are
// eliminated last and W comes from that larger trailing block.
class CDiscretization {
public:
    // The operator of one conductivity model.
    struct COperator {
        std::vector<double> stiffness; // on the pattern, upper triangle
        std::vector<double> mass;
        std::vector<double> robin;                // per boundary term: sigma times the boundary length
        Eigen::MatrixXd functionals;              // trailing unknowns x electrodes: the weights S
        std::vector<std::vector<double>> weights; // per electrode, on its neighbourhood
    };

    // congruence: whether electrodes may be turned into single unknowns; without it the
    // electrodes' neighbourhoods are always eliminated last (same result, larger trailing block).
    explicit CDiscretization(const CGrid& grid, bool congruence = true);

    int Unknowns() const { return static_cast<int>(m_columnStarts.size()) - 1; }
    // The unknown of a grid node, or -1 where no element touches it.
    int Unknown(int node) const { return m_unknown[node]; }
    int Electrodes() const { return static_cast<int>(m_electrodes.size()); }
    // Whether each electrode was turned into one node (see above).
    bool Congruent() const { return m_congruent; }
    // The upper triangle's pattern, by columns.
    const std::vector<int>& ColumnStarts() const { return m_columnStarts; }
    const std::vector<int>& RowIndices() const { return m_rowIndices; }
    // The elimination order, trailing unknowns last.
    const std::vector<int>& Ordering() const { return m_ordering; }
    int Trailing() const { return static_cast<int>(m_trailing.size()); }

    // elementConductivity: per element of the grid.
    COperator Assemble(const std::vector<double>& elementConductivity) const;

    // The matrix values at wavenumber k.
    void Values(const COperator& op, double k, std::vector<double>& values) const;

    // The fields A^-1 S of the electrodes from A~^-1 E, the fields of the operator with the
    // congruence: A^-1 S = R' A~^-1 E, which changes only the electrodes' own unknowns. Both
    // transposed: a row per electrode, a column per unknown.
    void UndoCongruence(const COperator& op, Eigen::MatrixXd& fields) const;

    // For the sensitivities: a pole or a dipole of unit currents, (electrode, coefficient), and per
    // datum the index of its current and of its potential combination.
    using CCombination = std::vector<std::pair<int, double>>;
    struct CDerivativeData {
        std::vector<CCombination> combinations;
        std::vector<std::pair<int, int>> data;
    };
    // The fields of every combination of d at one wavenumber, as floats, into out (a row per
    // combination, a column per unknown, column by column), from fields on the operator without
    // the congruence: the electrodes' (a row per electrode) or, when combined, the combinations'
    // own. Adds weight times them on each electrode's neighbourhood to neighbourhoods[electrode]
    // (combinations x the neighbourhood's unknowns), in double, for AddWeightDerivatives.
    void CombinationFields(const Eigen::MatrixXd& fields, bool combined, const CDerivativeData& d, double weight,
                           std::vector<Eigen::MatrixXd>& neighbourhoods, float* out) const;
    // Adds the derivative of every datum's potential with respect to the conductivity of each
    // element, summed over the wavenumbers k with weights w and over the elements of each mesh
    // cell, to out[cell * data + datum], for part of parts of the cells: threads given different
    // parts write apart. fields: per wavenumber, CombinationFields of the operator of the
    // conductivity.
    void AddDerivatives(const std::vector<double>& k, const std::vector<double>& w,
                        const std::vector<const float*>& fields, const CDerivativeData& d, int part, int parts,
                        CZeroedFloats& out) const;
    // Adds what comes through the electrodes' weights, which follow the conductivity, from the
    // neighbourhoods' sums of CombinationFields over the wavenumbers.
    void AddWeightDerivatives(const std::vector<double>& elementConductivity,
                              const std::vector<Eigen::MatrixXd>& neighbourhoods, const CDerivativeData& d,
                              CZeroedFloats& out) const;

private:
    struct CRobinTerm {
        int position; // of the diagonal entry
        int node;
        int element;
        double halfLength;
        double r;
        double cosine;
    };

    // The steps of the constructor.
    int NumberUnknowns();
    void FindNeighbourhoods();
    bool ElectrodesApart(int unknowns) const;
    template <class Visit>
    void VisitPairs(Visit&& visit) const;
    void BuildPattern(int unknowns);
    void LocateElements();
    void AddBoundaryTerms();
    void Order(int unknowns);
    int Position(int row, int column) const; // row <= column

    // The steps of Assemble.
    void AddElementMatrices(const std::vector<double>& elementConductivity, COperator& op) const;
    std::vector<double> ElectrodeWeights(int electrode, const std::vector<double>& elementConductivity) const;
    void CentreOnBisector(int node, const std::vector<int>& hoodNodes, std::vector<double>& weights) const;
    void ApplyCongruence(const std::vector<std::vector<double>>& weights, COperator& op) const;
    Eigen::MatrixXd TrailingFunctionals(const std::vector<std::vector<double>>& weights) const;

    const CGrid& m_grid;
    std::vector<int> m_unknown; // per grid node: its unknown, or -1 where no element touches it
    std::vector<int> m_columnStarts;
    std::vector<int> m_rowIndices;
    std::vector<std::array<int, 16>> m_elementPositions; // per element, local (a, b) -> position
    std::vector<CRobinTerm> m_robin;
    std::vector<int> m_electrodes;                     // unknowns
    std::vector<std::vector<int>> m_electrodeElements; // per electrode: the elements around it
    std::vector<std::vector<int>> m_neighbourhoods;    // per electrode: unknowns of those elements' nodes
    std::vector<int> m_trailing;                       // unknowns eliminated last
    std::vector<int> m_ordering;
    bool m_congruent = false;
};
