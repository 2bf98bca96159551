#include "sorvex/Svd.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace Sorvex {

namespace {

constexpr int MaxIterations = 30;

double withSignOf(double magnitude, double sign) {
    return sign >= 0.0 ? std::fabs(magnitude) : -std::fabs(magnitude);
}

/// Row-major view of a dense matrix.
struct Matrix {
    double* data;
    int cols;
    double& operator()(int r, int c) { return data[static_cast<std::size_t>(r) * cols + c]; }
};

/// Householder reduction of A to upper bidiagonal form. The diagonal goes to w, the
/// super-diagonal to e (e[0] is 0); the reflectors stay in A. Returns the norm bound used
/// by the convergence tests.
double bidiagonalize(Matrix a, int m, int n, std::vector<double>& w, std::vector<double>& e) {
    double g = 0.0, scale = 0.0, norm = 0.0;
    for (int i = 0; i < n; ++i) {
        const int l = i + 1;
        e[i] = scale * g;
        g = scale = 0.0;
        double s = 0.0;
        if (i < m) {
            for (int k = i; k < m; ++k)
                scale += std::fabs(a(k, i));
            if (scale != 0.0) {
                for (int k = i; k < m; ++k) {
                    a(k, i) /= scale;
                    s += a(k, i) * a(k, i);
                }
                const double f = a(i, i);
                g = -withSignOf(std::sqrt(s), f);
                const double h = f * g - s;
                a(i, i) = f - g;
                for (int j = l; j < n; ++j) {
                    double sum = 0.0;
                    for (int k = i; k < m; ++k)
                        sum += a(k, i) * a(k, j);
                    const double factor = sum / h;
                    for (int k = i; k < m; ++k)
                        a(k, j) += factor * a(k, i);
                }
                for (int k = i; k < m; ++k)
                    a(k, i) *= scale;
            }
        }
        w[i] = scale * g;
        g = scale = s = 0.0;
        if (i < m && i != n - 1) {
            for (int k = l; k < n; ++k)
                scale += std::fabs(a(i, k));
            if (scale != 0.0) {
                for (int k = l; k < n; ++k) {
                    a(i, k) /= scale;
                    s += a(i, k) * a(i, k);
                }
                const double f = a(i, l);
                g = -withSignOf(std::sqrt(s), f);
                const double h = f * g - s;
                a(i, l) = f - g;
                for (int k = l; k < n; ++k)
                    e[k] = a(i, k) / h;
                for (int j = l; j < m; ++j) {
                    double sum = 0.0;
                    for (int k = l; k < n; ++k)
                        sum += a(j, k) * a(i, k);
                    for (int k = l; k < n; ++k)
                        a(j, k) += sum * e[k];
                }
                for (int k = l; k < n; ++k)
                    a(i, k) *= scale;
            }
        }
        norm = std::max(norm, std::fabs(w[i]) + std::fabs(e[i]));
    }
    return norm;
}

/// Builds V from the right-hand reflectors stored in the rows of A.
void accumulateRight(Matrix a, int n, const std::vector<double>& e, Matrix v) {
    double g = 0.0;
    int l = n;
    for (int i = n - 1; i >= 0; --i) {
        if (i < n - 1) {
            if (g != 0.0) {
                // Divide twice rather than by the product to avoid underflow.
                for (int j = l; j < n; ++j)
                    v(j, i) = (a(i, j) / a(i, l)) / g;
                for (int j = l; j < n; ++j) {
                    double s = 0.0;
                    for (int k = l; k < n; ++k)
                        s += a(i, k) * v(k, j);
                    for (int k = l; k < n; ++k)
                        v(k, j) += s * v(k, i);
                }
            }
            for (int j = l; j < n; ++j)
                v(i, j) = v(j, i) = 0.0;
        }
        v(i, i) = 1.0;
        g = e[i];
        l = i;
    }
}

/// Replaces A by U, built from the left-hand reflectors stored in its columns.
void accumulateLeft(Matrix a, int m, int n, const std::vector<double>& w) {
    for (int i = std::min(m, n) - 1; i >= 0; --i) {
        const int l = i + 1;
        double g = w[i];
        for (int j = l; j < n; ++j)
            a(i, j) = 0.0;
        if (g != 0.0) {
            g = 1.0 / g;
            for (int j = l; j < n; ++j) {
                double s = 0.0;
                for (int k = l; k < m; ++k)
                    s += a(k, i) * a(k, j);
                const double f = (s / a(i, i)) * g;
                for (int k = i; k < m; ++k)
                    a(k, j) += f * a(k, i);
            }
            for (int j = i; j < m; ++j)
                a(j, i) *= g;
        } else {
            for (int j = i; j < m; ++j)
                a(j, i) = 0.0;
        }
        a(i, i) += 1.0;
    }
}

/// Applies the plane rotation (c, s) to columns p and q of a matrix with `rows` rows.
void rotateColumns(Matrix x, int rows, int p, int q, double c, double s) {
    for (int r = 0; r < rows; ++r) {
        const double y = x(r, p);
        const double z = x(r, q);
        x(r, p) = y * c + z * s;
        x(r, q) = z * c - y * s;
    }
}

bool negligible(double value, double norm) {
    return std::fabs(value) + norm == norm;
}

/// Diagonalises the bidiagonal form (w, e) by implicitly shifted QR, updating U (when
/// wanted) and V. Returns false when a singular value does not converge.
bool diagonalize(Matrix u, bool computeU, int m, int n, std::vector<double>& w,
                 std::vector<double>& e, Matrix v, double norm) {
    for (int k = n - 1; k >= 0; --k) {
        for (int iteration = 1;; ++iteration) {
            // Find the start l of the unreduced block ending at k; when w[l - 1] is
            // negligible, e[l] must first be cancelled by rotations.
            bool cancel = true;
            int l = k;
            for (; l >= 0; --l) {
                if (l == 0 || negligible(e[l], norm)) {
                    cancel = false;
                    break;
                }
                if (negligible(w[l - 1], norm))
                    break;
            }
            if (cancel) {
                const int nm = l - 1;
                double c = 0.0, s = 1.0;
                for (int i = l; i <= k; ++i) {
                    const double f = s * e[i];
                    e[i] = c * e[i];
                    if (negligible(f, norm))
                        break;
                    const double g = w[i];
                    double h = std::hypot(f, g);
                    w[i] = h;
                    h = 1.0 / h;
                    c = g * h;
                    s = -f * h;
                    if (computeU)
                        rotateColumns(u, m, nm, i, c, s);
                }
            }
            double z = w[k];
            if (l == k) {
                if (z < 0.0) {
                    w[k] = -z;
                    for (int j = 0; j < n; ++j)
                        v(j, k) = -v(j, k);
                }
                break;
            }
            if (iteration == MaxIterations)
                return false;

            // Shift from the trailing 2 x 2 minor, then one implicit QR sweep from l to k.
            double x = w[l];
            const int nm = k - 1;
            double y = w[nm];
            double g = e[nm];
            double h = e[k];
            double f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
            g = std::hypot(f, 1.0);
            f = ((x - z) * (x + z) + h * ((y / (f + withSignOf(g, f))) - h)) / x;
            double c = 1.0, s = 1.0;
            for (int j = l; j <= nm; ++j) {
                const int i = j + 1;
                g = e[i];
                y = w[i];
                h = s * g;
                g = c * g;
                z = std::hypot(f, h);
                e[j] = z;
                c = f / z;
                s = h / z;
                f = x * c + g * s;
                g = g * c - x * s;
                h = y * s;
                y *= c;
                rotateColumns(v, n, j, i, c, s);
                z = std::hypot(f, h);
                w[j] = z;
                if (z != 0.0) {
                    z = 1.0 / z;
                    c = f * z;
                    s = h * z;
                }
                f = c * g + s * y;
                x = c * y - s * g;
                if (computeU)
                    rotateColumns(u, m, j, i, c, s);
            }
            e[l] = 0.0;
            e[k] = f;
            w[k] = x;
        }
    }
    return true;
}

} // namespace

