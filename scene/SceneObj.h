#pragma once

#include "scene/ChangeListener.h"
#include "scene/Factorable.h"
#include "scene/Factory.h"
#include "scene/Selectable.h"
#include "scene/Viewpoint.h"
#include "sorvex/M3d.h"
#include "sorvex/M4x4.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class XML;
class Renderer;
class SceneRoot;

/// Thrown by `read(XML&)` when the stored data cannot be used (a vertex text that is not a
/// vector, a face index out of range, a non-finite transform, ...). The message names what
/// is wrong. See `SceneObj::read` for the contract.
class SceneReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A node of the scene tree: a parent, ordered owned children, a local transform and the
/// operations every scene object answers. Objects are built by class name
/// (`Factory::BuildObj`) and attached with `setParent`; a parent deletes its children.
/// Delete objects that may still be in use by the current event with `DelayedDelete`.
///
/// Sources: SceneObj.cpp (tree, changes, requests, drawing, interaction),
/// SceneObjXML.cpp (persistence, cloning), SceneObjDelayed.cpp (deferred operations).
class SceneObj : public Factorable, public Selectable, public ChangeListener {
    VORN_DECLARE_FACTORY(SceneObj)

    SceneObj();
    /// Detaches from the parent, drops this object from the delayed queues, the selection
    /// and every change-listener link, then deletes the children.
    ~SceneObj() override;

    // ----- Tree and transform -----

    /// The object's centre in its own (local) frame; the origin by default.
    virtual Sorvex::M3d getCenter();
    /// Moves the object by `d`, given in its parent's frame.
    virtual void translate(const Sorvex::M3d& d);
    /// Appends `child` (taking ownership), first detaching it from its old parent. Refused
    /// (false) for null, this object or one of its ancestors. Does not run the child's
    /// `setParent`: attach objects with `setParent`, which subclasses extend.
    virtual bool addChild(SceneObj* child);
    /// Removes `child` without deleting it; ownership passes to the caller. False when it
    /// is not a child of this object.
    virtual bool remChild(SceneObj* child);
    /// Makes this object the last child of `parent` (null: detached, owned by the caller).
    /// Refused (false, nothing changed) when `parent` is this object or a descendant.
    virtual bool setParent(SceneObj* parent);
    virtual SceneObj* getParent();

    // ----- Changes -----

    /// Reports a change of this object: every direct child and every change listener gets
    /// `onTargetChanged(this, structural)`, and the scene is asked to redraw. The message
    /// goes one level only: a child that must pass it on does so in its own handler.
    virtual void onChanged(bool structural);
    /// Registers `l` to hear this object's changes (not owned; ignored when already there).
    virtual void addChangeListener(ChangeListener* l);
    virtual void remChangeListener(ChangeListener* l);
    /// An object this one depends on (its parent, or an object it listens to) changed.
    /// Does nothing by default.
    void onTargetChanged(SceneObj* target, bool structural) override;

    // ----- Requests that travel up to the scene root -----

    /// Asks whoever shows the scene to move the camera to `obj`. Passed to the parent;
    /// the root hands it to its event handler.
    virtual void onFocusRequest(SceneObj* obj, const Viewpoint& vp);
    /// Asks for `obj` to become the selection. Passed to the parent; the root selects it.
    virtual void onSelectionRequest(SceneObj* obj);
    /// Asks for `obj` to stop being selected; true when it was deselected.
    virtual bool onDeselectionRequest(SceneObj* obj);
    /// Asks for a capture of the scene into `path` (an empty path ends a capture series);
    /// true on success. False when the object is not in a scene with an event handler.
    virtual bool onCapRequest(const std::string& path, int width, int height, bool selectedOnly);
    /// Carries out a selection queued with `DelayedSelect`: `onSelectionRequest(this)`.
    virtual void delayedSelect();

    // ----- Drawing and picking -----

    /// Opacity while drawn by `r`: 1 is opaque.
    virtual double getTransparency(Renderer* r);
    /// True when a pick that hits `child` (a descendant) selects this object instead.
    virtual bool takeChildPick(SceneObj* child);
    /// Whether the object itself, and its children, take part in picking.
    virtual bool isPickable();
    virtual bool isFamilyPickable();
    /// Called before `renderSelf`, under the object's transform.
    virtual void preRender(Renderer* r);
    /// Draws the object (not its children) in its local frame. Nothing by default.
    virtual void renderSelf(Renderer* r);

    // ----- Drawing reuse -----
    // A renderer that keeps drawings between frames (the workbench's view) reuses what an
    // object drew as long as its stamp is unchanged. Stamps come from one counter shared by
    // every object, so a kept drawing is never mistaken for another object's.

    /// Changes whenever anything the object draws may have changed: on every onChanged,
    /// requestSceneRedraw and markDrawingChanged.
    std::uint64_t getDrawingStamp() const { return m_drawingStamp; }
    /// Changes when what is drawn changed in place (onChanged(false), markDrawingChanged),
    /// as opposed to things being added or removed.
    std::uint64_t getInPlaceStamp() const { return m_inPlaceStamp; }
    /// How many structural changes (onChanged(true)) the object has reported.
    std::uint64_t getStructuralChanges() const { return m_structuralChanges; }
    /// For code that changes what the object draws without reporting it at once (vertices
    /// moved while a net grows, reported later as a structural change).
    void markDrawingChanged();
    /// True for classes whose renderSelf draws nothing that can change without the drawing
    /// stamp changing (after `refreshDrawingStamp`): a renderer may then reuse its last
    /// drawing. False by default: the object is drawn afresh every time.
    virtual bool reusesDrawing();
    /// Called by a renderer that keeps drawings just before it reads the stamps: an object
    /// whose drawing depends on other objects compares them with what it last drew here
    /// and marks its drawing changed when they differ. Nothing by default.
    virtual void refreshDrawingStamp();
    /// A stamp no object has had yet.
    static std::uint64_t NewDrawingStamp();

