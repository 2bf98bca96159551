#pragma once

#include "scene/render/Camera.h"
#include "scene/render/PickCollector.h"
#include "scene/render/PickFaceTree.h"

/// What a pick found: the object (null for nothing) and the world point hit.
struct PickResult {
    SceneObj* object = nullptr;
    Sorvex::M3d hitPoint;
    /// Distance from the ray's origin to the hit along the ray.
    double distance = 0.0;
};

/// Picking: runs the objects' own drawing code with the picking flag set and intersects a
/// ray with what they draw. Faces are hit exactly, lines and tubes when the ray passes
/// within a pixel tolerance of them (tubes also within their radius), spheres as balls.
/// The nearest hit wins. Collect once with `collectScene`, then pick as often as needed;
/// faces are kept in a bounding-volume hierarchy so a pick costs far less than a scan.
class PickRenderer : public PickCollector {
public:
    /// Collects what `root` and its children draw while picking, in world coordinates.
    void collectScene(SceneObj& root);
    /// How far from a line or tube, in pixels, still counts as a hit (default 3).
    void setTolerance(double pixels) { m_tolerance = pixels; }

    /// The nearest hit under pixel (x, y) of `camera`.
    PickResult pick(const Camera& camera, double x, double y) const;
    /// The nearest hit along the ray from `origin` in `direction`; `camera` gives the
    /// world length of a pixel at a distance (for the line tolerance).
    PickResult pickRay(const Sorvex::M3d& origin, const Sorvex::M3d& direction,
                       const Camera& camera) const;

private:
    /// The object a hit on `obj` selects: the outermost ancestor that takes its children's
    /// picks, else `obj`.
    static SceneObj* pickTarget(SceneObj* obj);

    PickFaceTree m_tree;
    double m_tolerance = 3.0;
};
