#pragma once

class PolyMesh;

/// Builds a random convex polyhedron of `count` points on the sphere of
/// `radius` into `mesh` (replacing what it held); false when it could not.
using RandomConvexBuilder = bool (*)(PolyMesh& mesh, int count, double radius);

/// The batch runner's test polyhedron: clears `mesh`, then builds random
/// convex polyhedra on the unit sphere until one has at least 4 faces and
/// a smallest angle deficit of at least 0.0001. Each try uses 100 points, or
/// with `varyRandoms` 4 + vornRand() % 96 points. Gives up, leaving the
/// last try (possibly empty), after `maxTries` tries; returns whether the
/// mesh is acceptable.
bool MakeRandomPolyhedron(PolyMesh& mesh, bool varyRandoms, RandomConvexBuilder build,
                          int maxTries = 1000);
