#include "vorn/core/SceneClipboard.h"

#include "common/XML.h"
#include "scene/Factory.h"
#include "scene/SceneObj.h"
#include "scene/SceneRoot.h"
#include "scene/render/Camera.h"

#include <exception>
#include <memory>

using Sorvex::M3d;

namespace SceneClipboard {

std::string copyText(SceneObj& obj) {
    XML node(obj.getClassName(), "");
    obj.write(node);
    return node.toString();
}

SceneObj* paste(const std::string& text, SceneRoot& root, const Camera& camera) {
    XML node;
    if (!node.parse(text))
        return nullptr;
    Factorable* built = Factory::BuildObj(node.getName());
    std::unique_ptr<SceneObj> obj(dynamic_cast<SceneObj*>(built));
    if (!obj) {
        delete built;
        return nullptr;
    }
    try {
        obj->read(node);
    } catch (const std::exception&) {
        // Text that does not describe a valid object pastes nothing.
        return nullptr;
    }
    SceneObj* target = obj->canPaste(&root, root.getSelection());
    if (!target)
        return nullptr;
    // Offset (-0.1, -0.1, 0) in the camera's frame: columns up x d, up, d.
    const M3d d = (camera.getTarget() - camera.getEye()).normalized();
    const M3d& up = camera.getUp();
    M3d side;
    side.cross(up, d);
    const M3d offset = side * -0.1 + up * -0.1;
    obj->onBeingPasted();
    if (!obj->setParent(target))
        return nullptr;
    SceneObj* pasted = obj.release(); // owned by its parent now
    pasted->translate(offset);
    root.select(pasted);
    return pasted;
}

} // namespace SceneClipboard
