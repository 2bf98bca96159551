#pragma once

class PolyMesh;

/// Fills `mesh` with a unit geodesic sphere: each face of an icosahedron split into
/// `frequency`² triangles, pushed onto the sphere, 20 × frequency² faces in all
/// (32 gives 20,480, 71 gives 100,820). Corners are shared, so the mesh is closed.
void FillGeodesicSphere(PolyMesh& mesh, int frequency);
