#include "scene/render/Camera.h"

#include <algorithm>
#include <cmath>

using Sorvex::M3d;

namespace {

constexpr double kHalfFov = 20.0 * M_PI / 180.0;
// The eye keeps at least this share of its distance when coming closer.
constexpr double kClosestShare = 1e-3;

M3d cross(const M3d& a, const M3d& b) {
    return {a.y() * b.z() - a.z() * b.y(), a.z() * b.x() - a.x() * b.z(),
            a.x() * b.y() - a.y() * b.x()};
}

/// Any unit vector perpendicular to `d`.
M3d perpendicular(const M3d& d) {
    const M3d helper = std::fabs(d.y()) < 0.9 ? M3d(0, 1, 0) : M3d(0, 0, 1);
    return cross(cross(d, helper), d).normalized();
}

double smoothStep(double t) {
    return t * t * (3.0 - 2.0 * t);
}

} // namespace

Camera::Camera() {
    updateBasis();
}

void Camera::setLookAt(const M3d& eye, const M3d& target, const M3d& up) {
    m_eye = eye;
    m_target = target;
    m_up = up;
    updateBasis();
}

void Camera::updateBasis() {
    M3d forward = m_target - m_eye;
    if (forward.length() < 1e-12)
        forward = M3d(0, 0, -1);
    m_forward = forward.normalized();
    M3d right = cross(m_forward, m_up);
    // An up vector along the view direction says nothing: pick a perpendicular one.
    if (right.length() < 1e-9)
        right = cross(m_forward, perpendicular(m_forward));
    m_right = right.normalized();
    m_trueUp = cross(m_right, m_forward).normalized();
}

M3d Camera::getViewDirection() const {
    return m_forward;
}

double Camera::getDistance() const {
    return (m_target - m_eye).length();
}

void Camera::setViewport(int width, int height) {
    m_width = std::max(1, width);
    m_height = std::max(1, height);
}

Viewpoint Camera::getViewpoint() const {
    return Viewpoint(m_target, m_eye, m_up, 2.0 * getDistance() * std::tan(kHalfFov));
}

void Camera::setViewpoint(const Viewpoint& vp) {
    if (vp.isValid())
        setLookAt(vp.getEye(), vp.getTarget(), vp.getUp());
}

void Camera::interpolateTo(const Viewpoint& to, double durationMs) {
    if (!to.isValid())
        return;
    if (durationMs <= 0.0) {
        m_flightDuration = 0.0;
        setViewpoint(to);
        return;
    }
    m_flightFrom = getViewpoint();
    m_flightTo = to;
    m_flightDuration = durationMs;
    m_flightElapsed = 0.0;
}

bool Camera::advance(double elapsedMs) {
    if (m_flightDuration <= 0.0)
        return false;
    m_flightElapsed += std::max(0.0, elapsedMs);
    const double t = std::min(1.0, m_flightElapsed / m_flightDuration);
    if (t >= 1.0) {
        m_flightDuration = 0.0;
        setViewpoint(m_flightTo);
        return false;
    }
    const double s = smoothStep(t);
    const Viewpoint& a = m_flightFrom;
    const Viewpoint& b = m_flightTo;
    // Target and the eye's offset from it move separately, so the eye swings round the
    // target instead of cutting through it.
    M3d target;
    target.lerp(a.getTarget(), b.getTarget(), s);
    const M3d fromOffset = a.getEye() - a.getTarget();
    const M3d toOffset = b.getEye() - b.getTarget();
    const double distance = fromOffset.length() + (toOffset.length() - fromOffset.length()) * s;
    M3d direction;
    direction.lerp(fromOffset.normalized(), toOffset.normalized(), s);
    if (direction.length() < 1e-9)
        direction = perpendicular(fromOffset.normalized());
    M3d up;
    up.lerp(a.getUp(), b.getUp(), s);
    if (up.length() < 1e-9)
        up = b.getUp();
    setLookAt(target + direction.normalized() * distance, target, up.normalized());
    return true;
}

