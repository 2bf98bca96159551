#include "sorvex/MRay.h"

namespace Sorvex {

bool MRay::intersects(const MRay& ray) const {
    const M3d& p = m_pos;
    const M3d& q = ray.m_pos;
    M3d d12, d21;
    d12.cross(m_dir, ray.m_dir);
    d21.cross(ray.m_dir, m_dir);
    const double g = d12.squared();
    if (g == 0.0)
        return false; // both parameters are -1
    M3d sNum, tNum;
    sNum.cross(q - p, ray.m_dir);
    tNum.cross(p - q, m_dir);
    const double s = sNum.dot(d12) / g;
    const double t = tNum.dot(d21) / g;
    return s >= 0.0 && t >= 0.0;
}

} // namespace Sorvex
