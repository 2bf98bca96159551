#pragma once

#include "sorvex/MPlane.h"

class Poly;
class PolyMesh;

/// Cuts away the part of a closed convex mesh above `plane` (the side its normal points to)
/// and closes the cut with one new face, returned (null when nothing was above the plane or
/// the cut could not be closed). Edges crossing the plane are split at it; vertices within
/// 1e-9 of the plane stay. The mesh's truncation notifications report every split edge and
/// every face and vertex destroyed or created.
Poly* TruncateMesh(PolyMesh& mesh, const Sorvex::MPlane& plane);
