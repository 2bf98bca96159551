#include "scene/render/PickRenderer.h"

#include "scene/SceneObj.h"

#include <algorithm>
#include <cmath>
#include <limits>

using Sorvex::M3d;

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

/// Closest approach of the ray (o, unit d) to the segment a-b: the distance along the ray
/// and the gap between them there.
void closestApproach(const M3d& o, const M3d& d, const M3d& a, const M3d& b, double& along,
                     double& gap) {
    const M3d u = b - a;
    const M3d w = o - a;
    const double uu = u.dot(u), ud = u.dot(d), uw = u.dot(w), dw = d.dot(w);
    const double denom = uu - ud * ud;
    double s = uu > 0.0 && denom > 1e-12 * uu ? (uw - ud * dw) / denom : 0.0;
    s = uu > 0.0 ? std::clamp(s, 0.0, 1.0) : 0.0;
    const M3d q = a + u * s;
    along = std::max(0.0, (q - o).dot(d));
    gap = (o + d * along - q).length();
}

} // namespace

void PickRenderer::collectScene(SceneObj& root) {
    SceneObj* parent = root.getParent();
    reset(parent ? parent->getWorldTransform() : Sorvex::M4x4());
    const bool was = isPicking();
    setFlag(RenderFlag::Picking, true);
    renderScene(root);
    setFlag(RenderFlag::Picking, was);
    m_tree.build(triangles());
}

SceneObj* PickRenderer::pickTarget(SceneObj* obj) {
    SceneObj* target = obj;
    for (SceneObj* up = obj ? obj->getParent() : nullptr; up; up = up->getParent())
        if (up->takeChildPick(obj))
            target = up;
    return target;
}

PickResult PickRenderer::pick(const Camera& camera, double x, double y) const {
    M3d origin, direction;
    camera.rayThrough(x, y, origin, direction);
    return pickRay(origin, direction, camera);
}

PickResult PickRenderer::pickRay(const M3d& origin, const M3d& direction,
                                 const Camera& camera) const {
    const M3d d = direction.normalized();
    double best = kInfinity;
    SceneObj* owner = nullptr;
    if (const std::ptrdiff_t face = m_tree.nearest(getTriangles(), origin, d, best); face >= 0)
        owner = getTriangles()[size_t(face)].owner;

    // The ray's distance from the eye plane, for turning pixels into world lengths.
    const M3d forward = camera.getViewDirection();
    auto pixel = [&](double along) {
        return camera.pixelSizeAt((origin + d * along - camera.getEye()).dot(forward));
    };
    for (const PickStroke& s : getStrokes()) {
        double along = 0.0, gap = 0.0;
        closestApproach(origin, d, s.a, s.b, along, gap);
        const double reach = std::max(s.radius, m_tolerance * pixel(along));
        if (gap <= reach && along < best) {
            // Report the point on the ray nearest the stroke, pulled back to the tube wall.
            const double wall = s.radius > gap ? std::sqrt(s.radius * s.radius - gap * gap) : 0.0;
            best = std::max(0.0, along - wall);
            owner = s.owner;
        }
    }
    for (const PickSphere& s : getSpheres()) {
        const M3d w = s.centre - origin;
        const double along = w.dot(d);
        const double gap2 = w.squared() - along * along;
        const double r2 = s.radius * s.radius;
        if (gap2 > r2)
            continue;
        const double t = along - std::sqrt(r2 - gap2);
        if (t > 0.0 && t < best) {
            best = t;
            owner = s.owner;
        }
    }
    PickResult result;
    if (best < kInfinity && owner) {
        result.object = pickTarget(owner);
        result.hitPoint = origin + d * best;
        result.distance = best;
    }
    return result;
}
