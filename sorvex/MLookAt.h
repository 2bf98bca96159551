#pragma once

#include "sorvex/M3Frame.h"

#include <cmath>

namespace Sorvex {

/// Orbiting camera frame: an M3Frame plus the distance to the point looked at.
class MLookAt : public M3Frame {
public:
    MLookAt() = default;
    MLookAt(const MLookAt&) = default;
    MLookAt& operator=(const MLookAt&) = default;
    /// Takes the frame's position and axes; the distance is kept.
    MLookAt& operator=(const M3Frame& f) {
        M3Frame::operator=(f);
        return *this;
    }
    void copy(const MLookAt& l) { *this = l; }

    void setDist(double d) { m_dist = d; }
    double getDist() const { return m_dist; }
    /// position + direction * distance.
    M3d getTgt() const { return m_pos + m_dir * m_dist; }
    /// Moves along the direction; the distance is not changed.
    void dolly(double d) { m_pos += m_dir * d; }
    /// Orbiting is not used by this system's views: both leave the frame unchanged.
    void azimuth(double) {}
    void elevation(double) {}

    bool cmp(const MLookAt& l, double eps) const {
        return M3Frame::cmp(l, eps) && std::fabs(m_dist - l.m_dist) < eps;
    }
    bool operator==(const MLookAt& l) const { return cmp(l, 1e-10); }
    bool operator!=(const MLookAt& l) const { return !cmp(l, 1e-10); }

private:
    double m_dist = 1;
};

} // namespace Sorvex
