// The MathFn shapes that are not sampled grids: fans, the shifted-row sphere, the zipper
// and the icosahedron.
#include "vorn/core/shapes/MathFnBuilders.h"

#include "common/XML.h"
#include "scene/mesh/PolyMesh.h"
#include "sorvex/PointSorter.h"
#include "vorn/core/BuiltinIcosahedron.h"

#include <cmath>
#include <numbers>
#include <vector>

using Sorvex::M3d;

namespace {

constexpr double pi = std::numbers::pi;

/// The fan's wave amplitude (or the cone's height): 0.1 to 1 as dv steps through ten values.
double amplitude(int dv) {
    return double((dv + 8) % 10 + 1) / 10;
}

/// Triangles (centre, rim_i, rim_i+1) around a closed rim.
void addFan(PolyMesh& mesh, Vertex* centre, const std::vector<Vertex*>& rim) {
    for (std::size_t i = 0; i < rim.size(); ++i)
        mesh.addPoly(new Poly{centre, rim[i], rim[(i + 1) % rim.size()]});
}

bool hasArea(const Vertex* a, const Vertex* b, const Vertex* c) {
    if (a == b || b == c || a == c)
        return false;
    M3d n;
    n.cross(*b - *a, *c - *a);
    return n.length() > 0;
}

void addTriangleWithArea(PolyMesh& mesh, Vertex* a, Vertex* b, Vertex* c) {
    if (hasArea(a, b, c))
        mesh.addPoly(new Poly{a, b, c});
}

} // namespace

void BuildNegativeVertex(PolyMesh& mesh, int du, int dv) {
    const int n = 4 * du;
    const double a = amplitude(dv);
    const double m = 2 * ((dv - 2) / 10) + 4;
    Vertex* centre = mesh.addVertexAt({0, 0, 0});
    std::vector<Vertex*> rim;
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / n;
        rim.push_back(mesh.addVertexAt(
            {std::sin(2 * pi * t), a * std::sin(m * pi * t), std::cos(2 * pi * t)}));
    }
    addFan(mesh, centre, rim);
}

void BuildCone(PolyMesh& mesh, int du, int dv) {
    const int n = 4 * du;
    const double m = 4 * ((dv - 2) / 10);
    Vertex* apex = mesh.addVertexAt({0, amplitude(dv), 0});
    std::vector<Vertex*> rim;
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / n;
        const double r = 0.75 + 0.25 * std::cos(m * pi * t);
        rim.push_back(mesh.addVertexAt({r * std::sin(2 * pi * t), 0, r * std::cos(2 * pi * t)}));
    }
    addFan(mesh, apex, rim);
}

void BuildSimplicialSphere(PolyMesh& mesh, int du, int dv) {
    Sorvex::PointSorter sorter(0.0001);
    std::vector<std::vector<Vertex*>> g(std::size_t(du), std::vector<Vertex*>(std::size_t(dv), nullptr));
    for (int i = 0; i < du; ++i)
        for (int j = 0; j < dv; ++j) {
            const double phi = 2 * pi * (double(i) / (du - 1) + (j % 2 ? 0.5 / (du - 1) : 0));
            const double theta = pi * j / (dv - 1);
            g[i][j] = mesh.findBestVertex({1.5 * std::cos(phi) * std::sin(theta),
                                           1.5 * std::cos(theta),
                                           1.5 * std::sin(phi) * std::sin(theta)},
                                          sorter);
        }
    // Odd rows sit half a column to the right of the row above them, so the diagonal
    // runs from the upper right to the lower left there, and the other way on even rows.
    for (int i = 0; i + 1 < du; ++i)
        for (int j = 1; j < dv; ++j) {
            Vertex* a = g[i][j - 1];
            Vertex* b = g[i + 1][j - 1];
            Vertex* c = g[i + 1][j];
            Vertex* d = g[i][j];
            if (j % 2) {
                addTriangleWithArea(mesh, a, b, d);
                addTriangleWithArea(mesh, b, c, d);
            } else {
                addTriangleWithArea(mesh, a, b, c);
                addTriangleWithArea(mesh, a, c, d);
            }
        }
}

void BuildZipper(PolyMesh& mesh, int du) {
    std::vector<Vertex*> row[4];
    for (int l = 0; l < 4; ++l)
        for (int i = 0; i < du; ++i) {
            const double alpha = du * (2 * pi * i / (du - 1)) / 27 - du * (pi / 2) / 27;
            double z = l / 3.0 - 0.5;
            const double s = 1 - z * z / 5;
            // The two middle rows run 0.002 apart after their first point: the closed zip.
            if (i > 0 && l == 1)
                z = -0.001;
            if (i > 0 && l == 2)
                z = 0.001;
            if (l == 2 && i == 1)
                row[2].push_back(row[1][1]);
            else
                row[l].push_back(mesh.addVertexAt({3 * s * std::sin(alpha), -3 * s * std::cos(alpha), z}));
        }
    for (int i = 0; i + 1 < du; ++i)
        for (int m = 0; m < 3; ++m) {
            if (m == 1) {
                if (i == 0)
                    mesh.addPoly(new Poly{row[1][0], row[1][1], row[2][0]});
                continue;
            }
            mesh.addPoly(new Poly{row[m][i], row[m][i + 1], row[m + 1][i + 1], row[m + 1][i]});
        }
}

void BuildBandedIcosahedron(PolyMesh& mesh, int du) {
    XML scene;
    if (!scene.parse(GetIcosahedronSceneText()))
        return;
    XML* children = scene.child("Children");
    XML* ico = children ? children->child("PolyMesh") : nullptr;
    if (!ico)
        return;
    // The built-in text is known to be good.
    mesh.read(*ico);
    const double radius = mesh.getVertex(0)->length();
    for (int threshold : {8, 16, 24}) {
        if (du <= threshold)
            break;
        mesh.subdivide();
        // New points go out onto the icosahedron's sphere: on the flat panels of a plain
        // subdivision the bands' corner faces would bend along every panel edge.
        for (Vertex* v : mesh.getVertices())
            v->setPosition(*v * (radius / v->length()));
        for (Poly* f : mesh.getPolys())
            f->computeNormal();
    }
    mesh.bandify();
}
