#pragma once

#include <QUndoCommand>

#include <string>

class SceneDocument;

/// One undoable step of a document: the scene before and after it, as snapshots
/// (see vorn/core/SceneSnapshot.h). Undo and redo put the whole scene back.
class SceneUndoCommand : public QUndoCommand {
public:
    /// The step has already been done when it is made, so the stack's first
    /// `redo` (on push) changes nothing.
    SceneUndoCommand(SceneDocument& document, const QString& name, std::string before,
                     std::string after);

    void undo() override;
    void redo() override;

private:
    void restore(const std::string& snapshot);

    SceneDocument& m_document;
    std::string m_before;
    std::string m_after;
    bool m_done = true;
};
