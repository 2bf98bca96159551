#pragma once

#include "common/CostPacer.h"
#include "sorvex/M3d.h"
#include "vorn/core/SceneDocument.h"

#include <QString>
#include <QUndoStack>

#include <string>

class Factory;
class PolyMesh;
class SceneEventHandler;
class SceneObj;
class SceneRoot;

/// One scene document of the workbench: the menus' names for what a `SceneDocument` does.
/// The scene's events reach the views through the `SceneDocument`, in the order the views
/// were added; captures go to the first view only.
class CVornDoc {
public:
    CVornDoc() = default;
    CVornDoc(const CVornDoc&) = delete;
    CVornDoc& operator=(const CVornDoc&) = delete;

    /// Replaces the scene with a new empty root.
    void onNewDocument();
    /// Loads `path`; on failure the scene is unchanged and `error` says why.
    bool onOpenDocument(const std::string& path, std::string& error);
    /// Writes the scene text to `path` (the old file survives a failure).
    bool onSaveDocument(const std::string& path, std::string& error);
    /// True when the scene differs from what was last opened, saved or made new. Once true it
    /// stays true until the next save. Cost: writes the scene text when the scene has asked
    /// for a redraw since the last call, and nothing otherwise.
    bool isModified();
    /// isModified for the mark a timer keeps on the window title: the scene text is written
    /// only when the last writing's cost allows it (CostPacer), so that a huge scene whose
    /// net grows live spends at most a twentieth of its time on the mark; otherwise the
    /// last answer stands. The question before closing asks isModified, which never waits.
    bool isModifiedPaced();
    /// Counts the scene's redraw requests: it moves whenever anything shown may have changed.
    unsigned long getChangeCount() const { return m_document.getChangeCount(); }
    /// The name offered for an OFF export; empty when there is no mesh to export.
    std::string proposeExportName() const;
    bool exportOff(const std::string& path, std::string& error) const {
        return m_document.exportOff(path, error);
    }

    /// See `SceneDocument::insertObject`.
    bool insertObject(const std::string& className, std::string* error = nullptr) {
        return m_document.insertObject(className, error);
    }
    /// See `SceneDocument::insertFromXml`.
    bool insertFromXml(const std::string& xmlText, std::string* error = nullptr) {
        return m_document.insertFromXml(xmlText, error);
    }
    /// See `SceneDocument::attachStrategy`.
    SceneObj* attachStrategy(Factory& factory, std::string* error = nullptr) {
        return m_document.attachStrategy(factory, error);
    }
    static bool CanBuild(const std::string& className) {
        return SceneDocument::CanBuild(className);
    }

    SceneRoot* getRoot() const { return m_document.getRoot(); }
    /// The scene text a save would write.
    std::string toText() const { return m_document.toText(); }
    PolyMesh* getTargetMesh() const { return m_document.getTargetMesh(); }
    const std::string& getPathName() const { return m_document.getPathName(); }
    /// The title shown on the document's window: the file name, or "Untitled".
    std::string getTitle() const { return m_document.getTitle(); }

    // ----- Undo -----

    /// The document's undo stack; each entry puts the scene back as it was.
    QUndoStack& getUndoStack() { return m_undo; }
    /// Begins an undoable step: the scene as it is now is kept. Steps begun while one is
    /// open belong to the outer one.
    void beginAction();
    /// Ends the step begun last. When the scene changed, the step goes on the undo stack as
    /// `name` (what the Edit menu's Undo item shows); otherwise nothing is recorded.
    /// `settle` carries out the deletions the step asked for first; a step run from a
    /// widget that they could delete (a panel's button) leaves them to the idle tick.
    void endAction(const QString& name, bool settle = true);
    /// Runs `action` as one undoable step named `name`; returns what it returns.
    template <typename F> auto perform(const QString& name, F&& action, bool settle = true) {
        beginAction();
        struct End {
            CVornDoc& doc;
            const QString& name;
            bool settle;
            ~End() { doc.endAction(name, settle); }
        } end{*this, name, settle};
        return action();
    }

    /// Clicks `obj` at `hitPoint` (its `onLButtonUp`) as one undoable step named `name`,
    /// for objects whose click is its own inverse (an edge line of a manual unfolder): the
    /// step is recorded as the click, undone and redone by clicking again, so no copy of
    /// the scene is taken. Nothing is recorded when the click changed nothing; inside an
    /// open step the click belongs to that step.
    void performSelfInverseClick(const QString& name, SceneObj& obj, const Sorvex::M3d& hitPoint);

    void addView(SceneEventHandler* view) { m_document.addView(view); }
    void removeView(SceneEventHandler* view) { m_document.removeView(view); }

private:
    /// Takes the current scene as the unmodified state.
    void markUnmodified();

    SceneDocument m_document;
    QUndoStack m_undo;
    std::string m_actionBefore;
    int m_actionDepth = 0;
    // The saved state is kept as a hash of its text, not a second copy of a large scene.
    size_t m_savedHash = 0;
    unsigned long m_checkedChangeCount = 0;
    bool m_modified = false;
    /// Writing a small scene (under 2 ms) is never paced.
    CostPacer m_textCheckPacer{20, std::chrono::milliseconds(2)};
};
