#pragma once

#include "sorvex/M2d.h"
#include "sorvex/M3d.h"

#include <cmath>

namespace Sorvex {

class M4x4;

/// Rotation quaternion (x, y, z vector part, w scalar part).
///
/// Sign convention: MQuat(axis, angle) uses the half angle -angle/2, so a positive angle
/// is the rotation by -angle in the right-handed reading. M4x4::loadRotate(axis, angle)
/// builds its matrix from this quaternion, so the whole library shares the convention.
class MQuat {
public:
    MQuat() = default;
    MQuat(double x, double y, double z, double w) : m_v{x, y, z, w} {}
    explicit MQuat(const double* v) : m_v{v[0], v[1], v[2], v[3]} {}
    explicit MQuat(const float* v) : m_v{v[0], v[1], v[2], v[3]} {}
    MQuat(const M3d& axis, double angle) { set(axis, angle); }
    explicit MQuat(const M4x4& m) { set(m); }

    void set(double x, double y, double z, double w) {
        m_v[0] = x;
        m_v[1] = y;
        m_v[2] = z;
        m_v[3] = w;
    }
    /// Identity when the axis is shorter than 1e-10.
    void set(const M3d& axis, double angle);
    /// Rotation matrix (upper 3x3 block) to quaternion.
    void set(const M4x4& m);
    void identity() { set(0, 0, 0, 1); }
    /// All four 0: not the identity.
    void zero() { set(0, 0, 0, 0); }
    void copy(const MQuat& q) { *this = q; }

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

    /// Hamilton product this * q.
    MQuat operator*(const MQuat& q) const;
    MQuat& operator*=(const MQuat& q) { return *this = *this * q; }
    /// this = a * b.
    void mul(const MQuat& a, const MQuat& b) { *this = a * b; }
    MQuat operator*(double s) const { return {m_v[0] * s, m_v[1] * s, m_v[2] * s, m_v[3] * s}; }
    MQuat& operator*=(double s) { return *this = *this * s; }
    MQuat& scalar(double s) { return *this *= s; }

    /// Conjugate: vector part negated.
    MQuat& cnj() {
        set(-m_v[0], -m_v[1], -m_v[2], m_v[3]);
        return *this;
    }
    MQuat& neg() {
        set(-m_v[0], -m_v[1], -m_v[2], -m_v[3]);
        return *this;
    }
    MQuat& abs() {
        set(std::fabs(m_v[0]), std::fabs(m_v[1]), std::fabs(m_v[2]), std::fabs(m_v[3]));
        return *this;
    }
    /// Divides by the length; below 1e-10 becomes the identity.
    MQuat& normalize();
    /// In place: the inverse of the normalised quaternion; identity below length 1e-10.
    MQuat& inv();
    /// In place: logarithm of a unit quaternion, (axis * half angle, 0).
    MQuat& ln();
    /// In place: exponential of (v, ignored w).
    MQuat& exp();
    /// this = ln(inv(a) * b).
    void lnDif(const MQuat& a, const MQuat& b);
    /// Spherical interpolation from a (t = 0) to b (t = 1); no flip to the shorter arc.
    void slerp(const MQuat& a, const MQuat& b, double t);
    /// Spherical quadrangle between end keys p, q with inner controls a, b.
    void squad(const MQuat& p, const MQuat& a, const MQuat& b, const MQuat& q, double t);
    /// Inner control quaternion of cur for squad.
    void tangent(const MQuat& prev, const MQuat& cur, const MQuat& next);
    /// Virtual-trackball rotation dragging screen point p1 to p2 (unit-scaled frame).
    void trackball(const M2d& p1, M2d p2);

    double dot(const MQuat& q) const {
        return m_v[0] * q.m_v[0] + m_v[1] * q.m_v[1] + m_v[2] * q.m_v[2] + m_v[3] * q.m_v[3];
    }
    double squared() const { return dot(*this); }
    double length() const { return std::sqrt(squared()); }
    bool cmp(const MQuat& q, double eps) const {
        return std::fabs(m_v[0] - q.m_v[0]) < eps && std::fabs(m_v[1] - q.m_v[1]) < eps &&
               std::fabs(m_v[2] - q.m_v[2]) < eps && std::fabs(m_v[3] - q.m_v[3]) < eps;
    }
    bool operator==(const MQuat& q) const { return cmp(q, 1e-10); }
    bool operator!=(const MQuat& q) const { return !cmp(q, 1e-10); }

private:
    double m_v[4] = {0, 0, 0, 1};
};

} // namespace Sorvex
