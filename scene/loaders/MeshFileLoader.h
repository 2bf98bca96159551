#pragma once

#include "scene/mesh/MeshData.h"
#include "scene/loaders/Loader.h"
#include "scene/loaders/OffParser.h"

#include <string_view>

/// A loader for a single-mesh file format. It reads the file's bytes into a
/// `MeshData`, validates it and writes the mesh into the node as a
/// "PolyMesh" element, so a document opens it as one mesh under a new root.
class MeshFileLoader : public Loader {
public:
    bool load(const std::string& path, XML& into) override;

    /// Reads `bytes` into `mesh` (the parse step of load, without the file);
    /// false with the error on failure. Public for tests and fuzzing.
    virtual bool parseMesh(std::string_view bytes, MeshData& mesh, MeshParseError& error) = 0;
};
