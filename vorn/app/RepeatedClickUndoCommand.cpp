#include "vorn/app/RepeatedClickUndoCommand.h"

#include "common/StatusLine.h"
#include "scene/SceneObj.h"
#include "scene/SceneRoot.h"
#include "vorn/core/SceneDocument.h"

RepeatedClickUndoCommand::RepeatedClickUndoCommand(SceneDocument& document, const QString& name,
                                                   SceneObj& clicked,
                                                   const Sorvex::M3d& hitPoint)
    : QUndoCommand(name), m_document(document), m_place(PlaceInScene(clicked)),
      m_className(std::string(clicked.getClassName())), m_hitPoint(hitPoint) {}

void RepeatedClickUndoCommand::undo() {
    clickAgain();
}

void RepeatedClickUndoCommand::redo() {
    if (m_done) {
        m_done = false;
        return;
    }
    clickAgain();
}

void RepeatedClickUndoCommand::clickAgain() {
    SceneRoot* root = m_document.getRoot();
    SceneObj* obj = root ? ObjectAt(*root, m_place) : nullptr;
    // Changes made outside the undo stack may have moved things: never click a stranger.
    if (!obj || obj->getClassName() != m_className) {
        StatusMessage("%s", "the undo record no longer matches the scene");
        return;
    }
    obj->onLButtonUp(m_hitPoint);
}

std::vector<std::size_t> RepeatedClickUndoCommand::PlaceInScene(SceneObj& obj) {
    std::vector<std::size_t> place;
    for (SceneObj* child = &obj; SceneObj* parent = child->getParent(); child = parent) {
        const std::vector<SceneObj*>& siblings = parent->getChildren();
        std::size_t k = 0;
        while (k < siblings.size() && siblings[k] != child)
            ++k;
        place.push_back(k);
    }
    return {place.rbegin(), place.rend()};
}

SceneObj* RepeatedClickUndoCommand::ObjectAt(SceneRoot& root,
                                             const std::vector<std::size_t>& place) {
    SceneObj* obj = &root;
    for (std::size_t k : place) {
        const std::vector<SceneObj*>& children = obj->getChildren();
        if (k >= children.size())
            return nullptr;
        obj = children[k];
    }
    return obj;
}
