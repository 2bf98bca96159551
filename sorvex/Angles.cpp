#include "sorvex/Angles.h"

namespace Sorvex {

double AngleCCW(const M3d& a, const M3d& b) {
    // The dot product is deliberately not clamped to [-1, 1].
    const double theta = std::acos(a.normalized().dot(b.normalized()));
    if (theta == 0) {
        return 0;
    }
    // n . a with n = (-b) x (0, 1, 0): negative when b lies clockwise of a.
    if (a.x() * b.z() - a.z() * b.x() < 0) {
        return 6.283185307179586 - theta;
    }
    return theta;
}

double AngleCW(const M3d& a, const M3d& b) {
    const double ccw = AngleCCW(a, b);
    return ccw == 0 ? 0 : 6.283185307179586 - ccw;
}

} // namespace Sorvex
