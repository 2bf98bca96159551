#include "vorn/app/SceneUndoCommand.h"

#include "common/StatusLine.h"
#include "vorn/core/SceneSnapshot.h"

SceneUndoCommand::SceneUndoCommand(SceneDocument& document, const QString& name, std::string before,
                                   std::string after)
    : QUndoCommand(name), m_document(document), m_before(std::move(before)),
      m_after(std::move(after)) {}

void SceneUndoCommand::undo() {
    restore(m_before);
}

void SceneUndoCommand::redo() {
    if (m_done) {
        m_done = false;
        return;
    }
    restore(m_after);
}

void SceneUndoCommand::restore(const std::string& snapshot) {
    std::string error;
    if (!RestoreSceneSnapshot(m_document, snapshot, error))
        StatusMessage("%s", error.c_str());
}
