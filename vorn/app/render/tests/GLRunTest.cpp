#include "vorn/app/render/GLRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>

using Sorvex::M3d;
using Primitive = GLBatchRecorder::Primitive;

namespace {

/// Draws `count` more triangles into `run` as kept items, as a part that draws them does.
void drawTriangles(GLRun& run, int count) {
    run.recorder.begin(Primitive::Triangles, true, 1.0f);
    for (int k = 0; k < count; ++k) {
        run.recorder.flush();
        run.itemStarts.push_back(run.vertexCount());
        const double x = double(run.items + std::size_t(k));
        run.recorder.vertex(M3d(x, 0, 0));
        run.recorder.vertex(M3d(x + 1, 0, 0));
        run.recorder.vertex(M3d(x, 1, 0));
    }
    run.recorder.end();
    run.items += std::size_t(count);
}

TEST(GLRunTest, StoppedPartReservesForWhatItStillHasToDraw) {
    GLRun run;
    drawTriangles(run, 100);
    run.reserveForItems(10000);
    EXPECT_LT(run.recorder.getVertices().capacity(), 30000u) << "a total seen once";
    drawTriangles(run, 100);
    run.reserveForItems(10000);
    EXPECT_GE(run.recorder.getVertices().capacity(), 30000u);
    EXPECT_GE(run.itemStarts.capacity(), 10000u);
    // The rest drawn in steps never moves what was drawn before.
    const GLVertex* vertices = run.recorder.getVertices().data();
    const int* starts = run.itemStarts.data();
    while (run.items < 10000)
        drawTriangles(run, std::min(2048, 10000 - int(run.items)));
    EXPECT_EQ(vertices, run.recorder.getVertices().data());
    EXPECT_EQ(starts, run.itemStarts.data());
    EXPECT_EQ(30000, run.vertexCount());

    // A total that rises on every stop (a growing net, drawn far behind) reserves nothing
    // ahead: storage follows what is drawn.
    GLRun net;
    for (std::size_t total = 1000; total < 100000; total += 5000) {
        drawTriangles(net, 64);
        net.reserveForItems(total);
        EXPECT_LE(net.recorder.getVertices().capacity(), 2 * std::size_t(net.vertexCount()));
    }
    // Nothing drawn to measure by: nothing reserved.
    GLRun empty;
    empty.reserveForItems(1000);
    empty.reserveForItems(1000);
    EXPECT_EQ(0u, empty.recorder.getVertices().capacity());
}

TEST(GLRunTest, DeferredColoursLandInOrderAndOnlyWhatChangedWaits) {
    GLRun run;
    drawTriangles(run, 10);
    const GLBatchRecorder::PackedColor white{255, 255, 255, 255};
    const GLBatchRecorder::PackedColor red{255, 0, 0, 255};
    const GLBatchRecorder::PackedColor blue{0, 0, 255, 255};
    auto corners = [](const GLBatchRecorder::PackedColor& c) {
        return std::array<GLBatchRecorder::PackedColor, 3>{c, c, c};
    };
    auto colourOf = [&](int item) {
        const std::uint8_t* c = run.recorder.getVertices()[std::size_t(3 * item)].color;
        return GLBatchRecorder::PackedColor{c[0], c[1], c[2], c[3]};
    };
    ASSERT_EQ(white, colourOf(4));
    ASSERT_FALSE(run.canRecolour(4, 4)) << "a triangle is no quadrilateral";
    ASSERT_FALSE(run.canRecolour(10, 3)) << "no such item";

    run.deferRecolour(4, corners(white).data(), 3);
    EXPECT_FALSE(run.hasDeferredColours()) << "the colours it shows already";
    run.deferRecolour(4, corners(red).data(), 3);
    run.deferRecolour(7, corners(red).data(), 3);
    run.deferRecolour(4, corners(blue).data(), 3);
    EXPECT_EQ(white, colourOf(4)) << "nothing changes before the colours are applied";
    run.applyDeferredColours(1);
    EXPECT_EQ(blue, colourOf(4)) << "an item's latest colours win";
    EXPECT_EQ(white, colourOf(7));
    EXPECT_TRUE(run.hasDeferredColours());
    EXPECT_TRUE(run.isDirty()) << "what was recoloured is copied to OpenGL";
    run.applyDeferredColours(5);
    EXPECT_EQ(red, colourOf(7));
    EXPECT_FALSE(run.hasDeferredColours());

    // Recorded again: colours deferred for the old drawing are forgotten.
    run.deferRecolour(2, corners(red).data(), 3);
    run.restart();
    EXPECT_FALSE(run.hasDeferredColours());
}

} // namespace
