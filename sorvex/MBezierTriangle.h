#pragma once

#include "sorvex/M3d.h"

namespace Sorvex {

/// Cubic triangular Bezier patch with control points P(i, j, k), i + j + k = 3.
class MBezierTriangle {
public:
    /// P(i, j, k) = (i, j, k).
    MBezierTriangle();

    /// Callers pass non-negative i, j, k with i + j + k = 3.
    M3d& getControlPt(int i, int j, int k) { return m_points[index(i, j, k)]; }
    const M3d& getControlPt(int i, int j, int k) const { return m_points[index(i, j, k)]; }
    void setControlPt(int i, int j, int k, const M3d& p) { m_points[index(i, j, k)] = p; }

    /// Point at the barycentric coordinates (a, b, c): the sum over i + j + k = 3 of
    /// 3! / (i! j! k!) * a^i * b^j * c^k * P(i, j, k).
    M3d eval(double a, double b, double c) const;

protected:
    /// Storage position: by decreasing k, then by increasing j. Indices outside the
    /// contract are clamped so they never address outside the control points.
    static int index(int i, int j, int k);

private:
    M3d m_points[10];
};

} // namespace Sorvex
