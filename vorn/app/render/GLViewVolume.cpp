#include "vorn/app/render/GLViewVolume.h"

#include <algorithm>
#include <cmath>

using Sorvex::M3d;

double GLViewVolume::nearPlane(const Camera& camera) {
    return camera.isOrthographic() ? -farPlane(camera)
                                   : std::max(camera.getDistance(), 1e-6) / 1000.0;
}

double GLViewVolume::farPlane(const Camera& camera) {
    return std::max(camera.getDistance(), 1e-6) * 1000.0;
}

GLViewVolume::GLViewVolume(const Camera& camera) : m_eye(camera.getEye()) {
    // The camera's axes as the look-at transform uses them.
    const M3d f = camera.getViewDirection().normalized();
    M3d s;
    s.cross(f, camera.getUp());
    s.normalize();
    M3d u;
    u.cross(s, f);
    const double tangent = std::tan(kFovDegrees * M_PI / 360.0);
    const double aspect = double(camera.getWidth()) / double(camera.getHeight());
    const double depthNear = nearPlane(camera);
    const double depthFar = farPlane(camera);
    auto plane = [&](int i, const M3d& normal, double offset) {
        const double length = normal.length();
        m_normals[i] = normal * (1.0 / length);
        m_offsets[i] = offset / length - m_normals[i].dot(m_eye);
    };
    // Relative to the eye: depth d = f·q, across x = s·q, up y = u·q.
    plane(0, f, -depthNear);      // d >= near
    plane(1, f * -1.0, depthFar); // d <= far
    if (camera.isOrthographic()) {
        const double h = tangent * std::max(camera.getDistance(), 1e-6);
        plane(2, s, h * aspect); // x >= -h aspect
        plane(3, s * -1.0, h * aspect);
        plane(4, u, h);
        plane(5, u * -1.0, h);
    } else {
        plane(2, s + f * (tangent * aspect), 0.0); // x >= -d tan aspect
        plane(3, f * (tangent * aspect) - s, 0.0);
        plane(4, u + f * tangent, 0.0);
        plane(5, f * tangent - u, 0.0);
    }
}

bool GLViewVolume::excludes(const float centre[3], float radius) const {
    const M3d c(centre[0], centre[1], centre[2]);
    // OpenGL transforms in single precision: a corner within a few millionths (of how far
    // it is from the eye) outside a plane may still be drawn.
    const double margin = double(radius) + 1e-5 * ((c - m_eye).length() + double(radius));
    for (int i = 0; i < 6; ++i)
        if (m_normals[i].dot(c) + m_offsets[i] < -margin)
            return true;
    return false;
}

bool GLViewVolume::holds(const M3d& lo, const M3d& hi) const {
    for (int k = 0; k < 8; ++k) {
        const M3d p(k & 1 ? hi.x() : lo.x(), k & 2 ? hi.y() : lo.y(), k & 4 ? hi.z() : lo.z());
        // The corners the clusters hold are rounded to single precision: they may lie a
        // few ten-millionths of their distance from the origin outside the box.
        const double margin = 1e-6 * (p.length() + (p - m_eye).length() + 1.0);
        for (int i = 0; i < 6; ++i)
            if (m_normals[i].dot(p) + m_offsets[i] < margin)
                return false;
    }
    return true;
}
