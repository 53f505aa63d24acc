#pragma once

#include <Eigen/Dense>

#include <memory>
#include <string>
#include <vector>

struct cholmod_common_struct;
struct cholmod_factor_struct;

// Sparse Cholesky factorisations (CHOLMOD, supernodal) of symmetric positive definite matrices
// that share one pattern, for the trailing block of the inverse: with the trailing unknowns
// eliminated last, P A P' = L L' holds their Schur complement as L_tt L_tt', so that
// (A^-1)_tt = (L_tt L_tt')^-1 comes from the factorisation alone, with no solve through the
// whole factor. The pattern is analysed once; each worker factorises matrix after matrix on its
// own copy of the analysis, so workers can run on different threads.
class CSchurSolver {
public:
    // The upper triangle's pattern by columns (n = columnStarts.size() - 1), the elimination
    // order (order[j] is the j-th unknown eliminated) and the number of trailing unknowns.
    // Raises CEngineError when the analysis fails.
    CSchurSolver(const std::vector<int>& columnStarts, const std::vector<int>& rowIndices,
                 const std::vector<int>& order, int trailing);
    ~CSchurSolver();
    CSchurSolver(const CSchurSolver&) = delete;
    CSchurSolver& operator=(const CSchurSolver&) = delete;

    double FactorEntries() const { return m_factorEntries; }
    double FactorFlops() const { return m_factorFlops; }
    // What one worker's factor and CHOLMOD's workspace take, and what the analysis keeps.
    double WorkerBytes() const { return m_workerBytes; }
    double AnalysisBytes() const { return m_analysisBytes; }

    class CWorker {
    public:
        explicit CWorker(const CSchurSolver& solver);
        ~CWorker();
        CWorker(const CWorker&) = delete;
        CWorker& operator=(const CWorker&) = delete;

        // Factorises the matrix with these values (on the solver's pattern) and gives
        // Y = L_tt^-1 B for a trailing-rows matrix B, so that Y' Y = B' (A^-1)_tt B. False, with
        // the reason, when the matrix is not positive definite or the factorisation fails.
        bool Factorise(const std::vector<double>& values, const Eigen::MatrixXd& functionals, Eigen::MatrixXd& y,
                       std::string& error);

        // After Factorise gave y for trailing-rows functionals B: fields = X' for X = A^-1 B', B'
        // the matrix that is B on the trailing unknowns and 0 elsewhere; a row per column of B and
        // a column per unknown. The trailing unknowns are eliminated last, so the forward solve is
        // y itself and only the backward one is left. fields keeps its storage from call to call.
        void FieldsOfTrailing(const Eigen::MatrixXd& y, Eigen::MatrixXd& fields) const;

    private:
        void GatherTrailingBlock(int first);

        const CSchurSolver& m_solver;
        std::unique_ptr<cholmod_common_struct> m_common;
        cholmod_factor_struct* m_factor = nullptr;
        Eigen::MatrixXd m_trailingFactor;
    };

private:
    std::vector<int> m_columnStarts;
    std::vector<int> m_rowIndices;
    int m_trailing;
    std::unique_ptr<cholmod_common_struct> m_common;
    cholmod_factor_struct* m_symbolic = nullptr;
    double m_factorEntries = 0;
    double m_factorFlops = 0;
    double m_workerBytes = 0;
    double m_analysisBytes = 0;
};
