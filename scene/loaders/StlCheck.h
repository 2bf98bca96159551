#pragma once

#include "scene/loaders/OffParser.h"

#include <string_view>

/// Checks that a binary STL file (80-byte header, triangle count, 50 bytes
/// per triangle) holds as many triangles as its count says. Text that starts
/// with "solid" and does not fit the binary layout is left to the ASCII
/// reader. False with the reason (line 0).
bool CheckStlFile(std::string_view bytes, MeshParseError& error);
