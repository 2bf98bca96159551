#include "vorn/app/render/GLRun.h"

#include <gtest/gtest.h>

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
    EXPECT_GE(run.recorder.getVertices().capacity(), 30000u);
    EXPECT_GE(run.itemStarts.capacity(), 10000u);
    // The rest drawn in steps never moves what was drawn before.
    const GLVertex* vertices = run.recorder.getVertices().data();
    const int* starts = run.itemStarts.data();
    while (run.items < 10000)
        drawTriangles(run, 2048 < 10000 - int(run.items) ? 2048 : 10000 - int(run.items));
    EXPECT_EQ(vertices, run.recorder.getVertices().data());
    EXPECT_EQ(starts, run.itemStarts.data());
    EXPECT_EQ(30000, run.vertexCount());

    // A total that keeps rising a little (a growing net) reserves at least twice the room
    // each time it no longer fits, not a little more every recording.
    const std::size_t room = run.recorder.getVertices().capacity();
    run.reserveForItems(run.items + 1 + (room - 30000) / 3);
    EXPECT_GE(run.recorder.getVertices().capacity(), 2 * room);
    // Nothing left to draw, or nothing drawn to measure by: nothing reserved.
    GLRun empty;
    empty.reserveForItems(1000);
    EXPECT_EQ(0u, empty.recorder.getVertices().capacity());
    const std::size_t before = run.recorder.getVertices().capacity();
    run.reserveForItems(run.items);
    EXPECT_EQ(before, run.recorder.getVertices().capacity());
}

} // namespace
