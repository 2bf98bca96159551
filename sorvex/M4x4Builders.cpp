// Transform builders of M4x4: the load forms replace the matrix, the others multiply it
// on the right.
#include "sorvex/M4x4.h"

namespace Sorvex {

namespace {

/// The rotation by +a in the plane of axes u -> v (u rotates towards v).
void loadPlaneRotation(M4x4& m, int u, int v, double a) {
    const double c = std::cos(a);
    const double s = std::sin(a);
    m.identity();
    m.set(u, u, c);
    m.set(v, v, c);
    m.set(u, v, s);  // column u, row v
    m.set(v, u, -s); // column v, row u
}

} // namespace

void M4x4::loadTranslate(double x, double y, double z) {
    identity();
    m_m[12] = x;
    m_m[13] = y;
    m_m[14] = z;
}

void M4x4::translate(double x, double y, double z) {
    M4x4 t;
    t.loadTranslate(x, y, z);
    *this *= t;
}

void M4x4::loadScale(double x, double y, double z) {
    identity();
    m_m[0] = x;
    m_m[5] = y;
    m_m[10] = z;
}

void M4x4::scale(double x, double y, double z) {
    M4x4 t;
    t.loadScale(x, y, z);
    *this *= t;
}

void M4x4::loadRotateX(double a) {
    loadPlaneRotation(*this, 1, 2, a);
}

void M4x4::loadRotateY(double a) {
    loadPlaneRotation(*this, 2, 0, a);
}

void M4x4::loadRotateZ(double a) {
    loadPlaneRotation(*this, 0, 1, a);
}

void M4x4::rotateX(double a) {
    M4x4 t;
    t.loadRotateX(a);
    *this *= t;
}

void M4x4::rotateY(double a) {
    M4x4 t;
    t.loadRotateY(a);
    *this *= t;
}

void M4x4::rotateZ(double a) {
    M4x4 t;
    t.loadRotateZ(a);
    *this *= t;
}

void M4x4::loadRotate(const MQuat& q) {
    const double x = q.x();
    const double y = q.y();
    const double z = q.z();
    const double w = q.w();
    const double n = x * x + y * y + z * z + w * w;
    // Scaling by 2/n normalises the quaternion on the fly.
    const double s = std::fabs(n) < 1e-10 ? 1 : 2 / n;
    identity();
    set(0, 0, 1 - s * (y * y + z * z));
    set(1, 1, 1 - s * (x * x + z * z));
    set(2, 2, 1 - s * (x * x + y * y));
    // set(column, row, value): element (r, c) lives at index 4c + r.
    set(1, 0, s * (x * y - z * w));
    set(0, 1, s * (x * y + z * w));
    set(2, 0, s * (x * z + y * w));
    set(0, 2, s * (x * z - y * w));
    set(2, 1, s * (y * z - x * w));
    set(1, 2, s * (y * z + x * w));
}

void M4x4::rotate(const MQuat& q) {
    M4x4 t;
    t.loadRotate(q);
    *this *= t;
}

void M4x4::loadRotateToY(const M3d& v) {
    const M3d y = v.normalized();
    M3d x;
    x.cross(M3d(1, 0, 0), y);
    if (!(x.length() > 0.0001)) {
        // v runs (nearly) along x: any other reference axis will do.
        x.cross(M3d(1, 1, 0), y);
    }
    x.normalize();
    M3d z;
    z.cross(x, y);
    z.normalize();
    zero();
    setCol(0, x);
    setCol(1, y);
    setCol(2, z);
    m_m[15] = 1;
}

void M4x4::loadProj(double fov, double nearDist, double farDist, double aspect) {
    const double t = std::tan(fov * 0.5);
    zero();
    m_m[0] = 2 * nearDist / (t * nearDist);
    m_m[5] = m_m[0] * aspect;
    m_m[10] = -(nearDist + farDist) / (farDist - nearDist);
    m_m[11] = -2 * nearDist * farDist / (farDist - nearDist);
    m_m[14] = -1;
}

void M4x4::proj(double fov, double nearDist, double farDist, double aspect) {
    M4x4 t;
    t.loadProj(fov, nearDist, farDist, aspect);
    *this *= t;
}

void M4x4::loadPick(const MRect& pick, const MRect& viewport) {
    identity();
    m_m[0] = viewport.width() / pick.width();
    m_m[5] = viewport.height() / pick.height();
    m_m[12] = (2 * (viewport.x() - pick.x()) + viewport.width()) / pick.width();
    m_m[13] = (2 * (viewport.y() - pick.y()) + viewport.height()) / pick.height();
}

void M4x4::pick(const MRect& pickRect, const MRect& viewport) {
    M4x4 t;
    t.loadPick(pickRect, viewport);
    *this *= t;
}

} // namespace Sorvex
