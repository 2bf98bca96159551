#pragma once

#include "scene/SceneObj.h"
#include "scene/Viewpoint.h"

#include <cstdint>
#include <string>

class SceneEventHandler;

/// The top of a scene document's tree. It remembers the document's file name and folder
/// and a stored viewpoint, holds the current selection and delivers the scene's events
/// (redraw, focus, select, deselect, capture) to its event handler.
class SceneRoot : public SceneObj {
    VORN_DECLARE_FACTORY(SceneRoot)

    SceneRoot();
    ~SceneRoot() override;

    void setFileName(const std::string& name) { m_fileName = name; }
    const std::string& getFileName() const { return m_fileName; }
    /// The folder the document lives in.
    void setFilePath(const std::string& path) { m_filePath = path; }
    const std::string& getFilePath() const { return m_filePath; }

    void setViewpoint(const Viewpoint& vp) { m_viewpoint = vp; }
    const Viewpoint& getViewpoint() const { return m_viewpoint; }

    /// The handler that receives the scene's events (not owned; null for none). A document
    /// sets itself when it creates the root and clears it before deleting the root.
    void setEventHandler(SceneEventHandler* handler) { m_handler = handler; }
    SceneEventHandler* getEventHandler() const { return m_handler; }
    /// Set whenever anything in the scene reports a change; the document clears it after
    /// creating, loading or saving the scene.
    void setModified(bool modified) { m_modified = modified; }
    bool isModified() const { return m_modified; }

    /// The selected object, or null.
    SceneObj* getSelection() const { return m_selection; }
    /// Makes `obj` the selection (null deselects). The previous selection gets
    /// `onDeselected`; the handler hears `onSelect`. Objects that are not in this scene or
    /// refuse selection (`canSelect`) are ignored.
    void select(SceneObj* obj);
    /// Clears the selection when it is `obj` or lies below it; true when it did.
    bool deselect(SceneObj* obj);
    /// Asks the handler to redraw, and moves the revision on.
    void requestRedraw();
    /// Something in the scene changed: sets the modified flag and asks for a redraw.
    void markChanged();

    void onFocusRequest(SceneObj* obj, const Viewpoint& vp) override;
    void onSelectionRequest(SceneObj* obj) override;
    bool onDeselectionRequest(SceneObj* obj) override;
    bool onCapRequest(const std::string& path, int width, int height, bool selectedOnly) override;
    /// The root is never saved among other objects' children, copied or deleted by the user.
    bool canSave() override { return false; }
    bool canCopy() override { return false; }
    bool canDelete() override { return false; }
    /// The root also stores its viewpoint ("Viewpoint", in the viewpoint's text form).
    void read(XML& xml) override;
    void write(XML& xml) override;
    /// A root cannot become a child of another object.
    bool setParent(SceneObj* parent) override;

    /// Called by `SceneObj` when `obj` (in this scene) is about to be destroyed.
    void onObjectDestroyed(SceneObj* obj);

    /// Moves on whenever the scene asks to be redrawn (every change of what it holds or
    /// draws asks, see `SceneObj::requestSceneRedraw`) and whenever the selection changes.
    /// No two scenes of the process ever share a revision, so whatever is kept about a
    /// scene under its revision (a picking collection) is still right while it is equal.
    std::uint64_t getRevision() const { return m_revision; }

private:
    std::string m_fileName;
    std::string m_filePath;
    Viewpoint m_viewpoint;
    SceneEventHandler* m_handler = nullptr;
    bool m_modified = false;
    SceneObj* m_selection = nullptr;
    std::uint64_t m_revision;
};
