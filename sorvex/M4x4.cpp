// Construction, access and arithmetic of M4x4.
#include "sorvex/M4x4.h"

#include <cstring>

namespace Sorvex {

namespace {

/// Determinant of the 3x3 minor of m (math element (r, c) at 4c + r) without row `row`
/// and column `col`.
double minorDet(const double* m, int row, int col) {
    int rows[3];
    int cols[3];
    for (int i = 0, r = 0, c = 0; i < 4; ++i) {
        if (i != row) {
            rows[r++] = i;
        }
        if (i != col) {
            cols[c++] = i;
        }
    }
    auto e = [m, &rows, &cols](int r, int c) { return m[4 * cols[c] + rows[r]]; };
    return e(0, 0) * (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) -
           e(0, 1) * (e(1, 0) * e(2, 2) - e(1, 2) * e(2, 0)) +
           e(0, 2) * (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0));
}

double cofactor(const double* m, int row, int col) {
    const double minor = minorDet(m, row, col);
    return (row + col) % 2 == 0 ? minor : -minor;
}

} // namespace

M4x4::M4x4(const double* v16) {
    std::memcpy(m_m, v16, sizeof m_m);
}

M4x4 M4x4::Translation(const M3d& v) {
    M4x4 m;
    m.loadTranslate(v);
    return m;
}

M4x4 M4x4::Rotation(const M3d& axis, double angle) {
    M4x4 m;
    m.loadRotate(axis, angle);
    return m;
}

void M4x4::setRow(int i, const M3d& v) {
    m_m[i] = v.x();
    m_m[4 + i] = v.y();
    m_m[8 + i] = v.z();
    m_m[12 + i] = i < 3 ? 0 : 1;
}

void M4x4::setCol(int i, const M3d& v) {
    m_m[4 * i] = v.x();
    m_m[4 * i + 1] = v.y();
    m_m[4 * i + 2] = v.z();
    m_m[4 * i + 3] = i < 3 ? 0 : 1;
}

void M4x4::setRow(int i, const M4d& v) {
    for (int c = 0; c < 4; ++c) {
        m_m[4 * c + i] = v[c];
    }
}

void M4x4::setCol(int i, const M4d& v) {
    for (int r = 0; r < 4; ++r) {
        m_m[4 * i + r] = v[r];
    }
}

M3d M4x4::getRow(int i) const {
    return {m_m[i], m_m[4 + i], m_m[8 + i]};
}

M3d M4x4::getCol(int i) const {
    return {m_m[4 * i], m_m[4 * i + 1], m_m[4 * i + 2]};
}

void M4x4::mul(const M4x4& a, const M4x4& b) {
    // Element (r, c) is a(r, 0) b(0, c) + a(r, 1) b(1, c) + a(r, 2) b(2, c) + a(r, 3) b(3, c),
    // summed in that order. Worked two rows at a time: a column of the product is the
    // columns of a weighted by the column of b, and each element still gets the same
    // products summed in the same order, so the bits are those of one row at a time.
    using Pair = double __attribute__((vector_size(16)));
    Pair column[4][2];
    std::memcpy(column, a.m_m, sizeof column);
    Pair product[4][2];
    for (int c = 0; c < 4; ++c) {
        const double* w = b.m_m + 4 * c;
        for (int h = 0; h < 2; ++h)
            product[c][h] = column[0][h] * w[0] + column[1][h] * w[1] + column[2][h] * w[2] +
                            column[3][h] * w[3];
    }
    std::memcpy(m_m, product, sizeof m_m);
}

M4x4 M4x4::operator*(const M4x4& m) const {
    M4x4 result;
    result.mul(*this, m);
    return result;
}

M4x4& M4x4::operator*=(const M4x4& m) {
    mul(*this, m);
    return *this;
}

M4x4& M4x4::operator+=(const M4x4& m) {
    for (int i = 0; i < 16; ++i) {
        m_m[i] += m.m_m[i];
    }
    return *this;
}

M4x4& M4x4::operator-=(const M4x4& m) {
    for (int i = 0; i < 16; ++i) {
        m_m[i] -= m.m_m[i];
    }
    return *this;
}

void M4x4::add(const M4x4& a, const M4x4& b) {
    *this = a + b;
}

void M4x4::sub(const M4x4& a, const M4x4& b) {
    *this = a - b;
}

M4x4 M4x4::operator+(const M4x4& m) const {
    M4x4 result = *this;
    return result += m;
}

M4x4 M4x4::operator-(const M4x4& m) const {
    M4x4 result = *this;
    return result -= m;
}

M4x4 M4x4::operator-() const {
    M4x4 result = *this;
    return result.neg();
}

M4x4 M4x4::operator*(double s) const {
    M4x4 result = *this;
    return result *= s;
}

M4x4& M4x4::operator*=(double s) {
    for (double& e : m_m) {
        e *= s;
    }
    return *this;
}

M4x4& M4x4::neg() {
    for (double& e : m_m) {
        e = -e;
    }
    return *this;
}

M4x4& M4x4::abs() {
    for (double& e : m_m) {
        e = std::fabs(e);
    }
    return *this;
}

void M4x4::transpose() {
    for (int c = 0; c < 4; ++c) {
        for (int r = c + 1; r < 4; ++r) {
            std::swap(m_m[4 * c + r], m_m[4 * r + c]);
        }
    }
}

double M4x4::det() const {
    double sum = 0;
    for (int c = 0; c < 4; ++c) {
        sum += m_m[4 * c] * cofactor(m_m, 0, c);
    }
    return sum;
}

void M4x4::adjoint() {
    double adjugate[16];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            // Element (r, c) of the adjugate is the cofactor of (c, r).
            adjugate[4 * c + r] = cofactor(m_m, c, r);
        }
    }
    std::memcpy(m_m, adjugate, sizeof m_m);
}

void M4x4::transform(M3d& v) const {
    const double x = v.x();
    const double y = v.y();
    const double z = v.z();
    v.set(m_m[0] * x + m_m[4] * y + m_m[8] * z + m_m[12],
          m_m[1] * x + m_m[5] * y + m_m[9] * z + m_m[13],
          m_m[2] * x + m_m[6] * y + m_m[10] * z + m_m[14]);
}

M3d M4x4::operator*(const M3d& v) const {
    M3d result = v;
    transform(result);
    return result;
}

void M4x4::transform(M4d& v) const {
    const M4d p = v;
    for (int r = 0; r < 4; ++r) {
        v[r] = m_m[r] * p[0] + m_m[4 + r] * p[1] + m_m[8 + r] * p[2] + m_m[12 + r] * p[3];
    }
}

M4d M4x4::operator*(const M4d& v) const {
    M4d result = v;
    transform(result);
    return result;
}

bool M4x4::cmp(const M4x4& m, double eps) const {
    for (int i = 0; i < 16; ++i) {
        if (!(std::fabs(m_m[i] - m.m_m[i]) <= eps)) {
            return false;
        }
    }
    return true;
}

} // namespace Sorvex
