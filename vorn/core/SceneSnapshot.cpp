#include "vorn/core/SceneSnapshot.h"

#include "common/XML.h"
#include "scene/SceneRoot.h"
#include "vorn/core/AttachStrategy.h"
#include "vorn/core/SceneDocument.h"

namespace {

/// Adds to `element` (written by `obj`) the strategies below `obj` that scene
/// documents skip. Saved children appear in "Children" in child order, so the
/// k-th saved child is the k-th element there.
void addUnsavedStrategies(SceneObj& obj, XML& element) {
    XML* children = element.child("Children");
    size_t saved = 0;
    for (SceneObj* child : obj.getChildren()) {
        if (child->canSave()) {
            if (children && saved < children->getChildCount())
                addUnsavedStrategies(*child, children->getChild(saved));
            ++saved;
        } else if (IsUnfoldingStrategy(child)) {
            if (!children)
                children = element.add("Children");
            child->write(*children->add(child->getClassName()));
        }
    }
}

} // namespace

std::string TakeSceneSnapshot(const SceneDocument& document) {
    XML node("SceneRoot", "");
    if (SceneRoot* root = document.getRoot()) {
        root->write(node);
        addUnsavedStrategies(*root, node);
    }
    return node.toString();
}

bool RestoreSceneSnapshot(SceneDocument& document, const std::string& snapshot,
                          std::string& error) {
    XML node;
    if (!node.parse(snapshot)) {
        error = "the undo record cannot be read: " + node.getError();
        return false;
    }
    std::string fileName, filePath;
    if (SceneRoot* old = document.getRoot()) {
        fileName = old->getFileName();
        filePath = old->getFilePath();
        // The views and panels let go of the selection before its object goes.
        old->select(nullptr);
    }
    if (!document.openNode(node, "undo record", error))
        return false;
    document.getRoot()->setFileName(fileName);
    document.getRoot()->setFilePath(filePath);
    document.getRoot()->onChanged(true);
    return true;
}
