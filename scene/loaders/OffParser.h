#pragma once

#include "scene/mesh/MeshData.h"

#include <string>
#include <string_view>

/// Where and why a mesh text could not be read. `line` is 1-based; 0 when
/// the fault belongs to no single line (an edge shared by too many faces).
struct MeshParseError {
    int line = 0;
    std::string message;
};

/// Reads OFF text: an optional "OFF" keyword (also with the C, N, ST prefixes
/// that announce extra per-vertex values), the vertex, face and edge counts,
/// one vertex per line and one face per line. Values after the three
/// coordinates of a vertex and after the indices of a face (colours, normals)
/// are ignored. Polygons are kept as they are. Checks what it can tie to a
/// line (numbers, finite coordinates, index range, repeated indices, fewer
/// than three sides); the caller validates the whole mesh afterwards.
/// On failure `out` is left untouched.
bool ParseOff(std::string_view text, PackedMeshData& out, MeshParseError& error);
/// The same, into one ring per face.
bool ParseOff(std::string_view text, MeshData& out, MeshParseError& error);
