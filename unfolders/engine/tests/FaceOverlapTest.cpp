#include <gtest/gtest.h>

#include "unfolders/engine/FaceBox.h"
#include "unfolders/engine/FaceOverlap.h"
#include "unfolders/engine/tests/PlaneFaces.h"

using testmeshes::Faces;

namespace {

bool overlap(Poly* a, Poly* b) {
    const bool ab = FacesOverlap(FaceBox(a), FaceBox(b));
    EXPECT_EQ(ab, FacesOverlap(FaceBox(b), FaceBox(a))) << "the test is symmetric";
    return ab;
}

} // namespace

TEST(FaceOverlap, CrossingNestedAndCoincidentFacesOverlapTouchingOnesDoNot) {
    Faces faces;
    Poly* a = faces.square(0, 0, 2);
    EXPECT_TRUE(overlap(a, faces.square(1, 1, 2))) << "crossing edges";
    EXPECT_TRUE(overlap(a, faces.square(0.5, 0.5, 1))) << "one inside the other";
    EXPECT_TRUE(overlap(a, faces.square(0, 0, 2))) << "identical outlines";
    // The same square wound the other way and starting elsewhere.
    EXPECT_TRUE(overlap(a, faces.add({{2, 2}, {2, 0}, {0, 0}, {0, 2}})));
    // Shifted along a side: no edge crosses another properly, no corner lies inside.
    EXPECT_TRUE(overlap(a, faces.square(1, 0, 2)));
    // A triangle with its corners on the square's sides.
    EXPECT_TRUE(overlap(a, faces.add({{0, 0}, {2, 1}, {1, 2}})));

    EXPECT_FALSE(overlap(a, faces.square(2, 0, 2))) << "sharing a side";
    EXPECT_FALSE(overlap(a, faces.square(2, 2, 2))) << "sharing a corner";
    EXPECT_FALSE(overlap(a, faces.add({{1, 2}, {3, 3}, {0, 4}}))) << "a corner on a side";
    EXPECT_FALSE(FacesOverlap(FaceBox(a), FaceBox(a))) << "a face never overlaps itself";
}

TEST(FaceOverlap, ContactsOffByRoundingAreNotOverlapsButDeeperOnesAre) {
    Faces faces;
    Poly* a = faces.square(0, 0, 1);
    // 1e-9 of the size past the shared side: rounding, not an overlap.
    EXPECT_FALSE(overlap(a, faces.square(1 - 1e-9, 0, 1)));
    EXPECT_FALSE(overlap(a, faces.square(1 - 1e-9, 1 - 1e-9, 1)));
    EXPECT_FALSE(overlap(a, faces.add({{0.5, 1 - 1e-9}, {2, 3}, {-1, 3}})));
    // Ten times the tolerance is an overlap, however large the faces.
    for (double size : {1e-3, 1.0, 1e4}) {
        Faces scaled;
        Poly* s = scaled.square(0, 0, size);
        const double depth = 10 * OverlapTolerance * size;
        EXPECT_TRUE(overlap(s, scaled.square(size - depth, 0, size))) << size;
        EXPECT_FALSE(overlap(s, scaled.square(size - depth / 100, 0, size))) << size;
    }
}

TEST(FaceOverlap, NonConvexFacesAreComparedByTheirTriangles) {
    Faces faces;
    // An L with its notch at (1, 1)..(2, 2).
    Poly* l = faces.add({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}});
    EXPECT_FALSE(overlap(l, faces.square(1, 1, 1))) << "fills the notch, touching the L";
    EXPECT_FALSE(overlap(l, faces.square(1.2, 1.2, 0.5))) << "inside the notch's box only";
    EXPECT_TRUE(overlap(l, faces.square(0.5, 0.5, 1))) << "over the L's corner";
    EXPECT_TRUE(overlap(l, faces.add({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}})));

    NetOutline outline(*l);
    EXPECT_FALSE(outline.isConvex());
    EXPECT_DOUBLE_EQ(6.0, outline.getDoubleArea());
    double tiled = 0;
    for (const auto& t : outline.triangulate()) {
        const NetPoint &p = outline[t[0]], &q = outline[t[1]], &r = outline[t[2]];
        const double twice = (q.x - p.x) * (r.z - p.z) - (q.z - p.z) * (r.x - p.x);
        EXPECT_GT(twice, 0) << "every triangle turns counter-clockwise";
        tiled += twice;
    }
    EXPECT_DOUBLE_EQ(6.0, tiled) << "the triangles tile the outline";
    EXPECT_TRUE(NetOutline(*faces.add({{0, 0}, {1, 0}, {2, 0}, {2, 2}})).isConvex())
        << "collinear corners are convex";
}
