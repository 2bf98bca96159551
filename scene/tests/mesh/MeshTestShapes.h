#pragma once

#include "scene/mesh/MeshData.h"

#include <cmath>

// Small closed shapes with outward, counter-clockwise faces.
namespace MeshTestShapes {

/// Unit cube [0,1]^3 with six quads; the bottom face (z = 0) comes first.
inline MeshData cube() {
    MeshData d;
    d.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                  {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    d.faces = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 4, 7, 3}, {1, 2, 6, 5}};
    return d;
}

inline MeshData tetrahedron() {
    MeshData d;
    d.vertices = {{1, 1, 1}, {1, -1, -1}, {-1, 1, -1}, {-1, -1, 1}};
    d.faces = {{0, 1, 2}, {0, 3, 1}, {0, 2, 3}, {1, 3, 2}};
    return d;
}

/// The twelve-vertex, twenty-face icosahedron of the built-in scene.
inline MeshData icosahedron() {
    MeshData d;
    d.vertices = {{0, 0, 1.175571},
                  {1.051462, 0, 0.5257311},
                  {0.3249197, 1, 0.5257311},
                  {-0.8506508, 0.6180340, 0.5257311},
                  {-0.8506508, -0.6180340, 0.5257311},
                  {0.3249197, -1, 0.5257311},
                  {0.8506508, 0.6180340, -0.5257311},
                  {0.8506508, -0.6180340, -0.5257311},
                  {-0.3249197, 1, -0.5257311},
                  {-1.051462, 0, -0.5257311},
                  {-0.3249197, -1, -0.5257311},
                  {0, 0, -1.175571}};
    d.faces = {{0, 1, 2},  {0, 2, 3},  {0, 3, 4},  {0, 4, 5},   {0, 5, 1},  {1, 5, 7},  {1, 7, 6},
               {1, 6, 2},  {2, 6, 8},  {2, 8, 3},  {3, 8, 9},   {3, 9, 4},  {4, 9, 10}, {4, 10, 5},
               {5, 10, 7}, {6, 7, 11}, {6, 11, 8}, {7, 10, 11}, {8, 11, 9}, {9, 11, 10}};
    return d;
}

/// A closed torus of 2 * rings * segments triangles (rings, segments >= 3).
inline MeshData torus(int rings, int segments, double major = 2.0, double minor = 0.5) {
    MeshData d;
    for (int i = 0; i < rings; ++i) {
        const double u = 6.283185307179586 * i / rings;
        for (int j = 0; j < segments; ++j) {
            const double v = 6.283185307179586 * j / segments;
            const double r = major + minor * std::cos(v);
            d.vertices.emplace_back(r * std::cos(u), minor * std::sin(v), r * std::sin(u));
        }
    }
    auto at = [&](int i, int j) { return (i % rings) * segments + (j % segments); };
    for (int i = 0; i < rings; ++i) {
        for (int j = 0; j < segments; ++j) {
            d.faces.push_back({at(i, j), at(i, j + 1), at(i + 1, j + 1)});
            d.faces.push_back({at(i, j), at(i + 1, j + 1), at(i + 1, j)});
        }
    }
    return d;
}

} // namespace MeshTestShapes
