#pragma once

#include "sorvex/M3d.h"
#include "sorvex/M4x4.h"
#include "sorvex/MQuat.h"

namespace Sorvex {

/// Coordinate frame: position plus right, direction and up axes. The default frame is
/// the world's: z up, looking along +y, right along +x.
class M3Frame {
public:
    M3Frame() = default;
    M3Frame(const M3d& pos, const M3d& right, const M3d& dir, const M3d& up)
        : m_pos(pos), m_right(right), m_dir(dir), m_up(up) {}
    M3Frame(const M3Frame&) = default;
    M3Frame& operator=(const M3Frame&) = default;
    virtual ~M3Frame() = default;

    void copy(const M3Frame& f) { M3Frame::operator=(f); }
    void setPos(const M3d& p) { m_pos = p; }
    const M3d& getPos() const { return m_pos; }
    const M3d& getRight() const { return m_right; }
    const M3d& getDir() const { return m_dir; }
    const M3d& getUp() const { return m_up; }
    void setRDU(const M3d& right, const M3d& dir, const M3d& up) {
        m_right = right;
        m_dir = dir;
        m_up = up;
    }

    /// Turns the direction about up by loadRotate(up, a); right = dir x up; axes normalised.
    void yaw(double a);
    /// Turns the direction about right; up = right x dir; axes normalised.
    void pitch(double a);
    /// Turns up about the direction; right = dir x up; axes normalised.
    void roll(double a);
    /// Moves by v given in frame axes (right, direction, up).
    void pan(const M3d& v);

    /// Identity with rows right, direction, up: maps world offsets into frame coordinates.
    void getRotMatrix(M4x4& m) const;
    /// Axes from rows 0, 1, 2 of m.
    void setRotMatrix(const M4x4& m);
    /// World point p -> (right.(p - pos), dir.(p - pos), up.(p - pos)).
    void getViewMatrix(M4x4& m) const;
    /// Replaces the frame's rotation matrix F by loadRotate(q) * F.
    void rotate(const MQuat& q);
    /// Points the direction at target with the given roll; the position is kept.
    void setView(const M3d& target, double rollAngle);

    bool cmp(const M3Frame& f, double eps) const;
    bool operator==(const M3Frame& f) const { return cmp(f, 1e-10); }
    bool operator!=(const M3Frame& f) const { return !cmp(f, 1e-10); }

protected:
    M3d m_pos{0, 0, 0};
    M3d m_right{1, 0, 0};
    M3d m_dir{0, 1, 0};
    M3d m_up{0, 0, 1};
};

} // namespace Sorvex
