#pragma once

#include "sorvex/M3d.h"

namespace Sorvex {

/// Segment between two points.
class MLine {
public:
    MLine() = default;
    MLine(const M3d& p1, const M3d& p2) : m_p1(p1), m_p2(p2) {}

    void copy(const MLine& line) { *this = line; }
    const M3d& getP1() const { return m_p1; }
    const M3d& getP2() const { return m_p2; }

    bool cmp(const MLine& line, double eps) const {
        return m_p1.cmp(line.m_p1, eps) && m_p2.cmp(line.m_p2, eps);
    }
    bool operator==(const MLine& line) const { return cmp(line, 1e-10); }
    bool operator!=(const MLine& line) const { return !cmp(line, 1e-10); }

    /// Segment a1-a2 against segment b1-b2: the parameter s in [0, 1] along a of the
    /// crossing (for skew segments, of the point of a closest to b) when both parameters
    /// lie in [0, 1]; otherwise, and for parallel segments, -1.
    static double Intersect(const M3d& a1, const M3d& a2, const M3d& b1, const M3d& b2);

private:
    M3d m_p1;
    M3d m_p2;
};

} // namespace Sorvex
