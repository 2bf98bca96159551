#include "vorn/core/shapes/BinTree.h"
#include "vorn/core/shapes/Coolinoid.h"
#include "vorn/core/shapes/WitchHat.h"
#include "vorn/core/tests/shapes/MeshChecks.h"

#include "common/XML.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(Coolinoid, CountsBoundaryAndRadius) {
    Coolinoid c;
    c.rebuild(3, 3, 3, 0);
    MeshTopology t = c.getTopology();
    EXPECT_EQ(12, t.vertices);
    EXPECT_EQ(9, t.faces);
    // An open tube: both rims are boundary, 3 edges each, and nothing else is.
    EXPECT_EQ(6, t.boundaryEdges);
    EXPECT_EQ(0, t.nonManifoldEdges);
    EXPECT_TRUE(consistentlyOriented(c));
    // k = 0 is the cylinder of radius 2.
    for (const Vertex* v : c.getVertices())
        EXPECT_NEAR(2.0, std::hypot(v->x(), v->z()), 1e-12);

    c.rebuild(20, 7, 3, 2.5);
    t = c.getTopology();
    EXPECT_EQ(20 * 8, t.vertices);
    EXPECT_EQ(140, t.faces);
    EXPECT_EQ(40, t.boundaryEdges);
    EXPECT_GT(smallestArea(c), 0);
}

TEST(Coolinoid, ClampsAndSkipsUnchangedRebuilds) {
    Coolinoid c;
    c.rebuild(-5, 1, std::numeric_limits<double>::quiet_NaN(), -2);
    EXPECT_EQ(3, c.getDU());
    EXPECT_EQ(3, c.getDV());
    EXPECT_EQ(0.00001, c.getH());
    EXPECT_EQ(0, c.getK());
    const std::uint64_t revision = c.getRevision();
    c.rebuild(3, 3, 0.00001, 0);
    EXPECT_EQ(revision, c.getRevision());
}

TEST(Coolinoid, ParametersSurviveWriteAndRead) {
    Coolinoid c;
    c.rebuild(5, 4, 2, 1);
    XML xml("Coolinoid");
    c.write(xml);
    EXPECT_EQ(5, xml.child("du")->asInt(0));
    Coolinoid copy;
    copy.read(xml);
    EXPECT_EQ(5, copy.getDU());
    EXPECT_EQ(4, copy.getDV());
    EXPECT_EQ(2, copy.getH());
    EXPECT_EQ(1, copy.getK());
    EXPECT_EQ(20u, copy.getPolyCount());
}

TEST(WitchHat, IsClosedWithTwentyVerticesAndTwentyFourFaces) {
    WitchHat w;
    for (double belt : {0.0, -0.5, 1.0}) {
        w.rebuild(2.0, belt);
        const MeshTopology t = w.getTopology();
        EXPECT_EQ(20, t.vertices);
        EXPECT_EQ(24, t.faces);
        EXPECT_TRUE(t.closed) << belt;
        EXPECT_TRUE(consistentlyOriented(w)) << belt;
    }
    w.rebuild(2.0, 0);
    // The first vertices are the apex, then each base corner followed by its belt point,
    // a quarter of the way up.
    const Vertex& apex = *w.getVertex(0);
    const Vertex& corner = *w.getVertex(1);
    const Vertex& belt = *w.getVertex(2);
    EXPECT_TRUE(belt == corner * 0.75 + apex * 0.25);
    // Centred on the mean vertex position.
    Sorvex::M3d sum;
    for (const Vertex* v : w.getVertices())
        sum += *v;
    EXPECT_NEAR(0, sum.length(), 1e-9);
}

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
