#include "sorvex/M2d.h"

#include "sorvex/M3d.h"

#include <algorithm>

namespace Sorvex {

M2d::M2d(const M3d& v) {
    if (std::fabs(v.z()) >= 1e-10) {
        set(v.x() / v.z(), v.y() / v.z());
    }
}

void M2d::cubic(const M2d& p0, const M2d& t0, const M2d& t1, const M2d& p1, double s) {
    const double s2 = s * s;
    const double s3 = s2 * s;
    *this = p0 * (2 * s3 - 3 * s2 + 1) + t0 * (s3 - 2 * s2 + s) + t1 * (s3 - s2) +
            p1 * (3 * s2 - 2 * s3);
}

M2d& M2d::normalize() {
    const double len = length();
    if (len < 1e-10) {
        zero();
    } else {
        set(m_v[0] / len, m_v[1] / len);
    }
    return *this;
}

void M2d::min(M2d& v) const {
    v.set(std::min(v.m_v[0], m_v[0]), std::min(v.m_v[1], m_v[1]));
}

void M2d::max(M2d& v) const {
    v.set(std::max(v.m_v[0], m_v[0]), std::max(v.m_v[1], m_v[1]));
}

} // namespace Sorvex
