#include "vorn/core/LoaderList.h"

#include "common/XML.h"
#include "scene/Factory.h"
#include "scene/loaders/MeshFileLoader.h"
#include "scene/mesh/PolyMesh.h"

#include <algorithm>
#include <new>

std::vector<std::unique_ptr<Loader>> BuildLoaders() {
    std::vector<std::unique_ptr<Loader>> loaders;
    for (Factory* factory : Factory::GetFactoryList()) {
        std::string_view name = factory->getClassName();
        if (name == "Loader" || name.find("Loader") == std::string_view::npos)
            continue;
        std::unique_ptr<Factorable> object(factory->newInstance());
        if (auto* loader = dynamic_cast<Loader*>(object.get())) {
            object.release();
            loaders.emplace_back(loader);
        }
    }
    return loaders;
}

std::vector<std::unique_ptr<Loader>> BuildOpenDialogLoaders() {
    std::vector<std::unique_ptr<Loader>> loaders = BuildLoaders();
    std::stable_partition(loaders.begin(), loaders.end(),
                          [](const auto& loader) { return loader->getExtension() == ".xml"; });
    return loaders;
}

OpenFilter BuildOpenFilter() {
    OpenFilter filter;
    for (const auto& loader : BuildOpenDialogLoaders()) {
        std::string ext(loader->getExtension());
        filter.text += std::string(loader->getDescription()) + " (*" + ext + ")";
        filter.text += '\0';
        filter.text += "*" + ext;
        filter.text += '\0';
        ++filter.customFilterCount;
    }
    filter.text += "All Files (*.*)";
    filter.text += '\0';
    filter.text += "*.*";
    filter.text += '\0';
    return filter;
}

namespace {

/// Offers `path` to every loader that handles its name, in factory order, until `attempt`
/// succeeds with one; `attempt` must leave the caller's state alone when it fails.
template <typename Attempt>
bool loadWithFirstLoader(const std::string& path, std::string& error, Attempt&& attempt) {
    std::string lastError;
    bool handled = false;
    for (const std::unique_ptr<Loader>& loader : BuildLoaders()) {
        if (!loader->handles(path))
            continue;
        handled = true;
        bool loaded = false;
        try {
            loaded = attempt(*loader);
        } catch (const std::bad_alloc&) {
            // A model too large for this machine must not end the program, and the
            // documents already open with it.
            error = path + ": not enough memory to load this file";
            return false;
        }
        if (loaded)
            return true;
        lastError = loader->getError();
    }
    error = handled ? lastError : path + ": unknown file type (no loader reads this extension)";
    return false;
}

} // namespace

bool LoadWithLoaders(const std::string& path, XML& node, std::string& error) {
    return loadWithFirstLoader(path, error, [&](Loader& loader) {
        // Each loader starts from the node as given, whatever a failed one left in it.
        XML attempt(node);
        if (!loader.load(path, attempt))
            return false;
        node = std::move(attempt);
        return true;
    });
}

LoadedFile::LoadedFile() = default;
LoadedFile::~LoadedFile() = default;

bool LoadFile(const std::string& path, LoadedFile& out, std::string& error) {
    return loadWithFirstLoader(path, error, [&](Loader& loader) {
        if (auto* meshLoader = dynamic_cast<MeshFileLoader*>(&loader)) {
            auto mesh = std::make_unique<PolyMesh>();
            if (!meshLoader->loadMesh(path, *mesh))
                return false;
            out.mesh = std::move(mesh);
            return true;
        }
        XML attempt(out.node);
        if (!loader.load(path, attempt))
            return false;
        out.node = std::move(attempt);
        return true;
    });
}
