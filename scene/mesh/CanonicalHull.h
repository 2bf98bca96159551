#pragma once

#include "scene/mesh/MeshData.h"
#include "sorvex/M3d.h"

#include <vector>

/// The convex hull of `points` with coplanar faces merged, in an order that depends
/// only on the hull and on the points' indices, whichever way it was built:
/// - vertices: the hull's corners by increasing point index (a point given more than
///   once counts at its first index);
/// - each face counter-clockwise seen from outside, starting at its corner of lowest
///   point index;
/// - faces sorted by their corners' point indices, compared in ring order.
/// Points in general position are hulled by GeneralPositionHull; any other input goes
/// through ConvexHullOf (triangulated, then the hull of its corners with coplanar
/// triangles merged), put in the same order. The hull is closed. False, `hull`
/// unchanged, for the input ConvexHullOf refuses (fewer than 4 points, flat or
/// non-finite).
bool CanonicalConvexHullOf(const std::vector<Sorvex::M3d>& points, PackedMeshData& hull);
