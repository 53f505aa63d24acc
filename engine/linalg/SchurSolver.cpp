#include "engine/linalg/SchurSolver.h"

#include "engine/general/EngineError.h"
#include "engine/general/MachineMemory.h"

#include <cholmod.h>

#include <cmath>

// The BLAS library's products, the ones CHOLMOD runs on.
extern "C" {
void dgemm_(const char* transa, const char* transb, const int* m, const int* n, const int* k, const double* alpha,
            const double* a, const int* lda, const double* b, const int* ldb, const double* beta, double* c,
            const int* ldc);
void dtrsm_(const char* side, const char* uplo, const char* transa, const char* diag, const int* m, const int* n,
            const double* alpha, const double* a, const int* lda, double* b, const int* ldb);
}

namespace {

void Configure(cholmod_common& c)
{
    c.nmethods = 1;
    c.method[0].ordering = CHOLMOD_GIVEN;
    // A postorder could move unknowns that depend only on trailing ones in among them.
    c.postorder = 0;
    c.supernodal = CHOLMOD_SUPERNODAL;
    c.final_ll = 1;
    c.quick_return_if_not_posdef = 1;
    c.print = 0;
    // The supernodes of a grid's separators are small; merging twice as many columns as CHOLMOD
    // does by default buys bigger dense blocks for a few explicit zeros: a sixth faster here.
    c.nrelax[0] = 8;
    c.nrelax[1] = 32;
    c.nrelax[2] = 96;
    c.error_handler = nullptr;
}

// The pattern and values as CHOLMOD's upper-triangular sparse matrix, without copying.
cholmod_sparse View(const std::vector<int>& columnStarts, const std::vector<int>& rowIndices, const double* values)
{
    cholmod_sparse a{};
    a.nrow = a.ncol = columnStarts.size() - 1;
    a.nzmax = rowIndices.size();
    a.p = const_cast<int*>(columnStarts.data());
    a.i = const_cast<int*>(rowIndices.data());
    a.x = const_cast<double*>(values);
    a.stype = 1;
    a.itype = CHOLMOD_INT;
    a.xtype = values ? CHOLMOD_REAL : CHOLMOD_PATTERN;
    a.dtype = CHOLMOD_DOUBLE;
    a.sorted = 1;
    a.packed = 1;
    return a;
}

} // namespace

CSchurSolver::CSchurSolver(const std::vector<int>& columnStarts, const std::vector<int>& rowIndices,
                           const std::vector<int>& order, int trailing)
    : m_columnStarts(columnStarts), m_rowIndices(rowIndices), m_trailing(trailing),
      m_common(std::make_unique<cholmod_common>())
{
    cholmod_start(m_common.get());
    Configure(*m_common);
    cholmod_sparse pattern = View(m_columnStarts, m_rowIndices, nullptr);
    std::vector<int> permutation = order;
    m_symbolic = cholmod_analyze_p(&pattern, permutation.data(), nullptr, 0, m_common.get());
    if (!m_symbolic || m_common->status != CHOLMOD_OK)
        throw CEngineError(m_common->status == CHOLMOD_OUT_OF_MEMORY
                               ? "There is not enough memory to factorise the matrix of this mesh."
                               : "The sparse matrix could not be analysed (CHOLMOD status " +
                                     std::to_string(m_common->status) + ").");
    const int n = static_cast<int>(order.size());
    const int* kept = static_cast<const int*>(m_symbolic->Perm);
    for (int j = n - trailing; j < n; ++j)
        if (kept[j] != order[j])
            throw CEngineError("The sparse matrix analysis did not keep the electrodes last.");
    m_factorEntries = m_common->lnz;
    m_factorFlops = m_common->fl;
    // The supernodal values, the update matrices of the largest supernode, and the integer
    // structure with CHOLMOD's workspace (a few arrays of n).
    const double integers = double(m_symbolic->ssize) + 3.0 * double(m_symbolic->nsuper) + 8.0 * n;
    m_analysisBytes = 4 * integers;
    m_workerBytes = 8 * (double(m_symbolic->xsize) + double(m_symbolic->maxcsize)) + 4 * integers;
}

CSchurSolver::~CSchurSolver()
{
    cholmod_free_factor(&m_symbolic, m_common.get());
    cholmod_finish(m_common.get());
}

CSchurSolver::CWorker::CWorker(const CSchurSolver& solver)
    : m_solver(solver), m_common(std::make_unique<cholmod_common>())
{
    cholmod_start(m_common.get());
    Configure(*m_common);
    m_factor = cholmod_copy_factor(solver.m_symbolic, m_common.get());
    if (!m_factor)
        throw CEngineError("There is not enough memory to factorise the matrix of this mesh.");
}

