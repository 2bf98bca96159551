#include "vorn/app/render/GLBatchRecorder.h"

#include <gtest/gtest.h>

using Sorvex::M3d;
using Sorvex::M4x4;
using Primitive = GLBatchRecorder::Primitive;

namespace {

M3d positionOf(const GLVertex& v) {
    return M3d(v.position[0], v.position[1], v.position[2]);
}

void expectNear(const M3d& expected, const M3d& actual, double tolerance = 1e-6) {
    EXPECT_NEAR(expected.x(), actual.x(), tolerance);
    EXPECT_NEAR(expected.y(), actual.y(), tolerance);
    EXPECT_NEAR(expected.z(), actual.z(), tolerance);
}

/// Packed normals keep each component within half a step of 1/127.
constexpr double kNormalStep = 1.0 / 127.0;

TEST(GLBatchRecorderTest, PolygonsFanAndIncompletePrimitivesDrop) {
    GLBatchRecorder r;
    r.begin(Primitive::Polygon, true, 1.0f);
    // A pentagon with a colour per corner: three triangles around corner 0.
    for (int i = 0; i < 5; ++i) {
        r.color({0.1 * i, 0, 0, 1});
        r.vertex(M3d(i, 0, 0));
    }
    r.end();
    ASSERT_EQ(9u, r.getVertices().size());
    const int expected[9] = {0, 1, 2, 0, 2, 3, 0, 3, 4};
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(expected[k], int(r.getVertices()[k].position[0]));
        EXPECT_NEAR(0.1 * expected[k], r.getVertices()[k].color[0] / 255.0, 0.5 / 255);
    }

    // Two triangles' worth plus a stray corner; a two-corner polygon; a lone line point.
    r.begin(Primitive::Triangles, true, 1.0f);
    for (int i = 0; i < 7; ++i)
        r.vertex(M3d(0, i, 0));
    r.begin(Primitive::Polygon, true, 1.0f);
    r.vertex(M3d(1, 1, 1));
    r.vertex(M3d(2, 2, 2));
    r.begin(Primitive::Lines, false, 1.0f);
    r.vertex(M3d(3, 3, 3));
    r.end();
    EXPECT_EQ(15u, r.getVertices().size());
    ASSERT_EQ(1u, r.getBatches().size()) << "lit triangles of both primitives share a batch";
    EXPECT_EQ(15, r.getBatches()[0].count);

    r.vertex(M3d(9, 9, 9));
    EXPECT_EQ(15u, r.getVertices().size()) << "a vertex outside begin/end is ignored";
}

TEST(GLBatchRecorderTest, LineLoopsCloseAndStateChangesSplitBatches) {
    GLBatchRecorder r;
    r.begin(Primitive::LineLoop, false, 2.0f);
    r.vertex(M3d(0, 0, 0));
    r.vertex(M3d(1, 0, 0));
    r.vertex(M3d(1, 1, 0));
    r.end();
    ASSERT_EQ(6u, r.getVertices().size());
    expectNear(M3d(1, 1, 0), positionOf(r.getVertices()[4]));
    expectNear(M3d(0, 0, 0), positionOf(r.getVertices()[5])); // the loop closes

    r.begin(Primitive::LineLoop, false, 2.0f);
    r.vertex(M3d(5, 0, 0));
    r.vertex(M3d(6, 0, 0));
    r.end();
    EXPECT_EQ(8u, r.getVertices().size()) << "two points make one segment";

    r.begin(Primitive::Lines, false, 3.0f); // another width
    r.vertex(M3d(0, 0, 0));
    r.vertex(M3d(0, 0, 1));
    r.begin(Primitive::Triangles, false, 1.0f); // unlit faces
    r.vertex(M3d(0, 0, 0));
    r.vertex(M3d(1, 0, 0));
    r.vertex(M3d(0, 1, 0));
    r.begin(Primitive::Triangles, true, 1.0f); // lit faces
    r.vertex(M3d(0, 0, 0));
    r.vertex(M3d(1, 0, 0));
    r.vertex(M3d(0, 1, 0));
    r.end();
    r.tube(M3d(0, 0, 0), M3d(2, 0, 0), 0.5);
    r.tube(M3d(0, 2, 0), M3d(2, 2, 0), 0.5);
    r.tube(M3d(0, 4, 0), M3d(2, 4, 0), 0.25);

    const auto& b = r.getBatches();
    ASSERT_EQ(6u, b.size());
    EXPECT_EQ(GLBatch::Kind::Lines, b[0].kind);
    EXPECT_EQ(8, b[0].count);
    EXPECT_FLOAT_EQ(3.0f, b[1].lineWidth);
    EXPECT_FALSE(b[2].lit);
    EXPECT_TRUE(b[3].lit);
    EXPECT_DOUBLE_EQ(0.5, b[4].tubeRadius);
    EXPECT_EQ(4, b[4].count) << "tubes of one radius share a batch";
    expectNear(M3d(1, 1, 0), b[4].anchor);
    EXPECT_DOUBLE_EQ(0.25, b[5].tubeRadius);
    // Batches cover the vertex array in order, without gaps.
    int next = 0;
    for (const GLBatch& batch : b) {
        EXPECT_EQ(next, batch.first);
        next += batch.count;
    }
    EXPECT_EQ(int(r.getVertices().size()), next);
}

