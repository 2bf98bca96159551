#include "tests/support/TestShapes.h"

#include "common/Random.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace testshapes {

MeshData cube() {
    MeshData d;
    d.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                  {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    d.faces = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 4, 7, 3}, {1, 2, 6, 5}};
    return d;
}

MeshData sliveredCube() {
    MeshData d = cube();
    d.vertices.push_back({0.5, 0, 1});
    d.faces[1] = {4, 8, 5, 6, 7};
    d.faces.push_back({8, 4, 5});
    return d;
}

MeshData tetrahedron() {
    MeshData d;
    d.vertices = {{1, 1, 1}, {1, -1, -1}, {-1, 1, -1}, {-1, -1, 1}};
    d.faces = {{0, 1, 2}, {0, 3, 1}, {0, 2, 3}, {1, 3, 2}};
    return d;
}

MeshData twoTetrahedra() {
    MeshData two = tetrahedron();
    for (const auto& p : tetrahedron().vertices)
        two.vertices.push_back(p + Sorvex::M3d(5, 0, 0));
    for (auto ring : tetrahedron().faces) {
        for (int& i : ring)
            i += 4;
        two.faces.push_back(ring);
    }
    return two;
}

MeshData octahedron() {
    MeshData d;
    d.vertices = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    // One face per octant, wound outwards: (x, y, z) where the signs' product is positive.
    for (int sx : {0, 1})
        for (int sy : {2, 3})
            for (int sz : {4, 5}) {
                const bool positive = ((sx + sy + sz) % 2) == 0;
                d.faces.push_back(positive ? std::vector<int>{sx, sy, sz}
                                           : std::vector<int>{sx, sz, sy});
            }
    return d;
}

MeshData squarePyramid() {
    MeshData d;
    d.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}, {0.5, 1, 0.5}};
    d.faces = {{0, 1, 2, 3}, {1, 0, 4}, {2, 1, 4}, {3, 2, 4}, {0, 3, 4}};
    return d;
}

MeshData icosahedron() {
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

MeshData torus(int rings, int segments, double major, double minor) {
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

MeshData unitIcosahedron() {
    const double t = (1 + std::sqrt(5.0)) / 2;
    MeshData d;
    d.vertices = {{-1, t, 0},  {1, t, 0},  {-1, -t, 0}, {1, -t, 0}, {0, -1, t},  {0, 1, t},
                  {0, -1, -t}, {0, 1, -t}, {t, 0, -1},  {t, 0, 1},  {-t, 0, -1}, {-t, 0, 1}};
    for (auto& v : d.vertices)
        v.normalize();
    d.faces = {{0, 11, 5},  {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
               {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
               {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    return d;
}

MeshData icosphere(int levels) {
    MeshData d = unitIcosahedron();
    for (int level = 0; level < levels; ++level) {
        std::map<std::pair<int, int>, int> midpoints;
        auto midpoint = [&](int a, int b) {
            auto key = std::minmax(a, b);
            auto it = midpoints.find(key);
            if (it != midpoints.end())
                return it->second;
            Sorvex::M3d m = (d.vertices[size_t(a)] + d.vertices[size_t(b)]) * 0.5;
            m.normalize();
            d.vertices.push_back(m);
            return midpoints[key] = int(d.vertices.size()) - 1;
        };
        std::vector<std::vector<int>> faces;
        for (const auto& f : d.faces) {
            const int ab = midpoint(f[0], f[1]), bc = midpoint(f[1], f[2]),
                      ca = midpoint(f[2], f[0]);
            faces.push_back({f[0], ab, ca});
            faces.push_back({f[1], bc, ab});
            faces.push_back({f[2], ca, bc});
            faces.push_back({ab, bc, ca});
        }
        d.faces = std::move(faces);
    }
    return d;
}

std::unique_ptr<PolyMesh> meshOf(const MeshData& data) {
    auto mesh = std::make_unique<PolyMesh>();
    mesh->fromMeshData(data);
    return mesh;
}

std::unique_ptr<PolyMesh> prism(const Outline& outline, double height) {
    MeshData data;
    const int n = int(outline.size());
    for (auto [x, z] : outline)
        data.vertices.emplace_back(x, 0, z);
    for (auto [x, z] : outline)
        data.vertices.emplace_back(x, height, z);
    std::vector<int> top, bottom;
    for (int i = 0; i < n; ++i) {
        const int j = (i + 1) % n;
        data.faces.push_back({j, i, n + i, n + j});
        bottom.push_back(i);
        top.push_back(2 * n - 1 - i);
    }
    data.faces.push_back(top);
    data.faces.push_back(bottom);
    return meshOf(data);
}

std::unique_ptr<PolyMesh> prismCube() {
    return prism({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, 1);
}

std::unique_ptr<PolyMesh> lPrism() {
    return prism({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}}, 0.5);
}

std::unique_ptr<PolyMesh> cornerTetrahedron() {
    MeshData data;
    data.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}};
    data.faces = {{0, 1, 2}, {0, 3, 1}, {0, 2, 3}, {1, 3, 2}};
    return meshOf(data);
}

std::unique_ptr<PolyMesh> randomConvex(unsigned seed, int count) {
    vornSrand(seed);
    auto mesh = std::make_unique<PolyMesh>();
    for (int i = 0; i < count; ++i) {
        const double x = vornRand() - 16383, y = vornRand() - 16383, z = vornRand() - 16383;
        mesh->addVertexAt(Sorvex::M3d(x, y, z).normalized());
    }
    mesh->convexify(true);
    return mesh;
}

std::unique_ptr<PolyMesh> oneFace() {
    MeshData d;
    d.vertices = {{0, 0, 0}, {0, 0, 1}, {1, 0, 0}};
    d.faces = {{0, 1, 2}};
    return meshOf(d);
}

std::unique_ptr<PolyMesh> flatSquare() {
    MeshData d;
    d.vertices = {{0, 0, 0}, {0, 0, 1}, {1, 0, 1}, {1, 0, 0}};
    d.faces = {{0, 1, 2}, {0, 2, 3}};
    return meshOf(d);
}

std::unique_ptr<PolyMesh> openBox() {
    MeshData d;
    d.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1},
                  {0, 1, 0}, {1, 1, 0}, {1, 1, 1}, {0, 1, 1}};
    d.faces = {{1, 0, 4, 5}, {2, 1, 5, 6}, {3, 2, 6, 7}, {0, 3, 7, 4}, {0, 1, 2, 3}};
    return meshOf(d);
}

const std::vector<NamedShape>& strategyShapes() {
    static const std::vector<NamedShape> shapes = {
        {"cube", prismCube},
        {"icosahedron", [] { return meshOf(unitIcosahedron()); }},
        {"random convex", [] { return randomConvex(3, 40); }},
        {"L-prism", lPrism},
        {"open box", openBox},
        {"cube with a sliver", [] { return meshOf(sliveredCube()); }},
        {"bent cube", [] {
             MeshData d = cube();
             d.vertices[6] = {1.01, 1.02, 1.03};
             return meshOf(d);
         }},
    };
    return shapes;
}

} // namespace testshapes
