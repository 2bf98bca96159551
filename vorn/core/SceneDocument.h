#pragma once

#include "scene/SceneEventHandler.h"

#include <memory>
#include <string>
#include <vector>

class Factory;
class PolyMesh;
class SceneObj;
class SceneRoot;
class XML;

/// One scene document: owns a `SceneRoot` (none before the first new or open)
/// and everything under it. It is the root's event handler and passes the
/// scene's events on to its views. Open and save never lose data: a file
/// that cannot be read leaves the document as it was, a failed save leaves
/// the old file as it was.
class SceneDocument : public SceneEventHandler {
public:
    SceneDocument();
    ~SceneDocument() override;
    SceneDocument(const SceneDocument&) = delete;
    SceneDocument& operator=(const SceneDocument&) = delete;

    /// Replaces the root with a new empty one.
    void newDocument();
    /// Reads `path` with the first registered loader that handles its name and
    /// loads it. On success the old root is replaced, the root learns the
    /// file's name and folder, and a lone top-level object is selected after
    /// the current event (`SceneObj::DelayedSelect`). On failure returns false,
    /// keeps the document unchanged and sets `error` to one line naming the file.
    bool open(const std::string& path, std::string& error);
    /// Replaces the root with the scene read from `node` (named "SceneRoot",
    /// or by the class of a single object), as open does after loading.
    /// `sourceName` prefixes error messages. The node may be changed by reading.
    bool openNode(XML& node, const std::string& sourceName, std::string& error);
    /// One line saying what the last successful open or openNode skipped (objects of
    /// unknown classes, a root that is not a scene); empty when nothing was.
    const std::string& getWarning() const { return m_warning; }
    /// Writes the scene text to `path` atomically. On failure the old file is
    /// untouched and `error` names the file and the reason.
    bool save(const std::string& path, std::string& error);
    /// The scene text that save writes.
    std::string toText() const;

    SceneRoot* getRoot() const { return m_root.get(); }
    /// The path last opened or saved; empty for a new document.
    const std::string& getPathName() const { return m_pathName; }

    /// The mesh export works on: the selection's outermost mesh, or the
    /// root's first mesh child; null when there is none.
    PolyMesh* getTargetMesh() const;
    /// The name offered for an OFF export of this document.
    std::string proposeOffName() const;
    /// Writes the target mesh to `path` in OFF; false with `error` when there
    /// is no target mesh or the file cannot be written.
    bool exportOff(const std::string& path, std::string& error) const;

    /// The title shown for the document: the file name, or "Untitled".
    std::string getTitle() const;

    // Insertion (SceneDocumentInsert.cpp). Each refusal leaves the scene unchanged and,
    // when `error` is given, says why in one line.

    /// Builds the object named `className` and selects it after the current event. Shapes
    /// ("MathFn", "Coolinoid", "WitchHat", "BinTree") are coloured light grey; a
    /// "MetaSurface" gets extents (3, 3, 3) and one "MetaLine" source; a "ShortestPathViz"
    /// goes under the target mesh, everything else under the root. Refused when there is
    /// no root, no factory builds the class or there is no target mesh.
    bool insertObject(const std::string& className, std::string* error = nullptr);
    /// Adds the scene object written in `xmlText` (one element named by its class) to the
    /// root and selects it after the current event. Refused when the text does not parse,
    /// names no scene object or cannot be read.
    bool insertFromXml(const std::string& xmlText, std::string* error = nullptr);
    /// Attaches a new strategy of `factory` to the target mesh (replacing the net it had)
    /// and selects it after the current event, so its panel shows. Null when there is no
    /// mesh or the factory is not a strategy's.
    SceneObj* attachStrategy(Factory& factory, std::string* error = nullptr);
    /// True when some factory builds scene objects of `className`.
    static bool CanBuild(const std::string& className);

    /// How many times the scene has asked to be redrawn: every change to what it holds asks,
    /// so an unchanged count means an unchanged scene (the converse does not hold: selecting
    /// asks too).
    unsigned long getChangeCount() const { return m_changeCount; }

    /// Views hear the scene's events (not owned; the first view answers captures).
    void addView(SceneEventHandler* view);
    void removeView(SceneEventHandler* view);

    void onRedrawRequest() override;
    void onFocusRequest(SceneObj* obj, const Viewpoint& vp) override;
    void onSelect(SceneObj* obj) override;
    bool onDeselectRequest(SceneObj* obj) override;
    bool onCaptureRequest(const std::string& path, int width, int height,
                          bool selectedOnly) override;

private:
    /// Replaces the root with a new one holding `mesh`, as openNode does with a
    /// mesh file's node.
    bool openMesh(std::unique_ptr<PolyMesh> mesh, const std::string& sourceName,
                  std::string& error);
    /// Takes `root` as the document's root, dropping the old one.
    void adoptRoot(std::unique_ptr<SceneRoot> root);
    void dropRoot();

    std::unique_ptr<SceneRoot> m_root;
    std::string m_pathName;
    std::string m_warning;
    std::vector<SceneEventHandler*> m_views;
    unsigned long m_changeCount = 0;
};
