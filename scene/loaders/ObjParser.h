#pragma once

#include "scene/loaders/OffParser.h"

#include <string_view>

/// Reads the geometry of Wavefront OBJ text: "v" lines (three coordinates, an
/// optional weight ignored) and "f" lines (corners "i", "i/t", "i//n" or
/// "i/t/n"; negative indices count back from the last vertex read). Every other
/// statement (normals, texture coordinates, groups, materials, lines) is
/// ignored. Corners at exactly the same position share one vertex, and vertices
/// are numbered in the order faces first use them (unused ones are dropped), so
/// meshes exported with split corners come in closed. Errors name the line.
/// Runs in one pass over the text with memory linear in the mesh size.
/// On failure `out` is left untouched.
bool ParseObj(std::string_view text, MeshData& out, MeshParseError& error);
