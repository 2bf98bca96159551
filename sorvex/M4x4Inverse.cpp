// In-place inversion and re-orthogonalisation of M4x4.
#include "sorvex/M4x4.h"

#include <cstring>
#include <utility>

namespace Sorvex {

bool M4x4::inv() {
    // Gauss-Jordan elimination with full pivoting on a[i][j] = m_m[4i + j]. Since the
    // inverse of the transpose is the transpose of the inverse, working on the storage
    // blocks as rows gives the inverse of the matrix itself.
    auto a = [this](int i, int j) -> double& { return m_m[4 * i + j]; };
    double original[16];
    std::memcpy(original, m_m, sizeof m_m);
    int rowOfStep[4];
    int colOfStep[4];
    bool used[4] = {false, false, false, false};
    double pivotProduct = 1;

    for (int step = 0; step < 4; ++step) {
        // Largest remaining element; ties keep the first one found, scanning block by block.
        int pivotRow = -1;
        int pivotCol = -1;
        double largest = -1;
        for (int i = 0; i < 4; ++i) {
            if (used[i]) {
                continue;
            }
            for (int j = 0; j < 4; ++j) {
                if (!used[j] && std::fabs(a(i, j)) > largest) {
                    largest = std::fabs(a(i, j));
                    pivotRow = i;
                    pivotCol = j;
                }
            }
        }
        const double pivot = pivotRow < 0 ? std::nan("") : a(pivotRow, pivotCol);
        pivotProduct *= pivot;
        // The bound is absolute. A non-finite pivot would turn the result into NaNs that
        // look like a successful inversion, so it fails too.
        if (!std::isfinite(pivot) || !(std::fabs(pivotProduct) >= 1e-7)) {
            std::memcpy(m_m, original, sizeof m_m);
            return false;
        }
        used[pivotCol] = true;
        if (pivotRow != pivotCol) {
            for (int j = 0; j < 4; ++j) {
                std::swap(a(pivotRow, j), a(pivotCol, j));
            }
        }
        rowOfStep[step] = pivotRow;
        colOfStep[step] = pivotCol;

        const double inverse = 1 / pivot;
        a(pivotCol, pivotCol) = 1;
        for (int j = 0; j < 4; ++j) {
            a(pivotCol, j) *= inverse;
        }
        for (int i = 0; i < 4; ++i) {
            if (i == pivotCol) {
                continue;
            }
            const double factor = a(i, pivotCol);
            a(i, pivotCol) = 0;
            for (int j = 0; j < 4; ++j) {
                a(i, j) -= a(pivotCol, j) * factor;
            }
        }
    }
    for (int step = 3; step >= 0; --step) {
        if (rowOfStep[step] != colOfStep[step]) {
            for (int i = 0; i < 4; ++i) {
                std::swap(a(i, rowOfStep[step]), a(i, colOfStep[step]));
            }
        }
    }
    return true;
}

void M4x4::reorthogonalize(int count) {
    // Binomial series of (1 + x)^(-1/2): S = (R^T R)^(-1/2) makes R * S orthogonal.
    static constexpr double coefficients[10] = {
        1,           -1.0 / 2,     3.0 / 8,       -5.0 / 16,      35.0 / 128,
        -63.0 / 256, 231.0 / 1024, -429.0 / 2048, 6435.0 / 32768, -12155.0 / 65536};
    const int terms = count < 10 ? count : 10;
    if (terms <= 1) {
        return;
    }
    M4x4 transposed = *this;
    transposed.transpose();
    M4x4 x = transposed * *this;
    M4x4 identityMatrix;
    x -= identityMatrix;

    M4x4 sum;
    M4x4 power;
    for (int i = 1; i < terms; ++i) {
        power *= x;
        sum += power * coefficients[i];
    }
    *this *= sum;
}

} // namespace Sorvex