    // ----- User interaction -----

    virtual void onDeselected();
    /// The left button was released over this object, which is the selection.
    virtual void onLButtonUp(const Sorvex::M3d& hitPoint);
    /// The mouse hovers over `hitPoint` (world coordinates) of this object.
    virtual void onMouseOver(const Sorvex::M3d& hitPoint);
    /// The mouse moved off this object (after an `onMouseOver`). Nothing by default.
    virtual void onMouseLeave() {}
    /// Dragging of this object begins / ends; the parent hears `onBeginChildDrag` /
    /// `onEndChildDrag`.
    virtual void onBeginDrag();
    virtual void onEndDrag();
    virtual void onBeginChildDrag(SceneObj* child);
    virtual void onEndChildDrag(SceneObj* child);

    // ----- Capabilities, clipboard, cloning -----

    /// Whether the object is written into documents among its parent's children.
    virtual bool canSave();
    virtual bool canCopy();
    virtual bool canDelete();
    /// Where a pasted copy of this object goes, given the scene root and the selection
    /// (either may be null); null: it cannot be pasted. By default the root.
    virtual SceneObj* canPaste(SceneObj* root, SceneObj* selection);
    /// The object's default action (a double-click); returns the object to select, or null.
    virtual SceneObj* doDefaultAction();
    virtual bool canSelect();
    /// A copy built by class name, read from this object's `write` output, attached to the
    /// same parent with the same transform, then told `onBeingCloned(this)`. Null when the
    /// class cannot be built or the copy fails to read.
    virtual SceneObj* clone();
    /// Called on a fresh copy made by `clone`.
    virtual void onBeingCloned(SceneObj* original);
    /// Called on an object read from the clipboard, before it is attached.
    virtual void onBeingPasted();

    // ----- Persistence -----

    /// Reads the object's values from `xml` (the element named by its class name).
    /// Subclasses call their base's `read` first, then read their own named child
    /// elements, using the defaults of the read* helpers for missing ones.
    /// The base reads the "Transform" element and builds every element inside "Children"
    /// by its class name, reads it and attaches it; names no factory builds are skipped.
    ///
    /// Error contract: each class validates what it reads before changing anything and
    /// throws `SceneReadError` when the data cannot be used, so its own part of the object
    /// is never half-changed. Parts read by bases before the failure may already have
    /// changed, so callers read into fresh objects and discard them when `read` throws
    /// (the document loader and paste do); the old scene then stays as it was.
    virtual void read(XML& xml);
    /// Appends the object's values to `xml` as named child elements (subclasses: after
    /// their base's). The base writes "Transform" when it is not the identity and, when
    /// any child `canSave()`, a "Children" element holding one element per such child,
    /// named by its class name.
    virtual void write(XML& xml);

    /// Reads the child element `name` of `xml`; the default when it is missing or
    /// unreadable. Booleans are true exactly when the text is "true".
    static bool readBool(XML& xml, const char* name, bool def);
    static int readInt(XML& xml, const char* name, int def);
    static double readDouble(XML& xml, const char* name, double def);
    /// Vectors are stored in the `M3d` text form.
    static Sorvex::M3d readVector(XML& xml, const char* name, const Sorvex::M3d& def);

    // ----- Non-virtual helpers -----

    const std::vector<SceneObj*>& getChildren() const { return m_children; }
    Sorvex::M3d getTranslation() const;
    void setTransform(const Sorvex::M4x4& m);
    const Sorvex::M4x4& getTransform() const { return m_transform; }
    /// The product of the transforms from the root down to this object.
    Sorvex::M4x4 getWorldTransform() const;
    /// The scene root above this object (itself when it is one), or null.
    SceneRoot* getRoot();
    /// Asks the scene this object is in (if any) to redraw: for changes that are not
    /// changes of the object's data (moves, children added or removed).
    void requestSceneRedraw();
    /// True when `other` is this object or lies below it.
    bool isAncestorOf(const SceneObj* other) const;

    // ----- Deferred operations -----

    /// Deletes `obj` (detaching it first) at the next `ProcessDelayedOperations`. Queuing
    /// the same object twice deletes it once.
    static void DelayedDelete(SceneObj* obj);
    /// Selects `obj` (its `delayedSelect`) at the next `ProcessDelayedOperations`.
    static void DelayedSelect(SceneObj* obj);
    /// Carries out the queued deletions, then the queued selections. The host calls it
    /// after each event and idle tick. An object deleted before its turn (directly or with
    /// its parent) is dropped from both queues, so nothing is touched twice. The queues are
    /// per thread: objects are queued and processed by the thread that owns them.
    static void ProcessDelayedOperations();
    /// At exit: carries out what is queued and empties the queues.
    static void Cleanup();

private:
    void detachListeners();
    /// Drops `obj` from this thread's delayed queues.
    static void ForgetDelayed(SceneObj* obj);

    SceneObj* m_parent = nullptr;
    std::vector<SceneObj*> m_children;
    Sorvex::M4x4 m_transform;
    std::vector<ChangeListener*> m_listeners;
    /// Objects this one listens to, so the links can be undone when it is destroyed.
    std::vector<SceneObj*> m_listeningTo;
    std::uint64_t m_drawingStamp = NewDrawingStamp();
    std::uint64_t m_inPlaceStamp = m_drawingStamp;
    std::uint64_t m_structuralChanges = 0;
};
