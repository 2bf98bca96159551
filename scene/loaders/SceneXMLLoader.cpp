#include "scene/loaders/SceneXMLLoader.h"

#include "common/XML.h"

VORN_DEFINE_FACTORY(SceneXMLLoader, "Loader")

bool SceneXMLLoader::load(const std::string& path, XML& into) {
    XML document;
    if (!document.fromFile(path))
        return fail(document.getError());
    into = std::move(document);
    return true;
}
