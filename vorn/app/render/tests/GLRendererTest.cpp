#include "vorn/app/render/GLRenderer.h"

#include "scene/SceneObj.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <utility>
#include <vector>

using Sorvex::M3d;

namespace {

/// Draws one triangle and a label, and counts how often it was asked to draw. A selected
/// triangle is drawn yellow, as scene objects mark their selection.
class CountingTriangle : public SceneObj {
public:
    void renderSelf(Renderer* r) override {
        ++draws;
        r->beginTriangles();
        if (r->getSelection() == this)
            r->color(1, 1, 0);
        else
            r->color(0.5, 0.5, 0.5);
        r->vertex(M3d(0, 0, 0));
        r->vertex(M3d(1, 0, 0));
        r->vertex(M3d(0, 1, 0));
        r->end();
        r->renderText(M3d(0, 0, 0), "corner");
    }
    int draws = 0;
};

/// The same triangle, kept by renderers between frames while its stamp holds.
class KeptTriangle : public CountingTriangle {
public:
    bool reusesDrawing() override { return true; }
};

// No OpenGL context is current in these tests: the renderer records but uploads nothing,
// which is enough to see when it records.
TEST(GLRendererTest, KeptRecordingIsReusedUntilSomethingChanges) {
    SceneObj root;
    auto* triangle = new CountingTriangle;
    triangle->setParent(&root);
    triangle->setTransform(Sorvex::M4x4::Translation(M3d(5, 0, 0)));

    GLRenderer r;
    r.setBufferReuse(true);
    r.drawScene(root);
    r.drawScene(root);
    EXPECT_EQ(1, triangle->draws) << "a camera-only frame draws from the recording";
    ASSERT_EQ(3u, r.getRecording().getVertices().size());
    EXPECT_FLOAT_EQ(6.0f, r.getRecording().getVertices()[1].position[0])
        << "vertices are recorded in world coordinates";
    EXPECT_EQ(128, r.getRecording().getVertices()[0].color[2]);

    r.setSelection(triangle);
    r.drawScene(root);
    EXPECT_EQ(2, triangle->draws) << "a new selection is drawn afresh";
    EXPECT_EQ(0, r.getRecording().getVertices()[0].color[2]);
    r.setSelection(triangle);
    r.drawScene(root);
    EXPECT_EQ(2, triangle->draws) << "the same selection again changes nothing";

    r.invalidate();
    r.drawScene(root);
    EXPECT_EQ(3, triangle->draws);

    SceneObj otherRoot;
    r.drawScene(otherRoot);
    EXPECT_TRUE(r.getRecording().isEmpty()) << "another root is recorded, not the old one";
    r.drawScene(root);
    EXPECT_EQ(4, triangle->draws);

    r.setBufferReuse(false);
    r.drawScene(root);
    r.drawScene(root);
    EXPECT_EQ(6, triangle->draws) << "without reuse every frame records";
    EXPECT_EQ(r.getRecordCount(), 7);
}

TEST(GLRendererTest, DrawingsAndTextsLeaveTheSceneRecordingStale) {
    SceneObj root;
    auto* triangle = new CountingTriangle;
    triangle->setParent(&root);
    GLRenderer r;
    r.setBufferReuse(true);
    r.drawScene(root);
    ASSERT_EQ(1u, r.getTexts().size());
    EXPECT_EQ("corner", r.getTexts()[0].text);

    // A panel's drawing replaces the recording, so the scene must be recorded again.
    r.drawWith([](Renderer& pen) {
        pen.beginLines();
        pen.vertex(M3d(0, 0, 0));
        pen.vertex(M3d(0, 0, 1));
        pen.end();
    });
    ASSERT_EQ(1u, r.getRecording().getBatches().size());
    EXPECT_EQ(GLBatch::Kind::Lines, r.getRecording().getBatches()[0].kind);
    r.drawScene(root);
    EXPECT_EQ(2, triangle->draws);
    EXPECT_EQ(GLBatch::Kind::Triangles, r.getRecording().getBatches()[0].kind);
}

TEST(GLRendererTest, SelectionIsOutlinedAroundWhatItDrew) {
    SceneObj root;
    auto* triangle = new CountingTriangle;
    triangle->setParent(&root);
    triangle->setTransform(Sorvex::M4x4::Translation(M3d(5, 0, 0)));
    auto* other = new CountingTriangle;
    other->setParent(&root);

    GLRenderer r;
    r.drawScene(root);
    EXPECT_EQ(1u, r.getRecording().getBatches().size()) << "nothing selected, no outline";
    M3d lo, hi;
    ASSERT_TRUE(r.getSceneBounds(lo, hi));
    EXPECT_DOUBLE_EQ(0.0, lo.x());
    EXPECT_DOUBLE_EQ(6.0, hi.x()) << "the scene's bounds are in world coordinates";

    r.setSelection(triangle);
    r.drawScene(root);
    const GLRenderer::FlatRecording recording = r.getRecording();
    const auto& batches = recording.getBatches();
    ASSERT_EQ(2u, batches.size());
    const GLBatch& outline = batches.back();
    EXPECT_EQ(GLBatch::Kind::Lines, outline.kind);
    EXPECT_EQ(24, outline.count) << "the twelve edges of a box";
    float minX = 1e9f, maxX = -1e9f;
    for (int i = outline.first; i < outline.first + outline.count; ++i) {
        minX = std::min(minX, recording.getVertices()[size_t(i)].position[0]);
        maxX = std::max(maxX, recording.getVertices()[size_t(i)].position[0]);
    }
    EXPECT_LT(minX, 5.0f);
    EXPECT_GT(minX, 4.9f) << "around the selected triangle only, not the other one";
    EXPECT_GT(maxX, 6.0f);
    EXPECT_LT(maxX, 6.1f);
}

// Objects that keep their drawing are drawn again only when their stamp or what they were
// drawn under (transform, colour) changed; what is kept is recorded exactly as before.
TEST(GLRendererTest, KeptObjectsAreDrawnAgainOnlyWhenTheyOrTheirPlaceChange) {
    SceneObj root;
    auto* group = new SceneObj;
    group->setParent(&root);
    auto* kept = new KeptTriangle;
    kept->setParent(group);
    auto* plain = new CountingTriangle;
    plain->setParent(&root);

    GLRenderer r;
    r.setBufferReuse(true);
    auto redraw = [&] {
        r.invalidate();
        r.drawScene(root);
    };
    redraw();
    const GLRenderer::FlatRecording first = r.getRecording();
    redraw();
    EXPECT_EQ(1, kept->draws) << "kept while nothing changed";
    EXPECT_EQ(2, plain->draws) << "objects without a stamp are drawn every time";
    EXPECT_EQ(1, r.getPartCounts().reused);
    const GLRenderer::FlatRecording again = r.getRecording();
    ASSERT_EQ(first.vertices.size(), again.vertices.size());
    for (size_t i = 0; i < first.vertices.size(); ++i)
        EXPECT_EQ(0, std::memcmp(&first.vertices[i], &again.vertices[i], sizeof(GLVertex)));
    EXPECT_EQ(2u, again.texts.size()) << "kept texts are kept too";

    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"changed in place", [&] { kept->onChanged(false); }},
        {"changed structurally", [&] { kept->onChanged(true); }},
        {"marked", [&] { kept->markDrawingChanged(); }},
        {"moved", [&] { kept->translate(M3d(1, 0, 0)); }},
        {"its parent moved", [&] { group->translate(M3d(0, 1, 0)); }},
    };
    int draws = kept->draws;
    for (const auto& [what, change] : changes) {
        change();
        redraw();
        EXPECT_EQ(++draws, kept->draws) << what;
        redraw();
        EXPECT_EQ(draws, kept->draws) << what << ", then nothing";
    }
    float farthest = 0.0f;
    for (const GLVertex& v : r.getRecording().vertices)
        farthest = std::max(farthest, v.position[0] + v.position[1]);
    EXPECT_FLOAT_EQ(3.0f, farthest) << "the kept triangle drawn where it was moved to";

    r.setKeepParts(false);
    redraw();
    EXPECT_EQ(++draws, kept->draws) << "nothing kept";
}

} // namespace
