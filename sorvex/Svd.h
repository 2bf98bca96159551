#pragma once

#include <vector>

namespace Sorvex {

/// Outcome of a singular value decomposition.
enum class SvdStatus {
    Ok,
    /// A singular value did not converge within 30 QR iterations.
    NoConvergence,
    /// The scratch memory could not be obtained.
    AllocationFailure,
};

/// Singular value decomposition A = U * diag(w) * V^T of a dense m x n matrix by the
/// Golub-Reinsch method: Householder reduction to bidiagonal form followed by implicitly
/// shifted QR sweeps, at most 30 per singular value.
///
/// `a` holds A row by row (m * n values, every one finite). On success `w` holds the n
/// singular values (non-negative, unsorted), `v` the n x n matrix V row by row, and, when
/// `computeU` is true, `a` is replaced by the m x n matrix U (rows of zeros are added
/// when m < n, so U then has n rows). Without `computeU` the contents of `a` are scratch.
SvdStatus SingularValueDecomposition(std::vector<double>& a, int m, int n, std::vector<double>& w,
                                     std::vector<double>& v, bool computeU = true);

/// Sorts the singular values into decreasing order and moves the columns of V (n x n, row
/// by row) with them. Among equal values the later one is taken first.
void SortSingularValues(std::vector<double>& w, std::vector<double>& v);

} // namespace Sorvex
