#include "SceneTestObjects.h"

#include "scene/SceneRoot.h"
#include "tests/support/RecordingRenderer.h"

#include <gtest/gtest.h>

using Sorvex::M3d;

namespace {

/// Draws one vertex at its local origin and can refuse picking.
class Dot : public TestShape {
public:
    void renderSelf(Renderer* r) override {
        r->beginLines();
        r->vertex(M3d(0, 0, 0));
        r->end();
    }
    double getTransparency(Renderer*) override { return alpha; }
    bool isPickable() override { return pickable; }
    bool isFamilyPickable() override { return familyPickable; }

    double alpha = 1.0;
    bool pickable = true;
    bool familyPickable = true;
};

Dot* addDot(SceneObj* parent, const M3d& at) {
    auto* d = new Dot;
    d->translate(at);
    d->setParent(parent);
    return d;
}

} // namespace

TEST(Renderer, SceneIsDrawnDepthFirstUnderEachObjectsTransform) {
    SceneRoot root;
    Dot* a = addDot(&root, M3d(1, 0, 0));
    addDot(a, M3d(0, 2, 0));
    addDot(&root, M3d(0, 0, 3));

    RecordingRenderer r;
    r.renderScene(root);
    EXPECT_EQ(0u, r.getTransformDepth()) << "every push has its pop";
    EXPECT_EQ(4u, r.count("pushTransform"));
    EXPECT_EQ(4u, r.count("popTransform"));

    std::vector<M3d> drawn;
    for (const RecordedCall& call : r.getCalls())
        if (call.name == "vertex")
            drawn.push_back(call.world);
    ASSERT_EQ(3u, drawn.size());
    EXPECT_EQ(M3d(1, 0, 0), drawn[0]);
    EXPECT_EQ(M3d(1, 2, 0), drawn[1]) << "a child is drawn inside its parent's frame";
    EXPECT_EQ(M3d(0, 0, 3), drawn[2]);
}

TEST(Renderer, PickingSkipsWhatIsNotPickable) {
    SceneRoot root;
    Dot* hidden = addDot(&root, M3d(1, 0, 0));
    hidden->pickable = false;
    addDot(hidden, M3d(0, 1, 0)); // still pickable: the family is
    Dot* closed = addDot(&root, M3d(2, 0, 0));
    closed->familyPickable = false;
    addDot(closed, M3d(0, 1, 0)); // skipped with its family

    RecordingRenderer r;
    r.renderScene(root);
    EXPECT_EQ(4u, r.count("vertex"));

    r.clear();
    r.setFlag(RenderFlag::Picking, true);
    r.renderScene(root);
    EXPECT_EQ(2u, r.count("vertex"));
    EXPECT_EQ(0u, r.getTransformDepth());
}

TEST(Renderer, TransparencyAppliesWhileAnObjectDraws) {
    SceneRoot root;
    Dot* glass = addDot(&root, M3d(0, 0, 0));
    glass->alpha = 0.5;
    struct AlphaProbe : RecordingRenderer {
        void vertex(const M3d& p) override {
            seen.push_back(getTransparency());
            RecordingRenderer::vertex(p);
        }
        std::vector<double> seen;
    } r;
    addDot(&root, M3d(0, 0, 0));
    r.renderScene(root);
    EXPECT_EQ((std::vector<double>{0.5, 1.0}), r.seen);
    EXPECT_EQ(1.0, r.getTransparency());
}

TEST(Renderer, FileOutputIsRefusedWithAReasonUntilARendererWritesFiles) {
    SceneRoot root;
    RecordingRenderer r;
    EXPECT_FALSE(r.render_png(root, "out.png"));
    EXPECT_NE(std::string::npos, r.getLastError().find("PNG"));
    EXPECT_NE(std::string::npos, r.getLastError().find("out.png"));
    EXPECT_FALSE(r.render_pdf(root, "out.pdf"));
    EXPECT_NE(std::string::npos, r.getLastError().find("PDF"));
    EXPECT_FALSE(r.render_eps(root, "out.eps", nullptr));
    EXPECT_NE(std::string::npos, r.getLastError().find("EPS"));
    EXPECT_FALSE(r.oversight(&root));
    EXPECT_FALSE(r.getLastError().empty());
}

TEST(Renderer, StateFlagsAndSelectionAreKept) {
    RecordingRenderer r;
    for (RenderFlag f : {RenderFlag::Shading, RenderFlag::Picking, RenderFlag::WhiteFaces,
                         RenderFlag::SurfacePass, RenderFlag::LineState})
        EXPECT_FALSE(r.getFlag(f));
    r.setFlag(RenderFlag::WhiteFaces, true);
    EXPECT_TRUE(r.getFlag(RenderFlag::WhiteFaces));
    EXPECT_FALSE(r.getFlag(RenderFlag::Shading));
    r.setLineWidth(4);
    EXPECT_EQ(4.0, r.getLineWidth());
    TestShape s;
    r.setSelection(&s);
    EXPECT_EQ(&s, r.getSelection());
}