SvdStatus SingularValueDecomposition(std::vector<double>& a, int m, int n, std::vector<double>& w,
                                     std::vector<double>& v, bool computeU) {
    if (m < 0 || n <= 0)
        return SvdStatus::Ok;
    std::vector<double> e;
    try {
        // The reduction needs at least as many rows as columns; zero rows change neither
        // the singular values nor V.
        if (m < n) {
            a.resize(static_cast<std::size_t>(n) * n, 0.0);
            m = n;
        }
        w.assign(n, 0.0);
        v.assign(static_cast<std::size_t>(n) * n, 0.0);
        e.assign(n, 0.0);
    } catch (const std::bad_alloc&) {
        return SvdStatus::AllocationFailure;
    }
    Matrix am{a.data(), n};
    Matrix vm{v.data(), n};
    const double norm = bidiagonalize(am, m, n, w, e);
    accumulateRight(am, n, e, vm);
    if (computeU)
        accumulateLeft(am, m, n, w);
    if (!diagonalize(am, computeU, m, n, w, e, vm, norm))
        return SvdStatus::NoConvergence;
    return SvdStatus::Ok;
}

void SortSingularValues(std::vector<double>& w, std::vector<double>& v) {
    const int n = static_cast<int>(w.size());
    for (int i = 0; i < n - 1; ++i) {
        int best = i;
        double p = w[i];
        for (int j = i + 1; j < n; ++j) {
            if (w[j] >= p) {
                best = j;
                p = w[j];
            }
        }
        if (best != i) {
            std::swap(w[i], w[best]);
            for (int r = 0; r < n; ++r)
                std::swap(v[static_cast<std::size_t>(r) * n + i],
                          v[static_cast<std::size_t>(r) * n + best]);
        }
    }
}

} // namespace Sorvex
