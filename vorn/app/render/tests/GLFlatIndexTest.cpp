#include "vorn/app/render/GLFlatIndex.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

using Sorvex::M3d;
using Primitive = GLBatchRecorder::Primitive;

namespace {

/// A rows x columns grid of squares, each two triangles with a normal of its own (a bumpy
/// surface drawn flat), row by row as a mesh loader would list them.
void recordGrid(GLBatchRecorder& r, int rows, int columns, int firstRow = 0) {
    for (int i = firstRow; i < firstRow + rows; ++i)
        for (int j = 0; j < columns; ++j) {
            const M3d a(i, 0, j), b(i + 1, 0, j), c(i + 1, 0, j + 1), d(i, 0, j + 1);
            for (int t = 0; t < 2; ++t) {
                r.begin(Primitive::Polygon, true, 1.0f);
                r.normal(M3d(std::sin(i + 0.3 * j + t), 1, std::cos(j - 0.2 * i)));
                r.color({0.5, 0.1 * (j % 10), 0.3, 1});
                r.vertex(a);
                r.vertex(t == 0 ? b : c);
                r.vertex(t == 0 ? c : d);
                r.end();
            }
        }
}

bool samePosition(const GLVertex& a, const GLVertex& b) {
    return std::memcmp(a.position, b.position, sizeof(a.position)) == 0;
}

/// What drawing through the index must keep: every corner where it was, every primitive's
/// first corner (the one flat shading takes normal and colour from) its own, and nothing read
/// from outside the batch or from beyond reach.
void expectSamePrimitives(const GLBatchRecorder& r, const GLFlatIndex& index) {
    const auto& vertices = r.getVertices();
    ASSERT_EQ(vertices.size(), index.indices().size());
    for (const GLBatch& batch : r.getBatches()) {
        const int corners = batch.kind == GLBatch::Kind::Triangles ? 3 : 2;
        for (int k = batch.first; k < batch.first + batch.count; ++k) {
            const int to = int(index.indices()[std::size_t(k)]);
            ASSERT_TRUE(samePosition(vertices[std::size_t(k)], vertices[std::size_t(to)]))
                << "corner " << k;
            EXPECT_GE(to, batch.first);
            EXPECT_LT(to, batch.first + batch.count);
            EXPECT_LE(std::abs(to - k), GLFlatIndex::kReach);
            if ((k - batch.first) % corners == 0 || !batch.uniform) {
                EXPECT_EQ(k, to) << "vertex " << k << " keeps its own normal and colour";
            }
        }
    }
}

TEST(GLFlatIndexTest, FlatGridShadesAboutOneVertexPerTriangle) {
    GLBatchRecorder r;
    recordGrid(r, 40, 60);
    ASSERT_EQ(1u, r.getBatches().size());
    ASSERT_TRUE(r.getBatches()[0].uniform);
    GLFlatIndex index;
    index.extend(r.getVertices(), r.getBatches());
    expectSamePrimitives(r, index);
    const int triangles = 40 * 60 * 2;
    const int shaded = index.shadedCount(r.getBatches());
    // Each triangle's own first corner: every other corner is the first corner of a
    // triangle in the same or the next row, but along the far sides of the grid.
    EXPECT_LE(shaded, triangles + 2 * (40 + 60)) << "of " << 3 * triangles;
    EXPECT_GE(shaded, triangles);
}

TEST(GLFlatIndexTest, AppendingGivesTheIndexOfOneRecording) {
    GLBatchRecorder whole;
    recordGrid(whole, 12, 30);
    GLFlatIndex once;
    once.extend(whole.getVertices(), whole.getBatches());

    GLBatchRecorder growing;
    GLFlatIndex stepwise;
    // Steps shorter and longer than a corner's reach: corners near an old end point to
    // first corners that came after it, as they do when indexed in one go.
    int row = 0;
    for (const int rows : {5, 1, 2, 4}) {
        recordGrid(growing, rows, 30, row);
        row += rows;
        stepwise.extend(growing.getVertices(), growing.getBatches());
    }
    ASSERT_EQ(12, row);
    EXPECT_EQ(once.indices(), stepwise.indices());

    once.clear();
    EXPECT_EQ(0, once.indexedCount());
    once.extend(whole.getVertices(), whole.getBatches());
    EXPECT_EQ(stepwise.indices(), once.indices()) << "cleared, it starts afresh";
}

TEST(GLFlatIndexTest, MixedCornersBatchesAndLinesKeepTheirOwnVertices) {
    GLBatchRecorder r;
    recordGrid(r, 3, 4);
    // A smooth-shaded square: corners differ in colour, so every corner is its own.
    r.begin(Primitive::Polygon, true, 1.0f);
    for (int k = 0; k < 4; ++k) {
        r.color({0.25 * k, 0, 0, 1});
        r.vertex(M3d(k & 1, 1, k >> 1));
    }
    r.end();
    // Unlit lines around the grid's first square, sharing end points.
    r.begin(Primitive::LineLoop, false, 1.0f);
    for (const M3d& p : {M3d(0, 0, 0), M3d(1, 0, 0), M3d(1, 0, 1), M3d(0, 0, 1)})
        r.vertex(p);
    r.end();
    ASSERT_EQ(2u, r.getBatches().size());
    EXPECT_FALSE(r.getBatches()[0].uniform);
    ASSERT_EQ(GLBatch::Kind::Lines, r.getBatches()[1].kind);
    GLFlatIndex index;
    index.extend(r.getVertices(), r.getBatches());
    expectSamePrimitives(r, index);
    const GLBatch& lines = r.getBatches()[1];
    // Each segment's first end is the last one's second: shared, as one vertex each.
    for (int k = lines.first + 2; k < lines.first + lines.count; k += 2)
        EXPECT_EQ(index.indices()[std::size_t(k - 1)], index.indices()[std::size_t(k)]);
}

} // namespace
