#pragma once

class PolyMesh;

/// True when every vertex of `net` has finite coordinates. A net that overflowed (or met a
/// NaN) is a failed unfolding whatever its strategy says, and is never written to a file.
bool HasFinitePositions(const PolyMesh& net);
