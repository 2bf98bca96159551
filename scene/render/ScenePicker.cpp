#include "scene/render/ScenePicker.h"

#include "scene/SceneRoot.h"

const PickRenderer& ScenePicker::collected(SceneRoot& root) {
    // Revisions are never shared by two scenes, so a new document (even one at the address
    // of the last) is collected afresh. The revision is read first: a change made while
    // collecting leaves the collection marked as older than the scene.
    const std::uint64_t revision = root.getRevision();
    if (m_valid && revision == m_revision)
        return m_picker;
    m_valid = false;
    m_picker.collectScene(root);
    m_revision = revision;
    m_valid = true;
    ++m_collects;
    return m_picker;
}

PickResult ScenePicker::pick(SceneRoot& root, const Camera& camera, double x, double y) {
    return collected(root).pick(camera, x, y);
}
