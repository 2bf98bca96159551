#include "sorvex/MLine.h"

namespace Sorvex {

double MLine::Intersect(const M3d& a1, const M3d& a2, const M3d& b1, const M3d& b2) {
    const M3d e = a2 - a1;
    const M3d f = b2 - b1;
    M3d ef, fe;
    ef.cross(e, f);
    fe.cross(f, e);
    const double g = ef.squared();
    if (g == 0.0)
        return -1.0;
    M3d sNum, tNum;
    sNum.cross(b1 - a1, f);
    tNum.cross(a1 - b1, e);
    const double s = sNum.dot(ef) / g;
    const double t = tNum.dot(fe) / g;
    if (s >= 0.0 && s <= 1.0 && t >= 0.0 && t <= 1.0)
        return s;
    return -1.0;
}

} // namespace Sorvex
