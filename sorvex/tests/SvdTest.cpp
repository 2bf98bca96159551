#include "sorvex/Svd.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using Sorvex::SingularValueDecomposition;
using Sorvex::SortSingularValues;
using Sorvex::SvdStatus;

namespace {

/// Checks A = U diag(w) V^T, V^T V = I, U^T U = I on the columns of non-zero w, w >= 0.
void checkDecomposition(const std::vector<double>& a, int m, int n) {
    std::vector<double> u = a, w, v;
    ASSERT_EQ(SvdStatus::Ok, SingularValueDecomposition(u, m, n, w, v));
    ASSERT_EQ(static_cast<std::size_t>(n), w.size());
    for (double value : w)
        EXPECT_GE(value, 0.0);
    for (int r = 0; r < m; ++r) {
        for (int c = 0; c < n; ++c) {
            double sum = 0.0;
            for (int k = 0; k < n; ++k)
                sum += u[r * n + k] * w[k] * v[c * n + k];
            EXPECT_NEAR(a[r * n + c], sum, 1e-10) << m << "x" << n << " at " << r << "," << c;
        }
    }
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            double vv = 0.0;
            for (int k = 0; k < n; ++k)
                vv += v[k * n + i] * v[k * n + j];
            EXPECT_NEAR(i == j ? 1.0 : 0.0, vv, 1e-10);
        }
    }
}

} // namespace

TEST(Svd, ReconstructsRandomMatricesOfEveryShape) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> u(-3, 3);
    const int shapes[][2] = {{1, 1}, {3, 3}, {7, 3}, {50, 4}, {2, 3}, {1, 3}, {5, 5}};
    for (const auto& shape : shapes) {
        const int m = shape[0], n = shape[1];
        std::vector<double> a(static_cast<std::size_t>(m) * n);
        for (double& x : a)
            x = u(rng);
        checkDecomposition(a, m, n);
    }
    // Rank-deficient: the third column is the sum of the first two.
    std::vector<double> a;
    for (int r = 0; r < 6; ++r) {
        const double x = u(rng), y = u(rng);
        a.insert(a.end(), {x, y, x + y});
    }
    checkDecomposition(a, 6, 3);
    // All zeros.
    checkDecomposition(std::vector<double>(12, 0.0), 4, 3);
}

TEST(Svd, SortsDecreasingAndMovesColumnsOfV) {
    // diag(1, 3, 2): singular values 1, 3, 2 with V the identity (up to signs).
    std::vector<double> a = {1, 0, 0, 0, 3, 0, 0, 0, 2};
    std::vector<double> w, v;
    ASSERT_EQ(SvdStatus::Ok, SingularValueDecomposition(a, 3, 3, w, v));
    SortSingularValues(w, v);
    EXPECT_NEAR(3.0, w[0], 1e-12);
    EXPECT_NEAR(2.0, w[1], 1e-12);
    EXPECT_NEAR(1.0, w[2], 1e-12);
    // Column 0 is now the y axis, column 2 the x axis.
    EXPECT_NEAR(1.0, std::fabs(v[1 * 3 + 0]), 1e-12);
    EXPECT_NEAR(1.0, std::fabs(v[2 * 3 + 1]), 1e-12);
    EXPECT_NEAR(1.0, std::fabs(v[0 * 3 + 2]), 1e-12);

    // Among equal values the later column comes first.
    std::vector<double> equal = {5, 5, 1};
    std::vector<double> ids = {0, 1, 2, 0, 1, 2, 0, 1, 2};
    SortSingularValues(equal, ids);
    EXPECT_EQ(std::vector<double>({1, 0, 2, 1, 0, 2, 1, 0, 2}), ids);
}
