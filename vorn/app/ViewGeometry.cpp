#include "vorn/app/ViewGeometry.h"

#include "sorvex/M4x4.h"

#include <cmath>
#include <cstdlib>

using Sorvex::M3d;

namespace ViewGeometry {

namespace {
constexpr double kTiny = 1e-12;
} // namespace

bool movedBeyondClick(int pressX, int pressY, int x, int y) {
    return std::abs(x - pressX) > kClickSlop || std::abs(y - pressY) > kClickSlop;
}

M3d screenRight(const Camera& camera) {
    M3d right;
    right.cross(camera.getViewDirection(), camera.getUp());
    if (right.length() < kTiny)
        return M3d(1, 0, 0);
    return right.normalized();
}

std::optional<M3d> screenToPlane(const Camera& camera, double x, double y, const M3d& centre) {
    M3d origin, direction;
    camera.rayThrough(x, y, origin, direction);
    const M3d normal = camera.getViewDirection();
    const double along = direction.dot(normal);
    if (std::abs(along) < kTiny)
        return std::nullopt;
    const double t = (centre - origin).dot(normal) / along;
    return origin + direction * t;
}

M3d dragMove(const Camera& camera, double fromX, double fromY, double toX, double toY,
             const M3d& centre, bool alongView) {
    const std::optional<M3d> from = screenToPlane(camera, fromX, fromY, centre);
    const std::optional<M3d> to = screenToPlane(camera, toX, toY, centre);
    if (!from || !to)
        return M3d(0, 0, 0);
    const M3d move = *to - *from;
    if (!alongView)
        return move;
    // A quarter turn about the screen's x takes the screen's up to the look direction, so
    // the vertical part of the motion becomes depth and the horizontal part stays.
    return Sorvex::M4x4::Rotation(screenRight(camera), M_PI / 2) * move;
}

M3d surfaceNormal(const M3d& hit, const NeighbourHits& neighbours, const M3d& eye) {
    M3d sum(0, 0, 0);
    int count = 0;
    for (size_t i = 0; i < neighbours.size(); ++i) {
        const std::optional<M3d>& a = neighbours[i];
        const std::optional<M3d>& b = neighbours[(i + 1) % neighbours.size()];
        if (!a || !b)
            continue;
        M3d c;
        c.cross(*a - hit, *b - hit);
        if (c.length() < kTiny)
            continue;
        sum += c.normalized();
        ++count;
    }
    const M3d towardEye = eye - hit;
    M3d normal = count > 0 ? sum * (1.0 / count) : M3d(0, 0, 0);
    if (normal.length() < kTiny) {
        if (towardEye.length() < kTiny)
            return M3d(0, 0, 1);
        return towardEye.normalized();
    }
    normal.normalize();
    if (normal.dot(towardEye) < 0)
        normal = -normal;
    return normal;
}

Viewpoint lookAtSurface(const Camera& camera, const M3d& hit, const M3d& normal) {
    const double distance = (camera.getEye() - hit).length();
    const M3d eye = hit + normal * distance;
    M3d up = camera.getUp() - normal * camera.getUp().dot(normal);
    if (up.length() < 1e-6) {
        // Looking straight along the old up: the old view direction serves as up instead.
        const M3d forward = camera.getViewDirection();
        up = forward - normal * forward.dot(normal);
        if (up.length() < 1e-6)
            up = std::abs(normal.x()) < 0.9 ? M3d(1, 0, 0) : M3d(0, 1, 0);
        up = up - normal * up.dot(normal);
    }
    return Viewpoint(hit, eye, up.normalized(), camera.getViewpoint().getDiameter());
}

} // namespace ViewGeometry
