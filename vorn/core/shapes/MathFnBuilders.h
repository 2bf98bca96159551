#pragma once

class PolyMesh;

// The constructions of the MathFn shapes; each adds to an empty mesh.

/// The grid and torus shapes (1007-1016, 1019, 1020); false for other numbers.
bool BuildMathFnGrid(PolyMesh& mesh, int which, int du, int dv);
void BuildNegativeVertex(PolyMesh& mesh, int du, int dv);
void BuildCone(PolyMesh& mesh, int du, int dv);
void BuildSimplicialSphere(PolyMesh& mesh, int du, int dv);
void BuildZipper(PolyMesh& mesh, int du);
/// The built-in icosahedron, subdivided once for each of du > 8, du > 16, du > 24 (new
/// points pushed onto its sphere), then every edge turned into a band.
void BuildBandedIcosahedron(PolyMesh& mesh, int du);
