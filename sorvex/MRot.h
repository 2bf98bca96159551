#pragma once

#include "sorvex/M3d.h"
#include "sorvex/MQuat.h"

#include <cmath>

namespace Sorvex {

/// Axis-angle rotation: axis (x, y, z) then angle, the same layout as M4d.
/// The angle follows the MQuat convention (see MQuat).
class MRot {
public:
    MRot() = default;
    MRot(const M3d& axis, double angle) : m_axis(axis), m_angle(angle) {}
    /// Axis starts at (0, 0, 0), then set(q).
    explicit MRot(const MQuat& q) { set(q); }

    void set(const M3d& axis, double angle) {
        m_axis = axis;
        m_angle = angle;
    }
    void set(double x, double y, double z, double angle) {
        m_axis.set(x, y, z);
        m_angle = angle;
    }
    /// Inverse of MQuat(axis, angle); keeps the previous axis when sin(acos(w)) is ~0.
    void set(const MQuat& q);
    void copy(const MRot& r) { *this = r; }

    M3d& axis() { return m_axis; }
    const M3d& axis() const { return m_axis; }
    double& angle() { return m_angle; }
    double angle() const { return m_angle; }

    MQuat quat() const { return MQuat(m_axis, m_angle); }

    bool cmp(const MRot& r, double eps) const {
        return m_axis.cmp(r.m_axis, eps) && std::fabs(m_angle - r.m_angle) < eps;
    }
    bool operator==(const MRot& r) const { return cmp(r, 1e-10); }
    bool operator!=(const MRot& r) const { return !cmp(r, 1e-10); }

private:
    M3d m_axis;
    double m_angle = 0;
};

} // namespace Sorvex
