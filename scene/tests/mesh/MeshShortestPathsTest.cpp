#include "scene/mesh/MeshShortestPaths.h"
#include "scene/mesh/PolyMesh.h"
#include "tests/support/TestShapes.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

/// Floyd-Warshall over the mesh's edges, written out plainly: the distances every
/// shortest path must have.
std::vector<std::vector<double>> allPairsByBruteForce(const PolyMesh& mesh) {
    const std::size_t n = mesh.getVertexCount();
    const double none = std::numeric_limits<double>::infinity();
    std::vector<std::vector<double>> d(n, std::vector<double>(n, none));
    for (std::size_t i = 0; i < n; ++i)
        d[i][i] = 0;
    for (const Poly* f : mesh.getPolys())
        for (int k = 0; k < f->getVertexCount(); ++k) {
            const auto a = std::size_t(mesh.getIOIndex(f->getVertex(k)));
            const auto b = std::size_t(mesh.getIOIndex(f->getVertex(k + 1)));
            d[a][b] = d[b][a] = (*f->getVertex(k + 1) - *f->getVertex(k)).length();
        }
    for (std::size_t m = 0; m < n; ++m)
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < n; ++j)
                d[i][j] = std::min(d[i][j], d[i][m] + d[m][j]);
    return d;
}

bool joinedByEdge(const Vertex* a, const Vertex* b) {
    for (const Poly* f : a->getPolys()) {
        const int k = f->getVertexIndex(a);
        if (f->getVertex(k + 1) == b || f->getVertex(k - 1) == b)
            return true;
    }
    return false;
}

} // namespace

TEST(MeshShortestPaths, AgreeWithFloydWarshallAndFollowEdges) {
    std::vector<std::pair<std::string, std::unique_ptr<PolyMesh>>> shapes;
    shapes.emplace_back("cube", testshapes::meshOf(testshapes::cube()));
    shapes.emplace_back("torus", testshapes::meshOf(testshapes::torus(5, 4)));
    shapes.emplace_back("L prism",
                        testshapes::prism({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}}, 1.5));
    // Two pieces: vertices of different pieces have no path.
    shapes.emplace_back("two tetrahedra", testshapes::meshOf(testshapes::twoTetrahedra()));
    for (const auto& [name, mesh] : shapes) {
        MeshShortestPaths& paths = mesh->getShortestPaths();
        EXPECT_FALSE(paths.isDone()) << name;
        while (!paths.advance(3)) {
        }
        const auto expected = allPairsByBruteForce(*mesh);
        const std::size_t n = mesh->getVertexCount();
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < n; ++j) {
                Vertex* a = mesh->getVertex(i);
                Vertex* b = mesh->getVertex(j);
                const std::string label = name + " " + std::to_string(i) + "-" +
                                          std::to_string(j);
                const std::vector<Vertex*> path = paths.getPath(a, b);
                if (i == j) {
                    EXPECT_EQ(0.0f, paths.getDistance(a, b)) << label;
                    continue;
                }
                if (expected[i][j] == std::numeric_limits<double>::infinity()) {
                    EXPECT_EQ(Sorvex::DjikstraDistance::NoPath, paths.getDistance(a, b)) << label;
                    EXPECT_TRUE(path.empty()) << label;
                    continue;
                }
                EXPECT_NEAR(expected[i][j], paths.getDistance(a, b), 1e-5) << label;
                // The path runs along mesh edges, and its length is the distance.
                ASSERT_FALSE(path.empty()) << label;
                EXPECT_EQ(a, path.front()) << label;
                EXPECT_EQ(b, path.back()) << label;
                double length = 0;
                for (std::size_t k = 1; k < path.size(); ++k) {
                    EXPECT_TRUE(joinedByEdge(path[k - 1], path[k])) << label;
                    length += (*path[k] - *path[k - 1]).length();
                }
                EXPECT_NEAR(expected[i][j], length, 1e-5) << label;
            }
    }
}

TEST(MeshShortestPaths, StartOverWhenTheMeshChanges) {
    auto mesh = testshapes::meshOf(testshapes::cube());
    MeshShortestPaths& paths = mesh->getShortestPaths();
    while (!paths.advance(100)) {
    }
    EXPECT_TRUE(mesh->getShortestPaths().isDone()) << "unchanged: the work is kept";
    EXPECT_FLOAT_EQ(3, paths.getDistance(mesh->getVertex(0), mesh->getVertex(6)));

    // Taking a face away leaves the distances along the remaining edges; the state starts
    // over because the mesh's revision moved.
    Poly* top = mesh->getPoly(1);
    ASSERT_TRUE(mesh->remPoly(top));
    delete top;
    MeshShortestPaths& again = mesh->getShortestPaths();
    EXPECT_FALSE(again.isDone());
    EXPECT_EQ(8, again.getVertexCount());
    EXPECT_TRUE(mesh->getShortestPaths(true).getProgress() == 0.0f);

    PolyMesh empty;
    EXPECT_TRUE(empty.getShortestPaths().isDone());
    EXPECT_EQ(1.0f, empty.getShortestPaths().getProgress());
}
