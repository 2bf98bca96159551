// The MathFn shapes sampled on a du × dv grid of (u, v) in [0, 1]².
#include "vorn/core/shapes/MathFnBuilders.h"

#include "scene/mesh/PolyMesh.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

using Sorvex::M3d;

namespace {

constexpr double pi = std::numbers::pi;

using Surface = std::function<M3d(double u, double v)>;

/// The torus family: tube angle `gamma` and ring angle 2πv.
M3d torus(double gamma, double v) {
    const double ring = 2 * pi * v;
    const double r = 2 + std::cos(gamma);
    return {r * std::sin(ring), std::sin(gamma), -r * std::cos(ring)};
}

Surface surfaceOf(int which, int dv) {
    switch (which) {
    case 1007:
        return [](double u, double v) {
            return M3d(6 * (u - 0.5), 6 * ((u - 0.5) * (u - 0.5) - (v - 0.5) * (v - 0.5)),
                       6 * (0.5 - v));
        };
    case 1008:
        return [](double u, double v) {
            const double x = 6 * (u - 0.5), z = 6 * (0.5 - v);
            return M3d(x, (x * x + z * z) / 5 - 2, z);
        };
    case 1009:
        return [](double u, double v) { return torus(2 * pi * u, v); };
    case 1010:
        return [](double u, double v) {
            return M3d(1.5 * std::cos(2 * pi * u) * std::sin(pi * v), 1.5 * std::cos(pi * v),
                       1.5 * std::sin(2 * pi * u) * std::sin(pi * v));
        };
    case 1011:
        return [](double u, double v) {
            return M3d(-2 * u * std::cos(2 * pi * v), 2 * u * std::sin(2 * pi * v),
                       3 * std::sin(2 * pi * v) * std::cos(2 * pi * v));
        };
    case 1012:
        return [](double u, double v) { return torus(pi / 2 + pi * (u + 4 * v), v); };
    case 1013:
        return [](double u, double v) { return torus(pi / 2 + pi * u, v); };
    case 1014:
        return [](double u, double v) {
            return M3d(-2 * u * std::cos(4 * pi * v), 2 * u * std::sin(4 * pi * v),
                       v * std::cos(4 * pi * u));
        };
    case 1016:
        return [dv](double u, double v) {
            const double w = 1 - 2 * v;
            const double r = std::pow(std::fabs(w), dv / 7.0) + 1;
            return M3d(r * std::cos(2 * pi * u), 6 * w, r * std::sin(2 * pi * u));
        };
    case 1019:
        return [](double u, double v) { return torus(pi / 2 + pi * (u + 2 * v), v); };
    case 1020:
        return [](double u, double v) { return torus(pi / 2 + 2 * pi * (u + 2 * v), v); };
    default:
        return nullptr;
    }
}

/// The vertex already made at exactly `p` (poles and closed seams), else a new one.
Vertex* sharedVertex(PolyMesh& mesh, std::vector<Vertex*>& made, const M3d& p) {
    for (Vertex* v : made)
        if (*v == p)
            return v;
    made.push_back(mesh.addVertexAt(p));
    return made.back();
}

/// One grid cell: a quad when it is flat enough, else two triangles; cells that lost
/// corners to shared vertices become one smaller face.
void addCell(PolyMesh& mesh, Vertex* const (&corner)[4]) {
    std::vector<Vertex*> ring;
    for (Vertex* v : corner)
        if (std::find(ring.begin(), ring.end(), v) == ring.end())
            ring.push_back(v);
    if (ring.size() < 4) {
        if (ring.size() == 3)
            mesh.addPoly(new Poly(ring));
        return;
    }
    const M3d& a = *corner[0];
    M3d nA, nB;
    nA.cross(*corner[1] - a, *corner[2] - a);
    nB.cross(*corner[2] - a, *corner[3] - a);
    if (nA.normalized() * nB.normalized() < 0.9995) {
        mesh.addPoly(new Poly{corner[0], corner[1], corner[3]});
        mesh.addPoly(new Poly{corner[1], corner[2], corner[3]});
    } else {
        mesh.addPoly(new Poly(ring));
    }
}

} // namespace

bool BuildMathFnGrid(PolyMesh& mesh, int which, int du, int dv) {
    const Surface surface = surfaceOf(which, dv);
    if (!surface)
        return false;
    std::vector<Vertex*> made;
    std::vector<std::vector<Vertex*>> g(std::size_t(du), std::vector<Vertex*>(std::size_t(dv), nullptr));
    for (int i = 0; i < du; ++i)
        for (int j = 0; j < dv; ++j)
            g[i][j] = sharedVertex(mesh, made, surface(double(i) / (du - 1), double(j) / (dv - 1)));
    for (int i = 0; i + 1 < du; ++i)
        for (int j = 1; j < dv; ++j) {
            Vertex* const corner[4] = {g[i][j - 1], g[i + 1][j - 1], g[i + 1][j], g[i][j]};
            addCell(mesh, corner);
        }
    return true;
}
