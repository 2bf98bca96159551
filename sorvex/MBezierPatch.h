#pragma once

#include "sorvex/M3d.h"

namespace Sorvex {

/// Bicubic tensor-product Bezier patch with control points P(i, j), i, j = 0..3.
class MBezierPatch {
public:
    /// The flat grid P(i, j) = (i, 0, j).
    MBezierPatch();

    /// Indices are taken modulo 4.
    M3d& getControlPt(int i, int j) { return m_points[index(i, j)]; }
    const M3d& getControlPt(int i, int j) const { return m_points[index(i, j)]; }
    void setControlPt(int i, int j, const M3d& p) { m_points[index(i, j)] = p; }

    /// Point at (u, v): the sum of B_i(u) * B_j(v) * P(i, j) over the cubic Bernstein
    /// polynomials B.
    M3d eval(double u, double v) const;

private:
    static int index(int i, int j) { return 4 * (i & 3) + (j & 3); }

    M3d m_points[16];
};

} // namespace Sorvex
