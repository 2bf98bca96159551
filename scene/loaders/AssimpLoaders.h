#pragma once

#include "scene/loaders/MeshFileLoader.h"

/// Shared body of the loaders that read through the assimp importer.
class AssimpLoader : public MeshFileLoader {
public:
    bool parseMesh(std::string_view bytes, MeshData& mesh, MeshParseError& error) override;
};

/// Stereolithography meshes (".stl"), ASCII or binary.
class STLLoader : public AssimpLoader {
    VORN_DECLARE_FACTORY(STLLoader)

public:
    std::string_view getExtension() const override { return ".stl"; }
    std::string_view getDescription() const override { return "Stereolithography"; }
    /// Checks a binary file's triangle count against its size first.
    bool parseMesh(std::string_view bytes, MeshData& mesh, MeshParseError& error) override;
};

/// Polygon File Format meshes (".ply"), ASCII or binary of either byte order.
class PLYLoader : public AssimpLoader {
    VORN_DECLARE_FACTORY(PLYLoader)

public:
    std::string_view getExtension() const override { return ".ply"; }
    std::string_view getDescription() const override { return "Polygon File Format"; }
    /// Checks the header first: the importer mishandles some malformed headers.
    bool parseMesh(std::string_view bytes, MeshData& mesh, MeshParseError& error) override;
};
