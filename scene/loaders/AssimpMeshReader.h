#pragma once

#include "scene/mesh/MeshData.h"

#include <string>
#include <string_view>

/// Reads a mesh file held in memory with the assimp importer. `formatHint` is
/// the file extension without the dot ("obj", "stl", "ply") and picks the
/// importer. Polygons are kept (no triangulation); vertices at exactly the
/// same position are merged, also across the file's parts, so faces that
/// touch share their vertices. Points and line segments are skipped. On
/// failure `out` is untouched and `error` holds one line.
bool ReadMeshWithAssimp(std::string_view bytes, const char* formatHint, MeshData& out,
                        std::string& error);
