#pragma once

#include "scene/render/PickRenderer.h"

#include <cstdint>

class SceneRoot;

/// Picks in a scene, collecting what it draws only when the scene has changed since the
/// last pick. Hovering, pressing and releasing over a scene that stays the same pay for one
/// collection. A scene's revision moves on every change it reports (every redraw request,
/// every change of selection), so a pick after any change sees the new scene.
class ScenePicker {
public:
    /// The nearest hit under pixel (x, y) of `camera` in `root` as it is now.
    PickResult pick(SceneRoot& root, const Camera& camera, double x, double y);
    /// What `root` draws while picking, as it is now: the kept collection when the scene
    /// is unchanged since it was made.
    const PickRenderer& collected(SceneRoot& root);
    /// Forgets the kept collection, for a change the scene does not report.
    void invalidate() { m_valid = false; }
    /// How far from a line or tube, in pixels, still counts as a hit (default 3).
    void setTolerance(double pixels) { m_picker.setTolerance(pixels); }
    /// How many times the scene was collected (for tests and benchmarks).
    std::uint64_t getCollectCount() const { return m_collects; }

private:
    PickRenderer m_picker;
    bool m_valid = false;
    std::uint64_t m_revision = 0;
    std::uint64_t m_collects = 0;
};
