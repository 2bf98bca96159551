#pragma once

#include <cmath>

namespace Sorvex {

class M3d;

/// Two-component double vector (x, y). Plain value: copying is a byte copy.
class M2d {
public:
    M2d() = default;
    M2d(double x, double y) : m_v{x, y} {}
    /// Homogeneous 2D point to Cartesian: (x/z, y/z), or (0, 0) when abs(z) < 1e-10.
    M2d(const M3d& v);

    void set(double x, double y) {
        m_v[0] = x;
        m_v[1] = y;
    }
    void zero() { set(0, 0); }
    void copy(const M2d& v) { *this = v; }

    double& operator[](int i) { return m_v[i]; }
    double operator[](int i) const { return m_v[i]; }
    double get(int i) const { return m_v[i]; }
    double& x() { return m_v[0]; }
    double& y() { return m_v[1]; }
    double x() const { return m_v[0]; }
    double y() const { return m_v[1]; }
    operator double*() { return m_v; }
    operator const double*() const { return m_v; }

    M2d operator+(const M2d& v) const { return {m_v[0] + v.m_v[0], m_v[1] + v.m_v[1]}; }
    M2d operator-(const M2d& v) const { return {m_v[0] - v.m_v[0], m_v[1] - v.m_v[1]}; }
    M2d& operator+=(const M2d& v) { return *this = *this + v; }
    M2d& operator-=(const M2d& v) { return *this = *this - v; }
    M2d operator+() const { return *this; }
    M2d operator-() const { return {-m_v[0], -m_v[1]}; }
    M2d operator*(double s) const { return {m_v[0] * s, m_v[1] * s}; }
    M2d& operator*=(double s) { return *this = *this * s; }
    M2d& scalar(double s) { return *this *= s; }
    M2d& neg() { return *this = -*this; }
    M2d& abs() {
        set(std::fabs(m_v[0]), std::fabs(m_v[1]));
        return *this;
    }

    void add(const M2d& a, const M2d& b) { *this = a + b; }
    void sub(const M2d& a, const M2d& b) { *this = a - b; }
    void lerp(const M2d& a, const M2d& b, double t) {
        set(a.m_v[0] + (b.m_v[0] - a.m_v[0]) * t, a.m_v[1] + (b.m_v[1] - a.m_v[1]) * t);
    }
    /// Cubic Hermite blend of start point, start tangent, end tangent, end point at s.
    void cubic(const M2d& p0, const M2d& t0, const M2d& t1, const M2d& p1, double s);

    double dot(const M2d& v) const { return m_v[0] * v.m_v[0] + m_v[1] * v.m_v[1]; }
    double operator*(const M2d& v) const { return dot(v); }
    double squared() const { return dot(*this); }
    double length() const { return std::sqrt(squared()); }
    /// Becomes the unit vector; a vector shorter than 1e-10 becomes (0, 0).
    M2d& normalize();

    /// True when every component differs from v's by strictly less than eps.
    bool cmp(const M2d& v, double eps) const {
        return std::fabs(m_v[0] - v.m_v[0]) < eps && std::fabs(m_v[1] - v.m_v[1]) < eps;
    }
    bool operator==(const M2d& v) const { return cmp(v, 1e-10); }
    bool operator!=(const M2d& v) const { return !cmp(v, 1e-10); }

    /// Unlike M3d/M4d, these update the argument: v = min(v, this). Pass the running bound.
    void min(M2d& v) const;
    /// v = max(v, this), component-wise.
    void max(M2d& v) const;

private:
    double m_v[2] = {0, 0};
};

} // namespace Sorvex
