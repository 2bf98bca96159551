#include "vorn/core/shapes/WitchHat.h"
#include "vorn/core/tests/shapes/MeshChecks.h"

#include <gtest/gtest.h>

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
