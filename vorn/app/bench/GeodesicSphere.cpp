#include "vorn/app/bench/GeodesicSphere.h"

#include "scene/mesh/Poly.h"
#include "scene/mesh/PolyMesh.h"
#include "tests/support/TestShapes.h"

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
    // Corners on the unit sphere: their weighted sums point where the unscaled ones do.
    const MeshData icosahedron = testshapes::unitIcosahedron();
    const std::vector<M3d>& corners = icosahedron.vertices;
    const int n = std::max(frequency, 1);
    std::map<LatticeKey, Vertex*> shared;
    auto point = [&](const std::vector<int>& face, int i, int j) {
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
                p += corners[size_t(corner)] * double(weight);
            v = mesh.addVertexAt(p.normalized());
        }
        return v;
    };
    for (const std::vector<int>& face : icosahedron.faces) {
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
