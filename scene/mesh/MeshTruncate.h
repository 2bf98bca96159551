#pragma once

#include "sorvex/MPlane.h"

class Poly;
class PolyMesh;
class Vertex;

/// Cuts away the part of a closed convex mesh above `plane` (the side its normal points to)
/// and closes the cut with one new face, returned (null when nothing was above the plane or
/// the cut could not be closed). Edges crossing the plane are split at it; vertices within
/// 1e-9 of the plane stay.
///
/// Faces that keep at least three corners are edited in place (PolyMesh::spliceRing): they
/// stay the same faces in the same list places, and the cost of a cut grows with the faces
/// it touches rather than with the mesh. The mesh's truncation notifications report every
/// split edge, every face and vertex destroyed (faces and vertices wholly above the plane)
/// and the new face.
///
/// With a `seed` vertex, only the vertices above the plane that are connected to it
/// through vertices above the plane are cut away, which on a convex mesh is all of them;
/// this spares the scan of every vertex. A seed on or below the plane cuts nothing.
Poly* TruncateMesh(PolyMesh& mesh, const Sorvex::MPlane& plane, Vertex* seed = nullptr);
