#pragma once

#include "blobby/Force.h"
#include "blobby/OctreeTracker.h"
#include "common/IdleLoop.h"
#include "scene/SceneObj.h"

#include <memory>

class ExtentsControl;
class Octree;
class PolyMesh;

/// An implicit surface: the 0.5 level set of the summed field of its children, inside a
/// bounding cube of half-sizes `getExtents()` centred on its origin. The surface refines an
/// octree a little on every idle tick (levels below the minimum are always completed, even
/// while paused), draws the triangles found so far and turns them into a PolyMesh on
/// request. Any change of a source restarts it; level changes reuse the octree.
///
/// Sources: MetaSurface.cpp (state, field, refinement), MetaSurfaceMesh.cpp (mesh
/// generation, smoothing, default action), MetaSurfaceIO.cpp (drawing, persistence).
class MetaSurface : public Force, public SceneObj, public SystemIdleHandler, public OctreeTracker {
    VORN_DECLARE_FACTORY(MetaSurface)

    /// The deepest level a surface accepts: each level multiplies the cells by up to eight.
    static constexpr int MaxAllowedLevel = 10;

    MetaSurface();
    ~MetaSurface() override;

    // ----- Levels and state -----

    /// Stored only; it takes effect in the next refine.
    void setMinLevel(int n) { m_minLevel = n; }
    /// Raising resumes refinement from the finished cells; lowering finalises the coarser
    /// ancestors. Levels outside 0..MaxAllowedLevel are refused (false, nothing changed).
    bool setMaxLevel(int n);
    int getLatestLevel() const { return m_latestLevel; }
    bool isDone() const { return m_inProgress.empty(); }
    /// Cells processed per idle tick: 0 paused, 1 slow, 1000 otherwise.
    int getRefineCount() const;
    bool getPaused() const { return m_paused; }
    void setPaused(bool b) { m_paused = b; }
    bool getSlowRefine() const { return m_slowRefine; }
    void setSlowRefine() { m_slowRefine = true; }
    void setFastRefine() { m_slowRefine = false; }
    bool getRenderOctreeCubes() const { return m_drawOctreeCubes; }
    void setRenderOctreeCubes(bool b) { m_drawOctreeCubes = b; }
    bool getRenderFaceEdges() const { return m_drawFaceEdges; }
    void setRenderFaceEdges(bool b) { m_drawFaceEdges = b; }
    Octree* getRoot() const { return m_root.get(); }

    const Sorvex::M3d& getExtents() const { return m_extents; }
    /// Non-finite or negative extents are refused (false, nothing changed).
    bool setExtents(const Sorvex::M3d& e, bool moveControl);
    ExtentsControl* getExtentsControl() const { return m_control; }
    bool isMovingControl() const { return m_movingControl; }
    void showBoundingCube();
    void hideBoundingCube();
    /// Called by the control when it is destroyed.
    void forgetControl(ExtentsControl* control);

    // ----- Field and refinement -----

    /// The sum of the children's contributions (nested objects in their own frames).
    double F(Sorvex::M3d& p) override;
    /// Drops the octree; the next refine starts from scratch.
    virtual void restart();
    /// Processes up to `budget` cells at or above the minimum level (any number below it),
    /// within 15 seconds.
    virtual void refine(int budget);
    virtual void finalise(Octree* cell);
    virtual void onDone();
    void track(Octree* cell) override;
    void onSystemIdle() override { refine(getRefineCount()); }

    // ----- Meshes -----

    /// A new mesh of the current triangles (merged, optionally smoothed, cleaned), placed at
    /// the scene root centred on the surface's position; owned by the scene. Null when there
    /// are no triangles.
    PolyMesh* generatePolyMesh();
    /// Smooths along the enabled slice families and refreshes the face normals.
    static void smoothMesh(PolyMesh& mesh, bool xy, bool yz, bool xz);
    /// Generates the mesh and attaches the user's default unfolding strategy to it.
    SceneObj* doDefaultAction() override;

    // ----- Scene object -----

    double getTransparency(Renderer* r) override;
    SceneObj* canPaste(SceneObj* target, SceneObj* other) override {
        return other ? other : target;
    }
    bool canDelete() override { return true; }
    void onBeginChildDrag(SceneObj* child) override;
    void onEndChildDrag(SceneObj* child) override;
    void renderSelf(Renderer* r) override;
    /// Checks everything first and throws SceneReadError on non-finite or negative extents,
    /// levels outside 0..10, a source with a non-finite strength or position, or saved line
    /// connections that form a cycle; nothing changes then.
    void read(XML& xml) override;
    void write(XML& xml) override;

private:
    void drawTriangles(Renderer* r, const CellList& cells);

    std::unique_ptr<Octree> m_root;
    int m_latestLevel = 0;
    Sorvex::M3d m_extents;
    ExtentsControl* m_control = nullptr;
    bool m_movingControl = false;
    bool m_destroying = false;
    bool m_drawOctreeCubes = false;
    bool m_drawFaceEdges = false;
    bool m_slowRefine = false;
    bool m_paused = false;
    int m_savedMaxLevel = 5;
};
