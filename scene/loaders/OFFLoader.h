#pragma once

#include "scene/loaders/MeshFileLoader.h"

/// Reads OFF polygon meshes (".off") with its own parser: polygons are kept,
/// comments and colours are accepted, and errors name the line.
class OFFLoader : public MeshFileLoader {
    VORN_DECLARE_FACTORY(OFFLoader)

public:
    std::string_view getExtension() const override { return ".off"; }
    std::string_view getDescription() const override { return "Object File Format"; }
    bool parseMesh(std::string_view bytes, MeshData& mesh, MeshParseError& error) override {
        return ParseOff(bytes, mesh, error);
    }
    bool parsePackedMesh(std::string_view bytes, PackedMeshData& mesh,
                         MeshParseError& error) override {
        return ParseOff(bytes, mesh, error);
    }
};
