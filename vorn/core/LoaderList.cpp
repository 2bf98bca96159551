#include "vorn/core/LoaderList.h"

#include "common/XML.h"
#include "scene/Factory.h"

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

bool LoadWithLoaders(const std::string& path, XML& node, std::string& error) {
    std::string lastError;
    bool handled = false;
    for (const std::unique_ptr<Loader>& loader : BuildLoaders()) {
        if (!loader->handles(path))
            continue;
        handled = true;
        // Each loader starts from the node as given, whatever a failed one left in it.
        XML attempt(node);
        bool loaded = false;
        try {
            loaded = loader->load(path, attempt);
        } catch (const std::bad_alloc&) {
            // A model too large for this machine must not end the program, and the
            // documents already open with it.
            error = path + ": not enough memory to load this file";
            return false;
        }
        if (loaded) {
            node = std::move(attempt);
            return true;
        }
        lastError = loader->getError();
    }
    error = handled ? lastError : path + ": unknown file type (no loader reads this extension)";
    return false;
}
