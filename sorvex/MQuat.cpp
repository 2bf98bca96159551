#include "sorvex/MQuat.h"

#include "sorvex/M4x4.h"

#include <algorithm>

namespace Sorvex {

namespace {

M3d vectorPart(const MQuat& q) {
    return {q.x(), q.y(), q.z()};
}

MQuat weightedSum(const MQuat& a, double wa, const MQuat& b, double wb) {
    return {a.x() * wa + b.x() * wb, a.y() * wa + b.y() * wb, a.z() * wa + b.z() * wb,
            a.w() * wa + b.w() * wb};
}

/// Lifts a screen point onto the trackball: a sphere near the centre, a hyperbolic sheet
/// further out, so that dragging past the rim keeps rotating smoothly.
M3d liftOntoTrackball(const M2d& p) {
    const double r = 0.8;
    const double d = std::sqrt(p.x() * p.x() + p.y() * p.y());
    double height;
    if (d < r * 0.7071067811865476) {
        height = std::sqrt(r * r - d * d);
    } else {
        const double t = r / 1.4142135623730951;
        height = t * t / d;
    }
    // Screen x to x, screen y to z; the height runs along the viewing direction +y.
    return {p.x(), height, p.y()};
}

} // namespace

void MQuat::set(const M3d& axis, double angle) {
    const double len = axis.length();
    if (len < 1e-10) {
        identity();
        return;
    }
    const double h = -angle / 2;
    const double s = std::sin(h);
    set(axis.x() * s / len, axis.y() * s / len, axis.z() * s / len, std::cos(h));
}

void MQuat::set(const M4x4& mat) {
    auto m = [&mat](int i, int j) { return mat.get(i, j); };
    const double trace = m(0, 0) + m(1, 1) + m(2, 2);
    if (trace > 0) {
        const double s = std::sqrt(trace + 1);
        const double r = 0.5 / s;
        set(r * (m(1, 2) - m(2, 1)), r * (m(2, 0) - m(0, 2)), r * (m(0, 1) - m(1, 0)), s / 2);
        return;
    }
    static constexpr int next[3] = {1, 2, 0};
    int i = m(0, 0) < m(1, 1) ? 1 : 0;
    if (m(2, 2) > m(i, i)) {
        i = 2;
    }
    const int j = next[i];
    const int k = next[j];
    const double s = std::sqrt(m(i, i) - (m(j, j) + m(k, k)) + 1);
    if (std::fabs(s) < 1e-10) {
        identity();
        return;
    }
    const double r = 0.5 / s;
    m_v[i] = s / 2;
    m_v[3] = r * (m(j, k) - m(k, j));
    m_v[j] = r * (m(i, j) + m(j, i));
    m_v[k] = r * (m(i, k) + m(k, i));
}

MQuat MQuat::operator*(const MQuat& q) const {
    const M3d a = vectorPart(*this);
    const M3d b = vectorPart(q);
    M3d c;
    c.cross(a, b);
    const M3d v = b * w() + a * q.w() + c;
    return {v.x(), v.y(), v.z(), w() * q.w() - a.dot(b)};
}

MQuat& MQuat::normalize() {
    const double len = length();
    if (len < 1e-10) {
        identity();
    } else {
        set(m_v[0] / len, m_v[1] / len, m_v[2] / len, m_v[3] / len);
    }
    return *this;
}

MQuat& MQuat::inv() {
    const double len = length();
    if (len < 1e-10) {
        identity();
    } else {
        set(-m_v[0] / len, -m_v[1] / len, -m_v[2] / len, m_v[3] / len);
    }
    return *this;
}

MQuat& MQuat::ln() {
    const double v = vectorPart(*this).length();
    if (v < 1e-10) {
        zero();
        return *this;
    }
    const double a = std::atan2(v, m_v[3]);
    set(m_v[0] * a / v, m_v[1] * a / v, m_v[2] * a / v, 0);
    return *this;
}

MQuat& MQuat::exp() {
    const double a = vectorPart(*this).length();
    const double s = a < 1e-10 ? 1 : std::sin(a) / a;
    set(m_v[0] * s, m_v[1] * s, m_v[2] * s, std::cos(a));
    return *this;
}

void MQuat::lnDif(const MQuat& a, const MQuat& b) {
    MQuat inverse = a;
    inverse.inv();
    *this = inverse * b;
    ln();
}

void MQuat::slerp(const MQuat& a, const MQuat& b, double t) {
    double c = a.dot(b);
    if (c + 1 > 1e-10) {
        if (std::fabs(c) > 1) {
            c = c / std::fabs(c);
        }
        const double theta = std::acos(c);
        const double sinTheta = std::sin(theta);
        double wa = 1 - t;
        double wb = t;
        if (std::fabs(sinTheta) > 1e-10) {
            wa = std::sin((1 - t) * theta) / sinTheta;
            wb = std::sin(t * theta) / sinTheta;
        }
        *this = weightedSum(a, wa, b, wb);
    } else {
        // Opposite keys: pass through a quaternion perpendicular to a.
        const MQuat p(-a.y(), a.x(), -a.w(), a.z());
        const double h = std::sin((1 - t) * 1.5707963267948966);
        const double l = std::sin(t * 1.5707963267948966);
        *this = weightedSum(a, h, p, l);
    }
}

void MQuat::squad(const MQuat& p, const MQuat& a, const MQuat& b, const MQuat& q, double t) {
    MQuat outer;
    outer.slerp(p, q, t);
    MQuat inner;
    inner.slerp(a, b, t);
    slerp(outer, inner, 2 * t * (1 - t));
}

void MQuat::tangent(const MQuat& prev, const MQuat& cur, const MQuat& next) {
    MQuat toNext;
    toNext.lnDif(cur, next);
    MQuat toPrev;
    toPrev.lnDif(cur, prev);
    MQuat sum = weightedSum(toNext, -0.25, toPrev, -0.25);
    *this = cur * sum.exp();
}

void MQuat::trackball(const M2d& p1, M2d p2) {
    if (std::fabs(p1.x() - p2.x()) < 1e-10 && std::fabs(p1.y() - p2.y()) < 1e-10) {
        identity();
        return;
    }
    const M3d lifted1 = liftOntoTrackball(p1);
    const M3d lifted2 = liftOntoTrackball(p2);
    M3d axis;
    axis.cross(lifted2, lifted1);
    const double t = std::clamp((lifted1 - lifted2).length() / 1.6, -1.0, 1.0);
    set(axis, 2 * std::asin(t));
}

} // namespace Sorvex
