#include "vorn/core/shapes/BinTree.h"
#include "vorn/core/tests/shapes/MeshChecks.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <utility>
#include <vector>

using Sorvex::M3d;

TEST(BinTree, PyramidAndItsTruncations) {
    BinTree b;
    for (int valence : {3, 4, 7}) {
        b.rebuild(valence, 0, false, false, 0);
        const MeshTopology t = b.getTopology();
        EXPECT_EQ(valence + 1, t.vertices);
        EXPECT_EQ(valence + 1, t.faces);
        EXPECT_TRUE(t.closed);
        EXPECT_TRUE(consistentlyOriented(b));
    }
    // Each cut replaces a corner of three edges by a triangle: two more vertices, one
    // more face; every cut makes two cuts in the next round.
    struct Case {
        int valence, subdivisions, vertices, faces;
    };
    for (const Case c : {Case{3, 1, 10, 7}, Case{4, 1, 13, 9}, Case{3, 2, 22, 13}}) {
        b.rebuild(c.valence, c.subdivisions, false, false, 0);
        const MeshTopology t = b.getTopology();
        EXPECT_EQ(c.vertices, t.vertices) << c.valence << "/" << c.subdivisions;
        EXPECT_EQ(c.faces, t.faces) << c.valence << "/" << c.subdivisions;
        EXPECT_TRUE(t.closed);
        EXPECT_TRUE(consistentlyOriented(b));
    }
}

TEST(BinTree, TwistChopAndDualKeepItClosed) {
    BinTree b;
    b.rebuild(3, 0, false, true, 0);
    // Mirrored in its base: a bipyramid without the base face.
    EXPECT_EQ(5u, b.getVertexCount());
    EXPECT_EQ(6u, b.getPolyCount());
    for (const auto& [chop, dual, twist] : {std::tuple{true, false, 0.0},
                                            std::tuple{false, false, 0.7},
                                            std::tuple{true, true, 0.3}}) {
        b.rebuild(5, 2, chop, dual, twist);
        EXPECT_TRUE(b.getTopology().closed) << chop << dual << twist;
        EXPECT_TRUE(consistentlyOriented(b));
        EXPECT_GT(smallestArea(b), 1e-9);
    }
}

TEST(BinTree, EveryCutSucceedsAtDepthAndTheTreeDoesNotDependOnMemory) {
    // n * (2^s - 1) cuts, each adding one face to the n + 1 of the pyramid.
    for (const auto& [valence, subdivisions] : {std::pair{3, 6}, std::pair{13, 5}}) {
        BinTree b;
        b.rebuild(valence, subdivisions, false, false, 0);
        EXPECT_EQ(std::size_t(valence * (1 << subdivisions) + 1), b.getPolyCount());
        EXPECT_TRUE(b.getTopology().closed);
        EXPECT_TRUE(consistentlyOriented(b));
        EXPECT_GT(smallestArea(b), 1e-12);
    }
    // The order of the cuts shapes the tree; it follows the base ring, so the same values
    // give the same mesh whatever else the heap holds.
    BinTree first;
    first.rebuild(7, 5, true, true, 0.4);
    std::vector<std::unique_ptr<int[]>> clutter;
    for (int k = 0; k < 500; ++k)
        clutter.emplace_back(new int[std::size_t(k % 7 + 1) * 8]);
    BinTree second;
    second.rebuild(7, 5, true, true, 0.4);
    ASSERT_EQ(first.getVertexCount(), second.getVertexCount());
    for (std::size_t i = 0; i < first.getVertexCount(); ++i)
        EXPECT_EQ(M3d(*first.getVertex(i)), M3d(*second.getVertex(i))) << "vertex " << i;
}

TEST(BinTree, TheDualIsTheTreeAndItsMirrorImageJoinedAtTheBase) {
    for (const auto& [chop, twist] : {std::pair{false, 0.0}, std::pair{true, 0.6}}) {
        BinTree single;
        single.rebuild(6, 3, chop, false, twist);
        BinTree dual;
        dual.rebuild(6, 3, chop, true, twist);
        // The base face goes; every other face appears twice, and only the base's corners
        // are shared by the two halves.
        std::size_t onBase = 0;
        for (const Vertex* v : single.getVertices())
            onBase += v->y() == 0;
        EXPECT_EQ(2 * (single.getPolyCount() - 1), dual.getPolyCount()) << chop;
        EXPECT_EQ(2 * single.getVertexCount() - onBase, dual.getVertexCount()) << chop;
        EXPECT_TRUE(dual.getTopology().closed) << chop;
        EXPECT_TRUE(consistentlyOriented(dual)) << chop;
        // Brute force: each vertex has its mirror image among the vertices.
        for (const Vertex* v : dual.getVertices()) {
            const M3d image(v->x(), -v->y(), v->z());
            bool found = false;
            for (const Vertex* w : dual.getVertices())
                found = found || (image - *w).length() < 1e-12;
            EXPECT_TRUE(found) << chop << " " << M3d(*v).toString();
        }
    }
}
