#include "vorn/core/shapes/BinTree.h"
#include "vorn/core/tests/shapes/MeshChecks.h"

#include <gtest/gtest.h>

#include <tuple>

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
