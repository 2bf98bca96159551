#include "vorn/core/batch/BatchTests.h"

#include "common/XML.h"
#include "scene/Factory.h"
#include "scene/mesh/PolyMesh.h"
#include "vorn/core/LoaderList.h"
#include "vorn/core/batch/TestLabels.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>

std::string RandomTestText(long n) {
    return n == 1 ? "<<1 Random Polyhedron>>" : "<<" + std::to_string(n) + " Random Polyhedra>>";
}

BatchTestEntry ParseTestText(const std::string& text, const std::string& sceneName) {
    BatchTestEntry entry;
    entry.listText = text;
    if (text.rfind("<<", 0) == 0 && text.find("Random") != std::string::npos) {
        const long n = std::strtol(text.c_str() + 2, nullptr, 10);
        entry.kind = n == 1 ? BatchTestKind::RandomSingle : BatchTestKind::RandomSeries;
        entry.testName = n == 1 ? "RandomPoly" : "RandomSeries";
        entry.count = n > 0 ? size_t(n) : 0;
    } else if (text == "<<Current Model>>") {
        entry.kind = BatchTestKind::CurrentModel;
        entry.testName = sceneName;
    } else {
        entry.kind = BatchTestKind::ModelFile;
        entry.testName = ModelTestName(text);
    }
    return entry;
}

void BatchTestList::add(BatchTestEntry entry) {
    if (entry.count == 0)
        return;
    m_size += entry.count;
    m_ends.push_back(m_size);
    m_entries.push_back(std::move(entry));
}

void BatchTestList::clear() {
    m_entries.clear();
    m_ends.clear();
    m_size = 0;
}

const BatchTestEntry& BatchTestList::at(size_t index) const {
    const auto end = std::upper_bound(m_ends.begin(), m_ends.end(), index);
    return m_entries.at(size_t(end - m_ends.begin()));
}

bool BatchTestList::hasRandomSeries() const {
    return std::any_of(m_entries.begin(), m_entries.end(), [](const BatchTestEntry& e) {
        return e.kind == BatchTestKind::RandomSeries;
    });
}

std::vector<std::string> ListModelFiles(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    const auto loaders = BuildLoaders();
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error))
            continue;
        const std::string name = it->path().filename().string();
        if (std::any_of(loaders.begin(), loaders.end(),
                        [&](const std::unique_ptr<Loader>& l) { return l->handles(name); }))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

/// The mesh held in `node`: read into `mesh` directly when the node is a
/// mesh, else the object's first mesh child is copied. Throws what reading throws.
bool readMeshNode(XML& node, PolyMesh& mesh) {
    std::unique_ptr<Factorable> built(Factory::BuildObj(node.getName()));
    auto* object = dynamic_cast<SceneObj*>(built.get());
    if (!object)
        return false;
    if (dynamic_cast<PolyMesh*>(object)) {
        mesh.read(node);
        return true;
    }
    object->read(node);
    for (SceneObj* child : object->getChildren()) {
        if (auto* found = dynamic_cast<PolyMesh*>(child)) {
            found->copy(mesh);
            return true;
        }
    }
    return false;
}

} // namespace

std::unique_ptr<PolyMesh> LoadTestModel(const std::string& path, std::string* error) {
    std::string why;
    if (!std::filesystem::is_regular_file(path)) {
        why = "no such file";
    } else {
        // Mesh files open straight into a mesh, as the workbench and the CLI open them;
        // scenes come back as a node whose first mesh is taken.
        LoadedFile loaded;
        if (LoadFile(path, loaded, why)) {
            try {
                std::unique_ptr<PolyMesh> mesh = std::move(loaded.mesh);
                bool read = mesh != nullptr;
                if (!mesh) {
                    mesh = std::make_unique<PolyMesh>();
                    read = readMeshNode(loaded.node, *mesh);
                }
                if (read && mesh->getPolyCount() > 0)
                    return mesh;
                why = read ? "the mesh has no faces" : "the file holds no mesh";
            } catch (const std::exception& e) {
                why = e.what();
            }
        }
    }
    if (error)
        *error = why.rfind(path, 0) == 0 ? why : path + ": " + why;
    return nullptr;
}