TEST(GLBatchRecorderTest, TransformsApplyToPositionsNormalsAndTexts) {
    GLBatchRecorder r;
    M4x4 move = M4x4::Translation(M3d(10, 0, 0));
    r.pushTransform(move);
    // Squash y by 2: a face tilted 45 degrees gets a normal that is steeper, not flatter.
    M4x4 squash;
    squash.set(1, 1, 0.5);
    r.pushTransform(squash);
    r.begin(Primitive::Triangles, true, 1.0f);
    r.normal(M3d(0, 1, 1));
    r.vertex(M3d(0, 2, 0));
    r.vertex(M3d(1, 0, 0));
    r.vertex(M3d(0, 0, 1));
    r.end();
    r.text(M3d(0, 4, 0), "label");
    r.popTransform();
    r.popTransform();
    r.popTransform(); // one too many: the base stays

    expectNear(M3d(10, 1, 0), positionOf(r.getVertices()[0]));
    // Inverse transpose of diag(1, 0.5, 1) applied to (0, 1, 1) is (0, 2, 1), normalised.
    expectNear(M3d(0, 2, 1) * (1.0 / std::sqrt(5.0)), r.getVertices()[0].unpackNormal(),
               kNormalStep / 2);
    ASSERT_EQ(1u, r.getTexts().size());
    expectNear(M3d(10, 2, 0), r.getTexts()[0].at);

    // A mirror keeps the normal's side, as OpenGL's inverse transpose would.
    M4x4 mirror;
    mirror.set(0, 0, -1);
    r.pushTransform(mirror);
    r.begin(Primitive::Triangles, true, 1.0f);
    r.normal(M3d(0, 0, 1));
    for (int i = 0; i < 3; ++i)
        r.vertex(M3d(i, 0, 0));
    r.end();
    expectNear(M3d(0, 0, 1), r.getVertices()[3].unpackNormal(), kNormalStep / 2);
    expectNear(M3d(-1, 0, 0), positionOf(r.getVertices()[4]));

    r.clear();
    EXPECT_TRUE(r.isEmpty());
    EXPECT_TRUE(r.getVertices().empty());
    r.begin(Primitive::Lines, false, 1.0f);
    r.vertex(M3d(1, 0, 0));
    r.vertex(M3d(2, 0, 0));
    r.end();
    expectNear(M3d(1, 0, 0), positionOf(r.getVertices()[0])); // clear drops the transforms
}

TEST(GLBatchRecorderTest, PackedNormalsAndBatchStateFollowWhatWasDrawn) {
    GLBatchRecorder r;
    // Every direction survives packing within half a step per component, signs included.
    r.begin(Primitive::Triangles, true, 1.0f);
    const M3d directions[] = {{1, 0, 0}, {0, -1, 0}, {0, 0, -1}, {-1, -1, 1}, {0.3, -0.2, 0.9},
                              {-0.001, 0.0, 1.0}};
    for (const M3d& d : directions) {
        r.normal(d);
        r.vertex(d);
    }
    r.end();
    for (size_t i = 0; i < 6; ++i)
        expectNear(directions[i].normalized(), r.getVertices()[i].unpackNormal(),
                   kNormalStep / 2 + 1e-12);

    // Faces of closed meshes, opaque or not, mirrored or not, go to batches of their own.
    r.clear();
    r.begin(Primitive::Polygon, true, 1.0f, true);
    r.color({1, 0, 0, 1});
    for (int i = 0; i < 3; ++i)
        r.vertex(M3d(i, -i, 2 * i));
    r.begin(Primitive::Polygon, true, 1.0f, true);
    r.color({1, 0, 0, 0.5});
    r.vertex(M3d(5, 0, 0));
    r.vertex(M3d(6, 0, 0));
    r.vertex(M3d(6, 1, 0));
    r.begin(Primitive::Polygon, true, 1.0f, false);
    r.vertex(M3d(0, 0, 0));
    r.vertex(M3d(1, 0, 0));
    r.vertex(M3d(1, 1, 0));
    Sorvex::M4x4 mirror;
    mirror.set(2, 2, -1);
    r.pushTransform(mirror);
    r.begin(Primitive::Polygon, true, 1.0f, true);
    r.color({0, 1, 0, 1});
    r.vertex(M3d(0, 0, 1));
    r.vertex(M3d(1, 0, 1));
    r.vertex(M3d(1, 1, 1));
    r.end();
    const auto& b = r.getBatches();
    ASSERT_EQ(3u, b.size());
    EXPECT_TRUE(b[0].closedSurface);
    EXPECT_FALSE(b[0].opaque) << "one see-through face makes the batch see-through";
    EXPECT_FALSE(b[0].mirrored);
    expectNear(M3d(0, -2, 0), b[0].lo);
    expectNear(M3d(6, 1, 4), b[0].hi);
    EXPECT_FALSE(b[1].closedSurface);
    EXPECT_TRUE(b[2].closedSurface);
    EXPECT_TRUE(b[2].mirrored);
    EXPECT_TRUE(b[2].opaque);
    expectNear(M3d(0, 0, -1), b[2].lo);
}

} // namespace
