#pragma once

#include "sorvex/M3d.h"

#include <QUndoCommand>

#include <cstddef>
#include <string>
#include <vector>

class SceneDocument;
class SceneObj;
class SceneRoot;

/// One click on an object whose click is its own inverse (a manual unfolder's edge line:
/// a click toggles that cut, the next one toggles it back). Undo and redo click it again,
/// so a step costs no copy of the scene, however large the mesh. The object is kept as
/// its place in the scene tree, not its address: a step that rebuilt the scene from a
/// snapshot (undoing an insertion, say) leaves the same tree with new objects.
class RepeatedClickUndoCommand : public QUndoCommand {
public:
    /// The click has already been made when the step is made, so the stack's first
    /// `redo` (on push) changes nothing.
    RepeatedClickUndoCommand(SceneDocument& document, const QString& name, SceneObj& clicked,
                             const Sorvex::M3d& hitPoint);

    void undo() override;
    void redo() override;

    /// The child indices leading from the scene root down to `obj`.
    static std::vector<std::size_t> PlaceInScene(SceneObj& obj);
    /// The object at `place` below `root`; null when the tree has no such place.
    static SceneObj* ObjectAt(SceneRoot& root, const std::vector<std::size_t>& place);

private:
    void clickAgain();

    SceneDocument& m_document;
    std::vector<std::size_t> m_place;
    std::string m_className;
    Sorvex::M3d m_hitPoint;
    bool m_done = true;
};
