#pragma once

#include "scene/loaders/MeshFileLoader.h"
#include "scene/loaders/ObjParser.h"

/// Wavefront OBJ meshes (".obj") through the project's own parser: geometry
/// only (materials and texture coordinates are ignored), errors name the line,
/// and memory stays a small multiple of the file size.
class OBJLoader : public MeshFileLoader {
    VORN_DECLARE_FACTORY(OBJLoader)

public:
    std::string_view getExtension() const override { return ".obj"; }
    std::string_view getDescription() const override { return "Wavefront OBJ"; }
    bool parseMesh(std::string_view bytes, MeshData& mesh, MeshParseError& error) override {
        return ParseObj(bytes, mesh, error);
    }
};
