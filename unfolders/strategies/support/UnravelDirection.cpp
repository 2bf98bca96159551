#include "unfolders/strategies/support/UnravelDirection.h"

#include <cmath>

#include "scene/mesh/Poly.h"

using Sorvex::M3d;

M3d UnravelDirection(const Poly& face) {
    const M3d& n = face.getNormal();
    M3d r(0, -1, 0);
    // The threshold is the single-precision 0.95, a hair below the double one.
    if (std::fabs(n.dot(r)) >= double(0.95f))
        r = M3d(0, 0, 1);
    M3d twist;
    twist.cross(r, n);
    return (twist + r * 5.0).normalized();
}

double UnravelPreference(const Poly& from, const Poly& next, const M3d& d) {
    return (next.getCenter() - from.getCenter()).normalized().dot(d);
}
