#pragma once

#include <cmath>

namespace Sorvex {

class M3d;

/// Four-component double vector (x, y, z, w). Also a homogeneous 3D point with weight w.
class M4d {
public:
    M4d() = default;
    M4d(double x, double y, double z, double w) : m_v{x, y, z, w} {}
    /// (x, y, z, 1).
    M4d(const M3d& v);

    void set(double x, double y, double z, double w) {
        m_v[0] = x;
        m_v[1] = y;
        m_v[2] = z;
        m_v[3] = w;
    }
    void zero() { set(0, 0, 0, 0); }
    void copy(const M4d& v) { *this = v; }

    double& operator[](int i) { return m_v[i]; }
    double operator[](int i) const { return m_v[i]; }
    double get(int i) const { return m_v[i]; }
    double& x() { return m_v[0]; }
    double& y() { return m_v[1]; }
    double& z() { return m_v[2]; }
    double& w() { return m_v[3]; }
    double x() const { return m_v[0]; }
    double y() const { return m_v[1]; }
    double z() const { return m_v[2]; }
    double w() const { return m_v[3]; }
    operator double*() { return m_v; }
    operator const double*() const { return m_v; }

    M4d operator+(const M4d& v) const {
        return {m_v[0] + v.m_v[0], m_v[1] + v.m_v[1], m_v[2] + v.m_v[2], m_v[3] + v.m_v[3]};
    }
    M4d operator-(const M4d& v) const {
        return {m_v[0] - v.m_v[0], m_v[1] - v.m_v[1], m_v[2] - v.m_v[2], m_v[3] - v.m_v[3]};
    }
    M4d& operator+=(const M4d& v) { return *this = *this + v; }
    M4d& operator-=(const M4d& v) { return *this = *this - v; }
    M4d operator+() const { return *this; }
    M4d operator-() const { return {-m_v[0], -m_v[1], -m_v[2], -m_v[3]}; }
    M4d operator*(double s) const { return {m_v[0] * s, m_v[1] * s, m_v[2] * s, m_v[3] * s}; }
    M4d& operator*=(double s) { return *this = *this * s; }
    M4d& scalar(double s) { return *this *= s; }
    M4d& neg() { return *this = -*this; }
    M4d& abs() {
        set(std::fabs(m_v[0]), std::fabs(m_v[1]), std::fabs(m_v[2]), std::fabs(m_v[3]));
        return *this;
    }

    void add(const M4d& a, const M4d& b) { *this = a + b; }
    void sub(const M4d& a, const M4d& b) { *this = a - b; }
    void lerp(const M4d& a, const M4d& b, double t) { *this = a + (b - a) * t; }
    /// Cubic Hermite blend of start point, start tangent, end tangent, end point at s.
    void cubic(const M4d& p0, const M4d& t0, const M4d& t1, const M4d& p1, double s);

    double dot(const M4d& v) const {
        return m_v[0] * v.m_v[0] + m_v[1] * v.m_v[1] + m_v[2] * v.m_v[2] + m_v[3] * v.m_v[3];
    }
    double operator*(const M4d& v) const { return dot(v); }
    double squared() const { return dot(*this); }
    double length() const { return std::sqrt(squared()); }
    /// Divides all four by the length; below 1e-10 x, y, z become 0 and w is kept.
    M4d& normalize();

    /// Homogeneous point: divide x, y, z by w and set w = 1, or all 0 when abs(w) < 1e-10.
    M4d& rationalize();
    M4d& cartesianize() { return rationalize(); }
    M3d cartesianized() const;
    /// x, y and z multiplied by w.
    M4d& homogenize() {
        m_v[0] *= m_v[3];
        m_v[1] *= m_v[3];
        m_v[2] *= m_v[3];
        return *this;
    }

    bool cmp(const M4d& v, double eps) const {
        return std::fabs(m_v[0] - v.m_v[0]) < eps && std::fabs(m_v[1] - v.m_v[1]) < eps &&
               std::fabs(m_v[2] - v.m_v[2]) < eps && std::fabs(m_v[3] - v.m_v[3]) < eps;
    }
    bool operator==(const M4d& v) const { return cmp(v, 1e-10); }
    bool operator!=(const M4d& v) const { return !cmp(v, 1e-10); }
    /// this = min(this, v), component-wise.
    void min(const M4d& v);
    /// this = max(this, v), component-wise.
    void max(const M4d& v);

private:
    double m_v[4] = {0, 0, 0, 0};
};

} // namespace Sorvex
