#include "sorvex/M4d.h"

#include "sorvex/M3d.h"

#include <algorithm>

namespace Sorvex {

M4d::M4d(const M3d& v) : m_v{v.x(), v.y(), v.z(), 1} {}

void M4d::cubic(const M4d& p0, const M4d& t0, const M4d& t1, const M4d& p1, double s) {
    const double s2 = s * s;
    const double s3 = s2 * s;
    *this = p0 * (2 * s3 - 3 * s2 + 1) + t0 * (s3 - 2 * s2 + s) + t1 * (s3 - s2) +
            p1 * (3 * s2 - 2 * s3);
}

M4d& M4d::normalize() {
    const double len = length();
    if (len < 1e-10) {
        // The weight survives: a degenerate direction keeps its homogeneous scale.
        m_v[0] = m_v[1] = m_v[2] = 0;
    } else {
        set(m_v[0] / len, m_v[1] / len, m_v[2] / len, m_v[3] / len);
    }
    return *this;
}

M4d& M4d::rationalize() {
    if (std::fabs(m_v[3]) < 1e-10) {
        zero();
    } else {
        set(m_v[0] / m_v[3], m_v[1] / m_v[3], m_v[2] / m_v[3], 1);
    }
    return *this;
}

M3d M4d::cartesianized() const {
    return M3d(*this);
}

void M4d::min(const M4d& v) {
    set(std::min(m_v[0], v.m_v[0]), std::min(m_v[1], v.m_v[1]), std::min(m_v[2], v.m_v[2]),
        std::min(m_v[3], v.m_v[3]));
}

void M4d::max(const M4d& v) {
    set(std::max(m_v[0], v.m_v[0]), std::max(m_v[1], v.m_v[1]), std::max(m_v[2], v.m_v[2]),
        std::max(m_v[3], v.m_v[3]));
}

} // namespace Sorvex
