#include "vorn/app/CVornDoc.h"

#include "scene/SceneObj.h"
#include "vorn/app/RepeatedClickUndoCommand.h"
#include "vorn/app/SceneUndoCommand.h"
#include "vorn/core/SceneSnapshot.h"

#include <functional>
#include <memory>

void CVornDoc::beginAction() {
    if (m_actionDepth++ == 0)
        m_actionBefore = TakeSceneSnapshot(m_document);
}

void CVornDoc::endAction(const QString& name, bool settle) {
    if (m_actionDepth == 0 || --m_actionDepth > 0)
        return;
    // Deletions and selections asked for during the step belong to it.
    if (settle)
        SceneObj::ProcessDelayedOperations();
    std::string after = TakeSceneSnapshot(m_document);
    if (after != m_actionBefore)
        m_undo.push(
            new SceneUndoCommand(m_document, name, std::move(m_actionBefore), std::move(after)));
    m_actionBefore.clear();
}

void CVornDoc::performSelfInverseClick(const QString& name, SceneObj& obj,
                                       const Sorvex::M3d& hitPoint) {
    if (m_actionDepth > 0) {
        obj.onLButtonUp(hitPoint);
        return;
    }
    // Made before the click, which may select or delete things, moving the object.
    auto step = std::make_unique<RepeatedClickUndoCommand>(m_document, name, obj, hitPoint);
    const unsigned long changes = m_document.getChangeCount();
    obj.onLButtonUp(hitPoint);
    SceneObj::ProcessDelayedOperations();
    // Every change of the scene asks for a redraw, which the document counts.
    if (m_document.getChangeCount() != changes)
        m_undo.push(step.release());
}

void CVornDoc::onNewDocument() {
    m_undo.clear();
    m_document.newDocument();
    markUnmodified();
}

bool CVornDoc::onOpenDocument(const std::string& path, std::string& error) {
    if (!m_document.open(path, error))
        return false;
    m_undo.clear();
    markUnmodified();
    return true;
}

bool CVornDoc::onSaveDocument(const std::string& path, std::string& error) {
    if (!m_document.save(path, error))
        return false;
    markUnmodified();
    return true;
}

bool CVornDoc::isModified() {
    if (m_modified || m_document.getChangeCount() == m_checkedChangeCount)
        return m_modified;
    const CostPacer::Clock::time_point start = CostPacer::Clock::now();
    m_checkedChangeCount = m_document.getChangeCount();
    m_modified = std::hash<std::string>{}(m_document.toText()) != m_savedHash;
    m_textCheckPacer.ran(start, CostPacer::Clock::now());
    return m_modified;
}

bool CVornDoc::isModifiedPaced() {
    if (m_modified || m_document.getChangeCount() == m_checkedChangeCount ||
        !m_textCheckPacer.isDue(CostPacer::Clock::now()))
        return m_modified;
    return isModified();
}

void CVornDoc::markUnmodified() {
    m_savedHash = std::hash<std::string>{}(m_document.toText());
    m_checkedChangeCount = m_document.getChangeCount();
    m_modified = false;
}

std::string CVornDoc::proposeExportName() const {
    if (!m_document.getTargetMesh())
        return {};
    return m_document.proposeOffName();
}
