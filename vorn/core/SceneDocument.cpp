#include "vorn/core/SceneDocument.h"

#include "common/AtomicFile.h"
#include "common/XML.h"
#include "scene/Factory.h"
#include "scene/SceneReadReport.h"
#include "scene/SceneRoot.h"
#include "scene/mesh/PolyMesh.h"
#include "vorn/core/LoaderList.h"
#include "vorn/core/OffExport.h"
#include "vorn/core/TargetMesh.h"

#include <algorithm>
#include <exception>
#include <new>

namespace {

std::string fileNameOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

/// The folder part of `path`, with its trailing '/'; empty for a bare name.
std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

/// Reads `node` into a fresh root; `warning` says what was skipped. Throws what the
/// objects' `read` throws.
std::unique_ptr<SceneRoot> readScene(XML& node, std::string& warning) {
    auto root = std::make_unique<SceneRoot>();
    SceneReadReport report;
    if (node.getName() == "SceneRoot") {
        root->read(node);
        warning = report.summary();
        return root;
    }
    std::unique_ptr<Factorable> built(Factory::BuildObj(node.getName()));
    if (auto* object = dynamic_cast<SceneObj*>(built.get())) {
        object->read(node);
        built.release();
        object->setParent(root.get());
        warning = report.summary();
    } else {
        warning = "no SceneRoot element; the root element '" + node.getName() +
                  "' is not a scene object, so nothing was read";
    }
    return root;
}

} // namespace

SceneDocument::SceneDocument() = default;

SceneDocument::~SceneDocument() {
    dropRoot();
}

void SceneDocument::dropRoot() {
    if (m_root) {
        m_root->setEventHandler(nullptr);
        m_root.reset();
    }
}

void SceneDocument::adoptRoot(std::unique_ptr<SceneRoot> root) {
    dropRoot();
    m_root = std::move(root);
    m_root->setEventHandler(this);
    m_root->setModified(false);
}

void SceneDocument::newDocument() {
    adoptRoot(std::make_unique<SceneRoot>());
    m_pathName.clear();
}

bool SceneDocument::open(const std::string& path, std::string& error) {
    LoadedFile loaded;
    if (!LoadFile(path, loaded, error))
        return false;
    if (loaded.mesh) {
        if (!openMesh(std::move(loaded.mesh), path, error))
            return false;
    } else if (!openNode(loaded.node, path, error)) {
        return false;
    }
    m_root->setFileName(fileNameOf(path));
    m_root->setFilePath(folderOf(path));
    m_root->onChanged(true);
    if (m_root->getChildren().size() == 1)
        SceneObj::DelayedSelect(m_root->getChildren().front());
    m_pathName = path;
    return true;
}

bool SceneDocument::openNode(XML& node, const std::string& sourceName, std::string& error) {
    std::unique_ptr<SceneRoot> root;
    std::string warning;
    try {
        root = readScene(node, warning);
    } catch (const SceneReadError& e) {
        error = sourceName + ": " + e.what();
        return false;
    } catch (const std::bad_alloc&) {
        error = sourceName + ": not enough memory to read the scene";
        return false;
    } catch (const std::exception& e) {
        // Anything else thrown while reading (out of memory, a failed
        // conversion) must not leave a half-read scene behind either.
        error = sourceName + ": cannot read the scene: " + e.what();
        return false;
    }
    adoptRoot(std::move(root));
    m_warning = warning.empty() ? std::string() : sourceName + ": " + warning;
    return true;
}

bool SceneDocument::openMesh(std::unique_ptr<PolyMesh> mesh, const std::string& sourceName,
                             std::string& error) {
    std::unique_ptr<SceneRoot> root;
    try {
        root = std::make_unique<SceneRoot>();
        // The root owns the mesh once attached; until then the mesh is still ours.
        mesh->setParent(root.get());
        mesh.release();
    } catch (const std::bad_alloc&) {
        error = sourceName + ": not enough memory to read the scene";
        return false;
    }
    adoptRoot(std::move(root));
    m_warning.clear();
    return true;
}

std::string SceneDocument::toText() const {
    XML node("SceneRoot", "");
    if (m_root)
        m_root->write(node);
    return node.toString();
}

bool SceneDocument::save(const std::string& path, std::string& error) {
    if (!WriteFileAtomically(path, toText(), &error))
        return false;
    m_pathName = path;
    if (m_root)
        m_root->setModified(false);
    return true;
}

PolyMesh* SceneDocument::getTargetMesh() const {
    return m_root ? FindTargetMesh(m_root.get(), m_root->getSelection()) : nullptr;
}

std::string SceneDocument::proposeOffName() const {
    return ProposeOffName(m_root ? m_root->getFileName() : std::string());
}

bool SceneDocument::exportOff(const std::string& path, std::string& error) const {
    PolyMesh* mesh = getTargetMesh();
    if (!mesh) {
        std::string name = m_pathName.empty() ? std::string("document") : m_pathName;
        error = name + ": no mesh to export";
        return false;
    }
    return ExportOff(*mesh, path, error);
}

std::string SceneDocument::getTitle() const {
    return m_pathName.empty() ? std::string("Untitled") : fileNameOf(m_pathName);
}

void SceneDocument::addView(SceneEventHandler* view) {
    if (view && std::find(m_views.begin(), m_views.end(), view) == m_views.end())
        m_views.push_back(view);
}

void SceneDocument::removeView(SceneEventHandler* view) {
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

void SceneDocument::onRedrawRequest() {
    ++m_changeCount;
    for (SceneEventHandler* view : m_views)
        view->onRedrawRequest();
}

void SceneDocument::onFocusRequest(SceneObj* obj, const Viewpoint& vp) {
    for (SceneEventHandler* view : m_views)
        view->onFocusRequest(obj, vp);
}

void SceneDocument::onSelect(SceneObj* obj) {
    for (SceneEventHandler* view : m_views)
        view->onSelect(obj);
}

bool SceneDocument::onDeselectRequest(SceneObj* obj) {
    // The answer is the last view's, as every view is asked in turn.
    bool result = false;
    for (SceneEventHandler* view : m_views)
        result = view->onDeselectRequest(obj);
    return result;
}

bool SceneDocument::onCaptureRequest(const std::string& path, int width, int height,
                                     bool selectedOnly) {
    return !m_views.empty() && m_views.front()->onCaptureRequest(path, width, height, selectedOnly);
}
