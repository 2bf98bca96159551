#pragma once

#include "scene/loaders/Loader.h"

/// Reads scene documents (".xml"): the file's XML tree becomes the node, named
/// by the file's top element ("SceneRoot", or a single object such as
/// "PolyMesh"). The elements are checked when the scene reads them.
class SceneXMLLoader : public Loader {
    VORN_DECLARE_FACTORY(SceneXMLLoader)

public:
    std::string_view getExtension() const override { return ".xml"; }
    std::string_view getDescription() const override { return "Scene Document"; }
    bool load(const std::string& path, XML& into) override;
};
