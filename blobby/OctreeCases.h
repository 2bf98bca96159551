#pragma once

#include <array>

/// The polygoniser's case table: for each of the 256 corner-flag cases, up to five
/// triangles, each three edge indices (unused entries -1). Built once by merging the
/// per-corner triangles of the inside corners along shared runs, then fanning each polygon
/// from its first entry; see OctreeCases.cpp.
using OctreeCaseTable = std::array<std::array<std::array<signed char, 3>, 5>, 256>;

/// The table, built on first use (thread-safe).
const OctreeCaseTable& OctreeFaceVertices();
