#pragma once

#include "scene/mesh/MeshData.h"
#include "sorvex/M3d.h"

#include <vector>

/// The hull PolyMesh::convexify makes of `points`, as data (faces in the same order,
/// vertices in first-use order), without touching any mesh: callers that build several
/// hulls in a row need not build a mesh for each. False for the input convexify
/// refuses (fewer than 4 points, flat or non-finite) or a hull that would not make a
/// valid mesh. Defined with convexify in PolyMeshConvexify.cpp.
bool ConvexHullOf(const std::vector<Sorvex::M3d>& points, bool mergeCoplanar, MeshData& hull);
