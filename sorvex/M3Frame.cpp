#include "sorvex/M3Frame.h"

namespace Sorvex {

void M3Frame::yaw(double a) {
    M4x4 turn;
    turn.loadRotate(m_up, a);
    turn.transform(m_dir);
    m_right.cross(m_dir, m_up);
    m_right.normalize();
    m_dir.normalize();
    m_up.normalize();
}

void M3Frame::pitch(double a) {
    M4x4 turn;
    turn.loadRotate(m_right, a);
    turn.transform(m_dir);
    m_up.cross(m_right, m_dir);
    m_right.normalize();
    m_dir.normalize();
    m_up.normalize();
}

void M3Frame::roll(double a) {
    M4x4 turn;
    turn.loadRotate(m_dir, a);
    turn.transform(m_up);
    m_right.cross(m_dir, m_up);
    m_right.normalize();
    m_dir.normalize();
    m_up.normalize();
}

void M3Frame::pan(const M3d& v) {
    m_pos += m_right * v.x() + m_dir * v.y() + m_up * v.z();
}

void M3Frame::getRotMatrix(M4x4& m) const {
    m.identity();
    m.setRow(0, m_right);
    m.setRow(1, m_dir);
    m.setRow(2, m_up);
}

void M3Frame::setRotMatrix(const M4x4& m) {
    m_right = m.getRow(0);
    m_dir = m.getRow(1);
    m_up = m.getRow(2);
}

void M3Frame::getViewMatrix(M4x4& m) const {
    getRotMatrix(m);
    m.translateNeg(m_pos);
}

void M3Frame::rotate(const MQuat& q) {
    M4x4 turn;
    turn.loadRotate(q);
    M4x4 frame;
    getRotMatrix(frame);
    setRotMatrix(turn * frame);
}

void M3Frame::setView(const M3d& target, double rollAngle) {
    const M3d d = (target - m_pos).normalized();
    const double yawAngle = std::atan2(d.x(), d.y());
    const double pitchAngle = -std::asin(d.z());
    M4x4 m;
    m.rotateY(-rollAngle);
    m.rotateX(pitchAngle);
    m.rotateZ(yawAngle);
    // The axes are the rows of m: its transpose takes the frame's y axis onto d, so the
    // direction points at the target and the roll turns up about the direction.
    setRotMatrix(m);
}

bool M3Frame::cmp(const M3Frame& f, double eps) const {
    return m_pos.cmp(f.m_pos, eps) && m_right.cmp(f.m_right, eps) && m_dir.cmp(f.m_dir, eps) &&
           m_up.cmp(f.m_up, eps);
}

} // namespace Sorvex
