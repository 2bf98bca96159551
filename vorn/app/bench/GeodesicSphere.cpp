#include "vorn/app/bench/GeodesicSphere.h"

#include "scene/mesh/Poly.h"
#include "scene/mesh/PolyMesh.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

using Sorvex::M3d;

namespace {

/// A point of a face's lattice as weights on icosahedron corners, sorted by corner so
/// that the faces sharing an edge or a corner name (and compute) its points alike.
using LatticeKey = std::vector<std::pair<int, int>>;

} // namespace

void FillGeodesicSphere(PolyMesh& mesh, int frequency) {
    const double t = (1.0 + std::sqrt(5.0)) / 2.0;
    const M3d corners[12] = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                             {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                             {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    const int faces[20][3] = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                              {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                              {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                              {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
    const int n = std::max(frequency, 1);
    std::map<LatticeKey, Vertex*> shared;
    auto point = [&](const int(&face)[3], int i, int j) {
        LatticeKey key;
        const int weights[3] = {n - i - j, i, j};
        for (int k = 0; k < 3; ++k)
            if (weights[k] > 0)
                key.push_back({face[k], weights[k]});
        std::sort(key.begin(), key.end());
        Vertex*& v = shared[key];
        if (!v) {
            M3d p;
            for (const auto& [corner, weight] : key)
                p += corners[corner] * double(weight);
            v = mesh.addVertexAt(p.normalized());
        }
        return v;
    };
    for (const auto& face : faces) {
        for (int i = 0; i < n; ++i) {
            for (int j = 0; i + j < n; ++j) {
                mesh.addPoly(
                    new Poly{point(face, i, j), point(face, i + 1, j), point(face, i, j + 1)});
                if (i + j + 1 < n)
                    mesh.addPoly(new Poly{point(face, i + 1, j), point(face, i + 1, j + 1),
                                          point(face, i, j + 1)});
            }
        }
    }
}
