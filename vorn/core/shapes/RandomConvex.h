#pragma once

class PolyMesh;

/// Replaces `mesh` by a random convex polyhedron: the hull of max(count, 4)
/// points drawn on the sphere of `radius` through vornRand() (three draws per
/// point), with faces too small or too short collapsed until none is left,
/// and drawn anew until the hull is closed. Coplanar triangles are merged. Faces
/// and corners come in the canonical order of CanonicalConvexHullOf.
/// Returns false, leaving the mesh as it was, when `radius` is not a positive
/// finite number or no acceptable polyhedron came out of a bounded number of
/// tries.
bool BuildRandomConvex(PolyMesh& mesh, int count, double radius);
