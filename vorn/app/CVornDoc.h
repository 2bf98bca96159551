#pragma once

#include "scene/SceneEventHandler.h"
#include "vorn/core/SceneDocument.h"

#include <string>
#include <vector>

class Factory;
class PolyMesh;
class SceneRoot;

/// One scene document of the workbench. It hosts a `SceneDocument` (which owns the scene
/// root and reads and writes files) and hears the scene's events, passing them on to its
/// views in the order they were added; captures go to the first view only.
class CVornDoc : public SceneEventHandler {
public:
    CVornDoc();
    ~CVornDoc() override;
    CVornDoc(const CVornDoc&) = delete;
    CVornDoc& operator=(const CVornDoc&) = delete;

    /// Replaces the scene with a new empty root.
    void onNewDocument();
    /// Loads `path`; on failure the scene is unchanged and `error` says why.
    bool onOpenDocument(const std::string& path, std::string& error);
    /// Writes the scene text to `path` (the old file survives a failure).
    bool onSaveDocument(const std::string& path, std::string& error);
    /// The name offered for an OFF export; empty when there is no mesh to export.
    std::string proposeExportName() const;
    bool exportOff(const std::string& path, std::string& error) const;

    /// Builds the object named `className` and selects it after the current event. Shapes
    /// ("MathFn", "Coolinoid", "WitchHat", "BinTree") are coloured light grey; a
    /// "MetaSurface" gets extents (3, 3, 3) and one "MetaLine" source; a "ShortestPathViz"
    /// goes under the target mesh, everything else under the root. False, with `error`
    /// saying why when given, when there is no root, no factory builds the class or there
    /// is no target mesh; the scene is then unchanged.
    bool insertObject(const std::string& className, std::string* error = nullptr);
    /// Adds the scene object written in `xmlText` (one element named by its class) to the
    /// root and selects it after the current event. False, with `error` when given, when the
    /// text does not parse, names no scene object or cannot be read; the scene is unchanged.
    bool insertFromXml(const std::string& xmlText, std::string* error = nullptr);
    /// Attaches a new strategy of `factory` to the target mesh (replacing the net it had)
    /// and selects it after the current event, so its panel shows. Null, with `error`
    /// when given, when there is no mesh or the factory is not a strategy's.
    SceneObj* attachStrategy(Factory& factory, std::string* error = nullptr);
    /// True when some factory builds scene objects of `className`.
    static bool CanBuild(const std::string& className);

    SceneRoot* getRoot() const { return m_document.getRoot(); }
    PolyMesh* getTargetMesh() const { return m_document.getTargetMesh(); }
    const std::string& getPathName() const { return m_document.getPathName(); }
    /// The title shown on the document's window: the file name, or "Untitled".
    std::string getTitle() const;

    void addView(SceneEventHandler* view);
    void removeView(SceneEventHandler* view);

    void onRedrawRequest() override;
    void onFocusRequest(SceneObj* obj, const Viewpoint& vp) override;
    void onSelect(SceneObj* obj) override;
    bool onDeselectRequest(SceneObj* obj) override;
    bool onCaptureRequest(const std::string& path, int width, int height,
                          bool selectedOnly) override;

private:
    SceneDocument m_document;
    std::vector<SceneEventHandler*> m_views;
};
