#pragma once

#include <cmath>
#include <cstddef>
#include <string>

namespace Sorvex {

class M2d;
class M4d;

/// Three-component double vector: the point and direction type of the whole system.
/// Also serves as a homogeneous 2D point (x, y, weight z).
class M3d {
public:
    /// Bytes that always hold the text form, terminator included (huge values print
    /// with their full integer part).
    static constexpr std::size_t TextCapacity = 1024;

    M3d() = default;
    M3d(double x, double y, double z) : m_v{x, y, z} {}
    /// (x, y, 1).
    M3d(const M2d& v);
    /// Homogeneous 3D point to Cartesian: (x/w, y/w, z/w), or (0, 0, 0) when abs(w) < 1e-10.
    M3d(const M4d& v);
    /// Parses the text form; see fromText. Malformed text gives (0, 0, 0).
    explicit M3d(const char* text);

    void set(double x, double y, double z) {
        m_v[0] = x;
        m_v[1] = y;
        m_v[2] = z;
    }
    void zero() { set(0, 0, 0); }
    void copy(const M3d& v) { *this = v; }

    double& operator[](int i) { return m_v[i]; }
    double operator[](int i) const { return m_v[i]; }
    double get(int i) const { return m_v[i]; }
    double& x() { return m_v[0]; }
    double& y() { return m_v[1]; }
    double& z() { return m_v[2]; }
    double x() const { return m_v[0]; }
    double y() const { return m_v[1]; }
    double z() const { return m_v[2]; }
    operator double*() { return m_v; }
    operator const double*() const { return m_v; }

    M3d operator+(const M3d& v) const {
        return {m_v[0] + v.m_v[0], m_v[1] + v.m_v[1], m_v[2] + v.m_v[2]};
    }
    M3d operator-(const M3d& v) const {
        return {m_v[0] - v.m_v[0], m_v[1] - v.m_v[1], m_v[2] - v.m_v[2]};
    }
    M3d& operator+=(const M3d& v) { return *this = *this + v; }
    M3d& operator-=(const M3d& v) { return *this = *this - v; }
    M3d operator+() const { return *this; }
    M3d operator-() const { return {-m_v[0], -m_v[1], -m_v[2]}; }
    M3d operator*(double s) const { return {m_v[0] * s, m_v[1] * s, m_v[2] * s}; }
    M3d& operator*=(double s) { return *this = *this * s; }
    /// Divides without a zero guard.
    M3d operator/(double s) const { return {m_v[0] / s, m_v[1] / s, m_v[2] / s}; }
    M3d& operator/=(double s) { return *this = *this / s; }
    M3d& scalar(double s) { return *this *= s; }
    M3d& neg() { return *this = -*this; }
    M3d& abs() {
        set(std::fabs(m_v[0]), std::fabs(m_v[1]), std::fabs(m_v[2]));
        return *this;
    }
    /// Component-wise product.
    M3d operator&(const M3d& v) const {
        return {m_v[0] * v.m_v[0], m_v[1] * v.m_v[1], m_v[2] * v.m_v[2]};
    }

    void add(const M3d& a, const M3d& b) { *this = a + b; }
    void sub(const M3d& a, const M3d& b) { *this = a - b; }
    void lerp(const M3d& a, const M3d& b, double t) { *this = a + (b - a) * t; }
    /// Cubic Hermite blend of start point, start tangent, end tangent, end point at s.
    void cubic(const M3d& p0, const M3d& t0, const M3d& t1, const M3d& p1, double s);

    double dot(const M3d& v) const {
        return m_v[0] * v.m_v[0] + m_v[1] * v.m_v[1] + m_v[2] * v.m_v[2];
    }
    double operator*(const M3d& v) const { return dot(v); }
    double squared() const { return dot(*this); }
    double length() const { return std::sqrt(squared()); }
    /// this = a x b.
    void cross(const M3d& a, const M3d& b) {
        set(a.m_v[1] * b.m_v[2] - a.m_v[2] * b.m_v[1], a.m_v[2] * b.m_v[0] - a.m_v[0] * b.m_v[2],
            a.m_v[0] * b.m_v[1] - a.m_v[1] * b.m_v[0]);
    }
    /// Unit normal of triangle a, b, c: the side from which a, b, c run counter-clockwise.
    void normal(const M3d& a, const M3d& b, const M3d& c);
    /// Becomes the unit vector; a vector shorter than 1e-10 becomes (0, 0, 0).
    M3d& normalize();
    M3d normalized() const { return M3d(*this).normalize(); }
    /// True when this, a and b lie on one line within about 0.8 degrees.
    bool colinear(const M3d& a, const M3d& b) const;

    /// Homogeneous 2D point: divide x, y by z and set z = 1, or all 0 when abs(z) < 1e-10.
    M3d& rationalize();
    M3d& cartesianize() { return rationalize(); }
    M2d cartesianized() const;
    /// x and y multiplied by z.
    M3d& homogenize() {
        m_v[0] *= m_v[2];
        m_v[1] *= m_v[2];
        return *this;
    }

    bool cmp(const M3d& v, double eps) const {
        return std::fabs(m_v[0] - v.m_v[0]) < eps && std::fabs(m_v[1] - v.m_v[1]) < eps &&
               std::fabs(m_v[2] - v.m_v[2]) < eps;
    }
    bool operator==(const M3d& v) const { return cmp(v, 1e-10); }
    bool operator!=(const M3d& v) const { return !cmp(v, 1e-10); }
    /// this = min(this, v), component-wise.
    void min(const M3d& v);
    /// this = max(this, v), component-wise.
    void max(const M3d& v);

    /// Text ordering: compares the "%20.10f %20.10f %20.10f" forms as unsigned bytes.
    /// Vectors equal to 10 decimals are equivalent keys; this is not the numeric order.
    bool operator<(const M3d& v) const;

    /// Writes the text form "[bin]<48 hex digits>[/bin]%7.4f %7.4f %7.4f" into buf, which
    /// must hold TextCapacity bytes. Returns the length written (without terminator).
    std::size_t toText(char* buf) const;
    std::string toString() const;
    operator std::string() const { return toString(); }
    /// Reads the text form. A "[bin]" text (tag in any case) must carry 48 hex digits and
    /// restores the doubles bit-exactly; any other text is read as up to three decimals,
    /// missing ones 0. Returns false, leaving this unchanged, when the text is null, has
    /// a short or non-hex binary payload, or holds no number at all.
    bool fromText(const char* text);

private:
    double m_v[3] = {0, 0, 0};
};

} // namespace Sorvex
