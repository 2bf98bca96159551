#include "sorvex/M3d.h"

#include "sorvex/M2d.h"
#include "sorvex/M4d.h"

#include <algorithm>

namespace Sorvex {

M3d::M3d(const M2d& v) : m_v{v.x(), v.y(), 1} {}

M3d::M3d(const M4d& v) {
    if (std::fabs(v.w()) >= 1e-10) {
        set(v.x() / v.w(), v.y() / v.w(), v.z() / v.w());
    }
}

M3d::M3d(const char* text) {
    fromText(text);
}

void M3d::cubic(const M3d& p0, const M3d& t0, const M3d& t1, const M3d& p1, double s) {
    const double s2 = s * s;
    const double s3 = s2 * s;
    *this = p0 * (2 * s3 - 3 * s2 + 1) + t0 * (s3 - 2 * s2 + s) + t1 * (s3 - s2) +
            p1 * (3 * s2 - 2 * s3);
}

void M3d::normal(const M3d& a, const M3d& b, const M3d& c) {
    cross(c - b, a - b);
    normalize();
}

M3d& M3d::normalize() {
    const double len = length();
    if (len < 1e-10) {
        zero();
    } else {
        set(m_v[0] / len, m_v[1] / len, m_v[2] / len);
    }
    return *this;
}

bool M3d::colinear(const M3d& a, const M3d& b) const {
    // About 0.8 degrees either way: cos(0.81 deg) = 0.9999.
    const double c = (*this - b).normalized().dot((a - *this).normalized());
    return c >= 0.9999 || c <= -0.9999;
}

M3d& M3d::rationalize() {
    if (std::fabs(m_v[2]) < 1e-10) {
        zero();
    } else {
        set(m_v[0] / m_v[2], m_v[1] / m_v[2], 1);
    }
    return *this;
}

M2d M3d::cartesianized() const {
    return M2d(*this);
}

void M3d::min(const M3d& v) {
    set(std::min(m_v[0], v.m_v[0]), std::min(m_v[1], v.m_v[1]), std::min(m_v[2], v.m_v[2]));
}

void M3d::max(const M3d& v) {
    set(std::max(m_v[0], v.m_v[0]), std::max(m_v[1], v.m_v[1]), std::max(m_v[2], v.m_v[2]));
}

} // namespace Sorvex
