#include "scene/render/PickRenderer.h"

#include "scene/SceneObj.h"

#include <algorithm>
#include <cmath>
#include <limits>

using Sorvex::M3d;

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr size_t kLeafSize = 4;

M3d cross(const M3d& a, const M3d& b) {
    return {a.y() * b.z() - a.z() * b.y(), a.z() * b.x() - a.x() * b.z(),
            a.x() * b.y() - a.y() * b.x()};
}

struct Triangle {
    M3d a, e1, e2; // corner and the two edges from it
    size_t face;
};

/// Distance along the ray to the triangle, or infinity (both sides count: faces are hit
/// from behind as well, like the view shows them).
double hitTriangle(const Triangle& t, const M3d& o, const M3d& d) {
    const M3d p = cross(d, t.e2);
    const double det = t.e1.dot(p);
    if (std::fabs(det) < 1e-300)
        return kInfinity;
    const double inv = 1.0 / det;
    const M3d s = o - t.a;
    const double u = s.dot(p) * inv;
    if (u < 0.0 || u > 1.0)
        return kInfinity;
    const M3d q = cross(s, t.e1);
    const double v = d.dot(q) * inv;
    if (v < 0.0 || u + v > 1.0)
        return kInfinity;
    const double dist = t.e2.dot(q) * inv;
    return dist > 0.0 ? dist : kInfinity;
}

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

struct PickRenderer::FaceTree {
    struct Node {
        M3d lo, hi;
        size_t first = 0, count = 0; // leaf: triangles [first, first + count)
        size_t left = 0, right = 0;  // inner: child nodes
    };
    std::vector<Triangle> triangles;
    std::vector<Node> nodes;

    void build() {
        nodes.clear();
        if (!triangles.empty())
            buildNode(0, triangles.size());
    }

    size_t buildNode(size_t first, size_t count) {
        const size_t index = nodes.size();
        nodes.emplace_back();
        M3d lo(kInfinity, kInfinity, kInfinity), hi = -lo;
        for (size_t i = first; i < first + count; ++i)
            for (const M3d& p : {triangles[i].a, triangles[i].a + triangles[i].e1,
                                 triangles[i].a + triangles[i].e2})
                for (int k = 0; k < 3; ++k) {
                    lo[k] = std::min(lo[k], p[k]);
                    hi[k] = std::max(hi[k], p[k]);
                }
        nodes[index].lo = lo;
        nodes[index].hi = hi;
        if (count <= kLeafSize) {
            nodes[index].first = first;
            nodes[index].count = count;
            return index;
        }
        const M3d extent = hi - lo;
        const int axis = extent.x() > extent.y() ? (extent.x() > extent.z() ? 0 : 2)
                                                 : (extent.y() > extent.z() ? 1 : 2);
        auto centre = [axis](const Triangle& t) { return 3 * t.a[axis] + t.e1[axis] + t.e2[axis]; };
        const size_t half = count / 2;
        std::nth_element(
            triangles.begin() + first, triangles.begin() + first + half,
            triangles.begin() + first + count,
            [&](const Triangle& x, const Triangle& y) { return centre(x) < centre(y); });
        const size_t left = buildNode(first, half);
        const size_t right = buildNode(first + half, count - half);
        nodes[index].left = left;
        nodes[index].right = right;
        return index;
    }

    static bool hitsBox(const Node& n, const M3d& o, const M3d& inv, double limit) {
        double t0 = 0.0, t1 = limit;
        for (int k = 0; k < 3; ++k) {
            double a = (n.lo[k] - o[k]) * inv[k], b = (n.hi[k] - o[k]) * inv[k];
            if (a > b)
                std::swap(a, b);
            t0 = std::max(t0, a);
            t1 = std::min(t1, b);
            if (t0 > t1)
                return false;
        }
        return true;
    }

    /// The nearest triangle hit closer than `best`; updates `best` and `face`.
    void nearest(const M3d& o, const M3d& d, double& best, size_t& face) const {
        if (nodes.empty())
            return;
        const M3d inv(1.0 / d.x(), 1.0 / d.y(), 1.0 / d.z());
        size_t stack[64];
        size_t top = 0;
        stack[top++] = 0;
        while (top > 0) {
            const Node& n = nodes[stack[--top]];
            if (!hitsBox(n, o, inv, best))
                continue;
            if (n.count > 0) {
                for (size_t i = n.first; i < n.first + n.count; ++i) {
                    const double t = hitTriangle(triangles[i], o, d);
                    if (t < best) {
                        best = t;
                        face = triangles[i].face;
                    }
                }
            } else if (top + 2 <= 64) {
                stack[top++] = n.left;
                stack[top++] = n.right;
            }
        }
    }
};

PickRenderer::PickRenderer() : m_tree(std::make_unique<FaceTree>()) {}
PickRenderer::~PickRenderer() = default;

void PickRenderer::collectScene(SceneObj& root) {
    SceneObj* parent = root.getParent();
    reset(parent ? parent->getWorldTransform() : Sorvex::M4x4());
    const bool was = isPicking();
    setFlag(RenderFlag::Picking, true);
    renderScene(root);
    setFlag(RenderFlag::Picking, was);
    m_tree->triangles.clear();
    const auto& faces = getFaces();
    for (size_t i = 0; i < faces.size(); ++i) {
        const auto& p = faces[i].points;
        for (size_t k = 1; k + 1 < p.size(); ++k)
            m_tree->triangles.push_back({p[0], p[k] - p[0], p[k + 1] - p[0], i});
    }
    m_tree->build();
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
    size_t face = 0;
    m_tree->nearest(origin, d, best, face);
    if (best < kInfinity)
        owner = getFaces()[face].owner;

    // The ray's distance from the eye plane, for turning pixels into world lengths.
    const M3d forward = camera.getViewDirection();
    auto pixel = [&](double along) {
        return camera.pixelSizeAt((origin + d * along - camera.getEye()).dot(forward));
    };
    for (const DrawnStroke& s : getStrokes()) {
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
    for (const DrawnSphere& s : getSpheres()) {
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
