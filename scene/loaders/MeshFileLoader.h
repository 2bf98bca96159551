#pragma once

#include "scene/mesh/MeshData.h"
#include "scene/loaders/Loader.h"
#include "scene/loaders/OffParser.h"

#include <string_view>

class PolyMesh;

/// A loader for a single-mesh file format. It reads the file's bytes into a
/// `MeshData`, validates it and writes the mesh into the node as a
/// "PolyMesh" element, so a document opens it as one mesh under a new root.
class MeshFileLoader : public Loader {
public:
    bool load(const std::string& path, XML& into) override;

    /// Reads the file at `path` straight into `mesh`, without the XML form that `load`
    /// makes (documents open mesh files this way: a million faces as text would cost more
    /// than reading them). The same checks and messages as `load`; on failure `mesh` is
    /// unchanged. The mesh has what reading `load`'s node into a new mesh gives it.
    bool loadMesh(const std::string& path, PolyMesh& mesh);

    /// Reads `bytes` into `mesh` (the parse step of load, without the file);
    /// false with the error on failure. Public for tests and fuzzing.
    virtual bool parseMesh(std::string_view bytes, MeshData& mesh, MeshParseError& error) = 0;
    /// The same into packed rings; formats with their own parser override it to skip
    /// the ring per face that `parseMesh` makes.
    virtual bool parsePackedMesh(std::string_view bytes, PackedMeshData& mesh,
                                 MeshParseError& error);
};