CSchurSolver::CWorker::~CWorker()
{
    cholmod_free_factor(&m_factor, m_common.get());
    cholmod_finish(m_common.get());
}

bool CSchurSolver::CWorker::Factorise(const std::vector<double>& values, const Eigen::MatrixXd& functionals,
                                      Eigen::MatrixXd& y, std::string& error)
{
    cholmod_sparse a = View(m_solver.m_columnStarts, m_solver.m_rowIndices, values.data());
    const int n = static_cast<int>(a.nrow);
    cholmod_factorize(&a, m_factor, m_common.get());
    if (m_common->status == CHOLMOD_OUT_OF_MEMORY) {
        error = "There is not enough memory to factorise the matrix of this mesh.";
        return false;
    }
    if (m_common->status != CHOLMOD_OK || static_cast<int>(m_factor->minor) < n || !m_factor->is_super) {
        error = "The matrix of the model is not positive definite (CHOLMOD status " + std::to_string(m_common->status) +
                "); a conductivity may be too extreme.";
        return false;
    }
    const int t = m_solver.m_trailing;
    GatherTrailingBlock(n - t);
    for (int j = 0; j < t; ++j)
        if (!(m_trailingFactor(j, j) > 0) || !std::isfinite(m_trailingFactor(j, j))) {
            error = "The factorisation gave an unusable electrode block.";
            return false;
        }
    y = m_trailingFactor.triangularView<Eigen::Lower>().solve(functionals);
    return true;
}

void CSchurSolver::CWorker::FieldsOfTrailing(const Eigen::MatrixXd& y, Eigen::MatrixXd& fields) const
{
    // The backward solve L' w = [0; y] supernode by supernode, on the transposed fields: a column
    // per unknown keeps the values a supernode gathers from the rows below it together, where
    // CHOLMOD's own solve reads them a column of length n apart.
    const int n = static_cast<int>(m_factor->n), t = m_solver.m_trailing, m = static_cast<int>(y.cols());
    const int* perm = static_cast<const int*>(m_factor->Perm);
    const int* super = static_cast<const int*>(m_factor->super);
    const int* pi = static_cast<const int*>(m_factor->pi);
    const int* px = static_cast<const int*>(m_factor->px);
    const int* rows = static_cast<const int*>(m_factor->s);
    const double* x = static_cast<const double*>(m_factor->x);
    if (fields.rows() != m || fields.cols() != n) {
        fields.resize(m, n);
        PreferHugePages(fields.data(), 8.0 * fields.size());
    }
    Eigen::MatrixXd local, below;
    for (int s = static_cast<int>(m_factor->nsuper) - 1; s >= 0; --s) {
        const int k1 = super[s], columns = super[s + 1] - k1, height = pi[s + 1] - pi[s], under = height - columns;
        const double* block = x + px[s];
        local.resize(m, columns);
        for (int c = 0; c < columns; ++c) {
            const int row = k1 + c - (n - t);
            if (row >= 0)
                local.col(c) = y.row(row).transpose();
            else
                local.col(c).setZero();
        }
        if (under > 0) {
            below.resize(m, under);
            for (int r = 0; r < under; ++r)
                below.col(r) = fields.col(perm[rows[pi[s] + columns + r]]);
            const double minusOne = -1, one = 1;
            dgemm_("N", "N", &m, &columns, &under, &minusOne, below.data(), &m, block + columns, &height, &one,
                   local.data(), &m);
        }
        const double one = 1;
        dtrsm_("R", "L", "N", "N", &m, &columns, &one, block, &height, local.data(), &m);
        for (int c = 0; c < columns; ++c)
            fields.col(perm[k1 + c]) = local.col(c);
    }
}

// The trailing block of L, from the first trailing column on, gathered from the supernodes that
// hold its columns.
void CSchurSolver::CWorker::GatherTrailingBlock(int first)
{
    const int t = m_solver.m_trailing;
    m_trailingFactor.setZero(t, t);
    const int* super = static_cast<const int*>(m_factor->super);
    const int* pi = static_cast<const int*>(m_factor->pi);
    const int* px = static_cast<const int*>(m_factor->px);
    const int* rows = static_cast<const int*>(m_factor->s);
    const double* x = static_cast<const double*>(m_factor->x);
    for (size_t s = 0; s < m_factor->nsuper; ++s) {
        const int k1 = super[s], k2 = super[s + 1];
        if (k2 <= first)
            continue;
        const int nrows = pi[s + 1] - pi[s];
        for (int column = std::max(k1, first); column < k2; ++column)
            for (int r = column - k1; r < nrows; ++r) {
                const int row = rows[pi[s] + r];
                if (row >= first)
                    m_trailingFactor(row - first, column - first) = x[px[s] + (column - k1) * nrows + r];
            }
    }
}