bool Camera::oversight(const M3d& lo, const M3d& hi) {
    if (lo.x() > hi.x() || lo.y() > hi.y() || lo.z() > hi.z())
        return false;
    const M3d centre = (lo + hi) * 0.5;
    const double radius = std::max((hi - lo).length() * 0.5, 1e-9);
    const double aspect = double(m_width) / m_height;
    // The narrower of the two fields of view decides.
    const double halfFov = std::min(kHalfFov, std::atan(std::tan(kHalfFov) * aspect));
    const double distance =
        m_orthographic ? radius / std::tan(halfFov) : radius / std::sin(halfFov);
    setLookAt(centre - m_forward * distance, centre, m_up);
    return true;
}

void Camera::setVisibleHeight(double worldHeight) {
    const double distance = std::max(worldHeight, 1e-12) / (2.0 * std::tan(kHalfFov));
    setLookAt(m_target - m_forward * distance, m_target, m_up);
}

void Camera::adjustDistance(double delta) {
    const double distance = getDistance();
    const double wanted = std::max(distance + delta, distance * kClosestShare);
    setLookAt(m_target - m_forward * wanted, m_target, m_up);
}

void Camera::viewAlong(int axis, bool positive) {
    M3d direction;
    direction[std::clamp(axis, 0, 2)] = positive ? 1.0 : -1.0;
    M3d up(0, 1, 0);
    if (axis == 1)
        up = positive ? M3d(0, 0, 1) : M3d(0, 0, -1);
    setLookAt(m_target - direction * getDistance(), m_target, up);
}

void Camera::orbit(double angle) {
    const M3d axis = m_up.normalized();
    const M3d offset = m_eye - m_target;
    // Rodrigues' rotation of the offset about the axis.
    const double c = std::cos(angle), s = std::sin(angle);
    const M3d turned = offset * c + cross(axis, offset) * s + axis * (axis.dot(offset) * (1.0 - c));
    setLookAt(m_target + turned, m_target, m_up);
}

bool Camera::setNamedView(const std::string& name) {
    if (name == "front")
        viewAlong(2, false);
    else if (name == "back")
        viewAlong(2, true);
    else if (name == "left")
        viewAlong(0, true);
    else if (name == "right")
        viewAlong(0, false);
    else if (name == "top")
        viewAlong(1, false);
    else if (name == "bottom")
        viewAlong(1, true);
    else if (name == "iso")
        setLookAt(m_target + M3d(1, 1, 1).normalized() * getDistance(), m_target, M3d(0, 1, 0));
    else
        return false;
    return true;
}

ScreenPoint Camera::project(const M3d& world) const {
    const M3d d = world - m_eye;
    const double depth = d.dot(m_forward);
    double x = d.dot(m_right);
    double y = d.dot(m_trueUp);
    const double halfHeight =
        (m_orthographic ? getDistance() : std::max(depth, 1e-12)) * std::tan(kHalfFov);
    const double pixelsPerUnit = m_height * 0.5 / halfHeight;
    return {m_width * 0.5 + x * pixelsPerUnit, m_height * 0.5 - y * pixelsPerUnit, depth};
}

void Camera::rayThrough(double x, double y, M3d& origin, M3d& direction) const {
    const double unit = 2.0 * std::tan(kHalfFov) / m_height; // per pixel at depth 1
    const double dx = (x - m_width * 0.5) * unit;
    const double dy = (m_height * 0.5 - y) * unit;
    if (m_orthographic) {
        const double distance = getDistance();
        origin = m_eye + m_right * (dx * distance) + m_trueUp * (dy * distance);
        direction = m_forward;
    } else {
        origin = m_eye;
        direction = (m_forward + m_right * dx + m_trueUp * dy).normalized();
    }
}

double Camera::pixelSizeAt(double depth) const {
    const double reach = m_orthographic ? getDistance() : std::max(depth, 1e-12);
    return 2.0 * reach * std::tan(kHalfFov) / m_height;
}
