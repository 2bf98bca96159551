#include "vorn/core/shapes/Coolinoid.h"
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
