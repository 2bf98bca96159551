// A vertex's edge partners in their defined order, checked against the definition
// itself: per incident face the next corner, then the previous one, skipping a partner
// whose edge an earlier face already has.
#include "scene/mesh/MeshLinks.h"
#include "scene/mesh/PolyMesh.h"
#include "tests/support/TestShapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

std::vector<Vertex*> partnersByDefinition(const Vertex& v) {
    std::vector<Vertex*> out;
    const auto faces = v.getPolys();
    for (std::size_t i = 0; i < faces.size(); ++i) {
        const int k = faces[i]->getVertexIndex(&v);
        for (Vertex* u : {faces[i]->getVertex(k + 1), faces[i]->getVertex(k - 1)}) {
            bool seen = false;
            for (std::size_t j = 0; j < i && !seen; ++j)
                seen = MeshLinks::findEdge(*faces[j], &v, u, false) >= 0;
            if (!seen)
                out.push_back(u);
        }
    }
    return out;
}

/// A cone of `spokes` triangles round one hub, open at its rim, its faces listed
/// alternately from both ends so that the hub meets them out of ring order.
MeshData cone(int spokes) {
    MeshData cone;
    cone.vertices.push_back({0, 1, 0});
    for (int i = 0; i < spokes; ++i) {
        const double a = 2 * M_PI * i / spokes;
        cone.vertices.push_back({std::cos(a), 0, std::sin(a)});
    }
    for (int n = 0; n < spokes - 1; ++n) {
        const int i = n % 2 == 0 ? n / 2 : spokes - 2 - n / 2;
        cone.faces.push_back({0, 2 + i, 1 + i});
    }
    return cone;
}

} // namespace

TEST(VertexTest, PartnersFollowTheirDefinitionOnManyShapes) {
    const std::vector<std::pair<std::string, MeshData>> shapes = {
        {"icosphere", testshapes::icosphere(2)},
        {"torus", testshapes::torus(6, 9)},
        {"cube", testshapes::cube()},
        {"cone of 40", cone(40)}, // a hub of 39 faces: more partners than fit on the stack
    };
    for (const auto& [name, data] : shapes) {
        PolyMesh mesh;
        std::string error;
        ASSERT_TRUE(mesh.fromMeshData(data, &error)) << name << ": " << error;
        std::vector<Vertex*> partners;
        for (Vertex* v : mesh.getVertices()) {
            const std::vector<Vertex*> expected = partnersByDefinition(*v);
            v->collectOtherVertices(partners);
            ASSERT_EQ(expected, partners) << name << ", vertex " << mesh.getIOIndex(v);
            ASSERT_EQ(int(expected.size()), v->getEdgeCount()) << name;
            for (std::size_t i = 0; i <= expected.size(); ++i)
                ASSERT_EQ(i < expected.size() ? expected[i] : nullptr, v->findOtherVertex(int(i)))
                    << name << ", partner " << i;
        }
    }
}
