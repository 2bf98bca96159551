#pragma once

#include <string>

/// The built-in scene document holding a single icosahedron `PolyMesh`
/// (12 vertices, 20 triangles, face edges drawn). It is the starting mesh of
/// the "e-banded Icosahedron" shape and a sample of the scene text format:
/// the declaration line, then the elements indented with blanks and no
/// further line breaks. Built once during static initialisation.
const std::string& GetIcosahedronSceneText();
