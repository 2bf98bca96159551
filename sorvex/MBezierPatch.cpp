#include "sorvex/MBezierPatch.h"

namespace Sorvex {

namespace {

/// The four cubic Bernstein polynomials at t.
void bernstein(double t, double out[4]) {
    const double s = 1.0 - t;
    out[0] = s * s * s;
    out[1] = 3.0 * t * s * s;
    out[2] = 3.0 * t * t * s;
    out[3] = t * t * t;
}

} // namespace

MBezierPatch::MBezierPatch() {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            m_points[index(i, j)].set(i, 0, j);
}

M3d MBezierPatch::eval(double u, double v) const {
    double bu[4], bv[4];
    bernstein(u, bu);
    bernstein(v, bv);
    M3d sum(0, 0, 0);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            sum += m_points[index(i, j)] * (bu[i] * bv[j]);
    return sum;
}

} // namespace Sorvex
