#pragma once

#include "scene/Renderer.h"
#include "scene/render/PrimitiveAssembler.h"
#include "sorvex/M3d.h"
#include "sorvex/M4x4.h"

#include <vector>

/// A triangle of a drawn face: a corner and the two edges from it. Faces are cut into fans
/// from their first point.
struct PickTriangle {
    Sorvex::M3d a, e1, e2;
    SceneObj* owner = nullptr;
};

/// A line (`radius` 0) or a tube, in world coordinates.
struct PickStroke {
    Sorvex::M3d a, b;
    double radius = 0.0;
    SceneObj* owner = nullptr;
};

struct PickSphere {
    Sorvex::M3d centre;
    double radius = 0.0;
    SceneObj* owner = nullptr;
};

/// What the objects draw, turned into world-coordinate triangles, strokes and spheres kept
/// in flat arrays. Picking collects the whole scene whenever it changes, so nothing here
/// allocates per primitive: the arrays keep their capacity from one collection to the next.
/// Colours and normals play no part in a hit and are ignored; primitives with a point that
/// is not finite are dropped.
class PickCollector : public Renderer, private PrimitiveSink {
public:
    PickCollector();

    /// Forgets everything collected; the transform stack restarts at `base` (the world
    /// transform of the parent of what is drawn next).
    void reset(const Sorvex::M4x4& base = Sorvex::M4x4());

    void beginLines() override;
    void beginLineLoop() override;
    void beginTriangles() override;
    void beginPolygon() override;
    void vertex(const Sorvex::M3d& p) override;
    void normal(const Sorvex::M3d& /*n*/) override {}
    void color(double /*r*/, double /*g*/, double /*b*/, double /*a*/ = 1.0) override {}
    using Renderer::color;
    void end() override;
    void pushTransform(const Sorvex::M4x4& m) override;
    void popTransform() override;
    void renderTube(const Sorvex::M3d& a, const Sorvex::M3d& b, double radius) override;
    void renderSpline(const Sorvex::M3d& a, const Sorvex::M3d& ta, const Sorvex::M3d& b,
                      const Sorvex::M3d& tb, double radius) override;
    void renderSphere(const Sorvex::M3d& centre, double radius) override;
    void renderText(const Sorvex::M3d& at, const std::string& text) override;
    void beginObject(SceneObj* obj) override;
    void endObject(SceneObj* obj) override;

    const std::vector<PickTriangle>& getTriangles() const { return m_triangles; }
    const std::vector<PickStroke>& getStrokes() const { return m_strokes; }
    const std::vector<PickSphere>& getSpheres() const { return m_spheres; }
    /// The box round everything collected (tubes and spheres with their radius, texts at
    /// their anchor); false when nothing was collected.
    bool getBounds(Sorvex::M3d& lo, Sorvex::M3d& hi) const;

protected:
    /// The triangles, for the owner to reorder into its search tree.
    std::vector<PickTriangle>& triangles() { return m_triangles; }

private:
    Sorvex::M3d toWorld(const Sorvex::M3d& p) const { return m_stack.back() * p; }
    SceneObj* currentOwner() const { return m_owners.empty() ? nullptr : m_owners.back(); }
    void onFace(const std::vector<Sorvex::M3d>& points) override;
    void onSegment(std::size_t from, std::size_t to, std::size_t provoking) override;
    void addStroke(const Sorvex::M3d& a, const Sorvex::M3d& b, double radius);
    void grow(const Sorvex::M3d& p, double radius);

    std::vector<Sorvex::M4x4> m_stack;
    std::vector<SceneObj*> m_owners;
    PrimitiveAssembler m_assembler;

    std::vector<PickTriangle> m_triangles;
    /// Scratch: corner indices of the face being split into triangles.
    std::vector<int> m_cut;
    std::vector<PickStroke> m_strokes;
    std::vector<PickSphere> m_spheres;
    bool m_hasBounds = false;
    Sorvex::M3d m_lo, m_hi;
};
