#include "sorvex/MRot.h"

#include <algorithm>

namespace Sorvex {

void MRot::set(const MQuat& q) {
    // Products of unit quaternions can land a rounding step outside [-1, 1]; acos would
    // then give NaN for what is a rotation by (nearly) 0 or 2*pi.
    const double h = std::acos(std::clamp(q.w(), -1.0, 1.0));
    m_angle = -2 * h;
    const double s = std::sin(h);
    if (std::fabs(s) > 1e-10) {
        m_axis.set(q.x() / s, q.y() / s, q.z() / s);
    }
}

} // namespace Sorvex
