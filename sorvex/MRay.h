#pragma once

#include "sorvex/M3d.h"

namespace Sorvex {

/// Half-line from a position along a direction (not normalised).
class MRay {
public:
    MRay() = default;
    MRay(const M3d& pos, const M3d& dir) : m_pos(pos), m_dir(dir) {}

    /// Position and direction target - position.
    void set(const M3d& pos, const M3d& target) {
        m_pos = pos;
        m_dir = target - pos;
    }
    void setPos(const M3d& pos) { m_pos = pos; }
    void setDir(const M3d& dir) { m_dir = dir; }
    /// Direction becomes target - position.
    void setTgt(const M3d& target) { m_dir = target - m_pos; }
    const M3d& getPos() const { return m_pos; }
    const M3d& getDir() const { return m_dir; }
    M3d getTgt() const { return m_pos + m_dir; }
    M3d evaluate(double t) const { return m_pos + m_dir * t; }

    bool cmp(const MRay& ray, double eps) const {
        return m_pos.cmp(ray.m_pos, eps) && m_dir.cmp(ray.m_dir, eps);
    }
    bool operator==(const MRay& ray) const { return cmp(ray, 1e-10); }
    bool operator!=(const MRay& ray) const { return !cmp(ray, 1e-10); }

    /// True when the closest points of the two supporting lines lie on both rays (both
    /// line parameters >= 0). Parallel rays never intersect.
    bool intersects(const MRay& ray) const;

private:
    M3d m_pos{0, 0, 0};
    M3d m_dir{1, 0, 0};
};

} // namespace Sorvex
