#pragma once

#include "scene/mesh/MeshData.h"
#include "scene/mesh/PolyMesh.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// The named shapes tests and benchmarks build meshes from. Faces are wound
// so that their normals point outwards; the face order of each shape is part
// of its description, as tests name faces by index.
namespace testshapes {

/// Unit cube [0,1]^3 with six quads; the bottom face (z = 0) comes first.
MeshData cube();
/// The unit cube with a corner (0.5, 0, 1) on the top face's first edge and a
/// face without area (8, 4, 5) along that edge: closed and manifold, as meshes
/// with slivers from modelling tools are.
MeshData sliveredCube();
/// The tetrahedron on alternate corners of the cube [-1,1]^3.
MeshData tetrahedron();
/// The regular octahedron on the unit points of the axes.
MeshData octahedron();
/// A pyramid of height 1 over the unit square in y = 0; the base comes first.
MeshData squarePyramid();
/// The twelve-vertex, twenty-face icosahedron of the built-in scene.
MeshData icosahedron();
/// A closed torus of 2 * rings * segments triangles (rings, segments >= 3).
MeshData torus(int rings, int segments, double major = 2.0, double minor = 0.5);
/// The regular icosahedron on the unit sphere.
MeshData unitIcosahedron();
/// The unit icosahedron with every triangle split into four `levels` times,
/// the new vertices pushed onto the unit sphere: 20 * 4^levels faces.
MeshData icosphere(int levels);

/// A mesh holding `data`.
std::unique_ptr<PolyMesh> meshOf(const MeshData& data);

using Outline = std::vector<std::pair<double, double>>;
/// A closed prism over a simple polygon (x, z) from y = 0 to y = height.
/// Faces: the walls in outline order, then the top, then the bottom (last,
/// so that choosing it as the lowest face does not depend on face order).
std::unique_ptr<PolyMesh> prism(const Outline& outline, double height);
/// The unit cube as a prism: four walls, top, bottom.
std::unique_ptr<PolyMesh> prismCube();
/// An L-shaped prism of height 0.5 whose notch corner is at (1, 1): the two
/// notch walls meet at a reflex edge and, laid out from the bottom, overlap.
/// Its faces: six walls (the notch walls are 2 and 3), top 6, bottom 7.
std::unique_ptr<PolyMesh> lPrism();
/// The tetrahedron on the origin and the three unit points.
std::unique_ptr<PolyMesh> cornerTetrahedron();

/// The hull of `count` random points on the unit sphere, from `seed`.
std::unique_ptr<PolyMesh> randomConvex(unsigned seed, int count);

/// One horizontal triangle.
std::unique_ptr<PolyMesh> oneFace();
/// A horizontal unit square of two triangles: no face crosses its centre plane.
std::unique_ptr<PolyMesh> flatSquare();
/// A unit cube without its top: an open mesh with a square border at y = 1.
/// Faces: the four walls, then the bottom.
std::unique_ptr<PolyMesh> openBox();

/// Two tetrahedra five units apart: a mesh in two components.
MeshData twoTetrahedra();

/// A shape every unfolding strategy is checked on.
struct NamedShape {
    std::string name;
    std::unique_ptr<PolyMesh> (*make)();
};
/// Closed, with a border, convex, non-convex and seeded random convex shapes.
const std::vector<NamedShape>& strategyShapes();

} // namespace testshapes
