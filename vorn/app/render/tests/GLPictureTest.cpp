// What the buffered view draws, pixel for pixel against the same scene sent vertex by
// vertex in immediate mode (every face drawn, lit on both sides, blended): skipping hidden
// back sides, packing normals and colours and dropping reversed face copies must not change
// the picture, from outside or inside closed meshes, for open meshes seen from behind,
// mirrored, see-through and net-like meshes. Needs an OpenGL display (run under Xvfb).
#include "scene/Factory.h"
#include "scene/mesh/PolyMesh.h"
#include "scene/SceneRoot.h"
#include "tests/support/TestShapes.h"
#include "unfolders/engine/Unfolder.h"
#include "vorn/core/AttachStrategy.h"
#include "vorn/core/UnfoldingLibrary.h"
#include "vorn/app/bench/BenchGLContext.h"
#include "vorn/app/bench/GeodesicSphere.h"
#include "vorn/app/bench/ImmediateRenderer.h"
#include "vorn/app/render/GLCoarseRun.h"
#include "vorn/app/render/GLRenderer.h"

#include <QGuiApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using Sorvex::M3d;

namespace {

constexpr int kSize = 160;

/// How far two frames differ: pixels whose channels differ by more than `tolerance`.
struct FrameDifference {
    int pixels = 0;
    int largest = 0;
};

FrameDifference compare(const QImage& a, const QImage& b, int tolerance) {
    FrameDifference d;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            const int worst = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                        std::abs(qBlue(p) - qBlue(q))});
            d.largest = std::max(d.largest, worst);
            if (worst > tolerance)
                ++d.pixels;
        }
    return d;
}

/// Pixels that are not the background.
int covered(const QImage& image) {
    const QRgb background = image.pixel(0, 0);
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) != background;
    return n;
}

class GLPicture : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        if (!m_gl.make(kSize, kSize, &error))
            GTEST_SKIP() << error;
    }

    PolyMesh& addSphere(int frequency) {
        auto* mesh = new PolyMesh;
        FillGeodesicSphere(*mesh, frequency);
        mesh->setColor(0.8, 0.3, 0.3);
        mesh->setParent(&m_root);
        return *mesh;
    }

    QImage buffered(const Camera& camera) {
        GLRenderer renderer;
        renderer.beginFrame(camera, false);
        renderer.drawScene(m_root);
        return m_gl.grab();
    }

    QImage immediate(const Camera& camera) {
        GLRenderer frame;
        frame.beginFrame(camera, false);
        ImmediateRenderer renderer;
        renderer.setFlag(RenderFlag::Shading, true);
        renderer.renderScene(m_root);
        return m_gl.grab();
    }

    /// The two pictures agree within rounding of the packed colours and normals; both
    /// show the scene.
    void expectSamePicture(const Camera& camera, const char* what) {
        expectPicture(immediate(camera), camera, what);
    }

    void expectPicture(const QImage& expected, const Camera& camera, const char* what) {
        const QImage actual = buffered(camera);
        ASSERT_GT(covered(expected), kSize * kSize / 20) << what << ": the scene is in view";
        const FrameDifference d = compare(expected, actual, 3);
        if (const char* dir = std::getenv("VORN_PICTURE_DIR")) {
            expected.save(QString("%1/%2-expected.png").arg(dir, what));
            actual.save(QString("%1/%2-actual.png").arg(dir, what));
        }
        EXPECT_EQ(0, d.pixels) << what << ": largest channel difference " << d.largest;
    }

    Camera cameraAt(const M3d& eye, const M3d& target) {
        Camera camera;
        camera.setViewport(kSize, kSize);
        camera.setLookAt(eye, target, M3d(0, 1, 0));
        return camera;
    }

    BenchGLContext m_gl;
    SceneRoot m_root;
};

TEST_F(GLPicture, ClosedMeshLooksTheSameFromOutsideAndInside) {
    PolyMesh& sphere = addSphere(6);
    ASSERT_TRUE(sphere.isClosedOutward());
    expectSamePicture(cameraAt(M3d(2.2, 1.4, 2.6), M3d(0, 0, 0)), "outside");
    // From inside only back sides are seen: none may be skipped.
    expectSamePicture(cameraAt(M3d(0.1, 0.05, 0.2), M3d(1, 0, 0)), "inside");

    // Mirrored, the outside turns the other way on the screen but is still the outside:
    // the geodesic sphere is its own mirror image, so the picture is the unmirrored one.
    const Camera outside = cameraAt(M3d(2.2, 1.4, 2.6), M3d(0, 0, 0));
    const Camera inside = cameraAt(M3d(0.1, 0.05, 0.2), M3d(1, 0, 0));
    const QImage unmirroredOutside = immediate(outside);
    const QImage unmirroredInside = immediate(inside);
    Sorvex::M4x4 mirror;
    mirror.set(0, 0, -1);
    sphere.setTransform(mirror);
    expectPicture(unmirroredOutside, outside, "mirrored");
    expectPicture(unmirroredInside, inside, "mirrored, inside");

    // See-through: the far side shows through the near one.
    sphere.setTransform(Sorvex::M4x4());
    sphere.setColor(RGBAColor{0.8, 0.3, 0.3, 0.5});
    expectSamePicture(cameraAt(M3d(2.2, 1.4, 2.6), M3d(0, 0, 0)), "see-through");
}

TEST_F(GLPicture, OpenMeshesShowBothSides) {
    PolyMesh& bowl = addSphere(6);
    // Take the top off: the bowl is open and its inside is seen from above.
    std::vector<Poly*> top;
    for (Poly* f : bowl.getPolys())
        if (f->getCenter().y() > 0.3)
            top.push_back(f);
    for (Poly* f : top)
        bowl.remPolyClean(f);
    ASSERT_FALSE(bowl.isClosedOutward());
    expectSamePicture(cameraAt(M3d(0.4, 3, 0.8), M3d(0, 0, 0)), "open bowl from above");

    // A mesh that asks for reversed copies of its faces, as nets do, from either side.
    bowl.setRenderBackFaces(true);
    bowl.setRenderFaceEdges(true);
    expectSamePicture(cameraAt(M3d(0.4, 3, 0.8), M3d(0, 0, 0)), "net-like, above");
    expectSamePicture(cameraAt(M3d(0.4, -3, 0.8), M3d(0, 0, 0)), "net-like, below");
}

TEST_F(GLPicture, FacesShadedOnceThroughTheFlatIndexLookTheSame) {
    // Large enough for a vertex buffer of its own, which is drawn through a flat index.
    PolyMesh& sphere = addSphere(42);
    const Camera outside = cameraAt(M3d(2.2, 1.4, 2.6), M3d(0, 0, 0));
    const Camera inside = cameraAt(M3d(0.1, 0.05, 0.2), M3d(1, 0, 0));
    auto expectSameAsUnindexed = [&](const Camera& camera, const char* what) {
        GLRenderer indexed;
        indexed.beginFrame(camera, false);
        indexed.drawScene(m_root);
        const QImage actual = m_gl.grab();
        GLRenderer unindexed;
        unindexed.setIndexedDrawing(false);
        unindexed.beginFrame(camera, false);
        unindexed.drawScene(m_root);
        const QImage expected = m_gl.grab();
        ASSERT_GT(covered(expected), kSize * kSize / 20) << what << ": the scene is in view";
        const FrameDifference d = compare(expected, actual, 0);
        EXPECT_EQ(0, d.pixels) << what << ": largest channel difference " << d.largest;
    };
    expectSameAsUnindexed(outside, "outside");
    expectSameAsUnindexed(inside, "inside");
    // See-through faces blend in drawing order, which the index keeps.
    sphere.setColor(RGBAColor{0.3, 0.6, 0.9, 0.5});
    expectSameAsUnindexed(outside, "see-through");
    // An open net-like mesh with its edges, from both sides.
    std::vector<Poly*> top;
    for (Poly* f : sphere.getPolys())
        if (f->getCenter().y() > 0.3)
            top.push_back(f);
    for (Poly* f : top)
        sphere.remPolyClean(f);
    sphere.setColor(RGBAColor{0.8, 0.3, 0.3, 1.0});
    sphere.setRenderBackFaces(true);
    sphere.setRenderFaceEdges(true);
    expectSameAsUnindexed(cameraAt(M3d(0.4, 3, 0.8), M3d(0, 0, 0)), "net-like, above");
    expectSameAsUnindexed(cameraAt(M3d(0.4, -3, 0.8), M3d(0, 0, 0)), "net-like, below");
    Sorvex::M4x4 mirror;
    mirror.set(0, 0, -1);
    sphere.setTransform(mirror);
    expectSameAsUnindexed(cameraAt(M3d(0.4, 3, 0.8), M3d(0, 0, 0)), "mirrored");
}

TEST_F(GLPicture, BackTurnedClustersOfABigClosedMeshAreLeftOutUnseen) {
    // Large enough for a buffer of its own, whose closed surfaces are drawn without the
    // clusters that turn their backs to the eye; immediate mode draws every face.
    PolyMesh& sphere = addSphere(42);
    expectSamePicture(cameraAt(M3d(2.2, 1.4, 2.6), M3d(0, 0, 0)), "big, outside");
    // Close over the surface, where the eye sees few faces and most clusters edge-on.
    expectSamePicture(cameraAt(M3d(0.2, 1.15, 0.1), M3d(-0.4, 0, 0.5)), "big, close");
    Camera parallel = cameraAt(M3d(-2.5, -1.2, 1.8), M3d(0, 0, 0));
    parallel.setOrthographic(true);
    parallel.setVisibleHeight(2.6);
    expectSamePicture(parallel, "big, parallel");
    // Mirrored: the geodesic sphere is its own mirror image.
    const Camera outside = cameraAt(M3d(2.2, 1.4, 2.6), M3d(0, 0, 0));
    const QImage unmirrored = immediate(outside);
    Sorvex::M4x4 mirror;
    mirror.set(0, 0, -1);
    sphere.setTransform(mirror);
    expectPicture(unmirrored, outside, "big, mirrored");
}

TEST_F(GLPicture, AHugeMeshIsDrawnCoarserOnlyWhileTheCameraMoves) {
    PolyMesh& sphere = addSphere(42);
    const Camera camera = cameraAt(M3d(2.2, 1.4, 2.6), M3d(0, 0, 0));
    GLRenderer r;
    r.setBufferReuse(true);
    auto draw = [&] {
        r.beginFrame(camera, false);
        r.drawScene(m_root);
        return m_gl.grab();
    };
    const QImage still = draw();
    EXPECT_FALSE(r.drewStandIn());
    r.setCameraMoving(true);
    QImage moving;
    for (int i = 0; i < GLCoarseRun::kSteadyFrames; ++i)
        moving = draw();
    ASSERT_TRUE(r.drewStandIn());
    // Corners move by a few pixels at most: the outline and the shading stay close.
    const int area = covered(still);
    EXPECT_NEAR(area, covered(moving), area / 50);
    EXPECT_LT(compare(still, moving, 24).pixels, area / 10);
    if (const char* dir = std::getenv("VORN_PICTURE_DIR"))
        moving.save(QString("%1/moving.png").arg(dir));

    // The first frame after the camera stops draws every face again.
    r.setCameraMoving(false);
    EXPECT_EQ(0, compare(still, draw(), 0).pixels);
    EXPECT_FALSE(r.drewStandIn());

    // A mesh that changed is drawn as recorded until it held still for a few frames.
    r.setCameraMoving(true);
    sphere.setColor(0.3, 0.6, 0.9);
    r.invalidate();
    const QImage recoloured = draw();
    EXPECT_FALSE(r.drewStandIn());
    for (int i = 1; i < GLCoarseRun::kSteadyFrames; ++i)
        draw();
    EXPECT_TRUE(r.drewStandIn());
    EXPECT_LT(compare(recoloured, draw(), 24).pixels, area / 10) << "the stand-in takes the new colour";
}

/// The view's renderer keeps parts of objects between frames and appends to or recolours
/// them; after every kind of change its picture must be the one a fresh recording of the
/// whole scene gives, pixel for pixel.
class KeptDrawing : public GLPicture {
protected:
    void SetUp() override {
        GLPicture::SetUp();
        if (IsSkipped())
            return;
        std::string error;
        ASSERT_TRUE(LoadUnfoldingLibrary(&error)) << error;
        m_kept.setBufferReuse(true);
    }

    /// Draws the scene as the view does after a redraw request, and compares it with a
    /// renderer that records everything afresh.
    GLRenderer::PartCounts expectKeptMatchesFresh(const Camera& camera, const std::string& what) {
        m_kept.invalidate();
        m_kept.setSelection(m_root.getSelection());
        m_kept.beginFrame(camera, false);
        m_kept.drawScene(m_root);
        const QImage kept = m_gl.grab();
        GLRenderer fresh;
        fresh.setSelection(m_root.getSelection());
        fresh.beginFrame(camera, false);
        fresh.drawScene(m_root);
        const QImage expected = m_gl.grab();
        EXPECT_GT(covered(expected), kSize * kSize / 50) << what << ": the scene is in view";
        const FrameDifference d = compare(expected, kept, 0);
        if (const char* dir = std::getenv("VORN_PICTURE_DIR")) {
            expected.save(QString("%1/kept-%2-expected.png").arg(dir, what.c_str()));
            kept.save(QString("%1/kept-%2-actual.png").arg(dir, what.c_str()));
        }
        EXPECT_EQ(0, d.pixels) << what << ": largest channel difference " << d.largest;
        return m_kept.getPartCounts();
    }

    /// After recordings under a budget caught up: the picture is a fresh recording's, and
    /// one more recording without a budget keeps every part (drawn in steps or recoloured
    /// in place, nothing recorded anew).
    void expectCaughtUpAsFresh(const Camera& camera) {
        const QImage caughtUp = m_gl.grab();
        GLRenderer fresh;
        fresh.beginFrame(camera, false);
        fresh.drawScene(m_root);
        EXPECT_EQ(0, compare(m_gl.grab(), caughtUp, 0).pixels) << "caught up under the budget";
        m_kept.setRecordBudgetMs(0);
        const GLRenderer::PartCounts counts = expectKeptMatchesFresh(camera, "caught up");
        EXPECT_EQ(0, counts.recorded) << "what was drawn in steps or recoloured is kept";
    }

    /// A sphere with `strategy` attached, as the Unfold menu attaches it.
    Unfolder* unfoldSphere(const char* strategy, int levels, PolyMesh** source) {
        auto* sphere = new PolyMesh;
        sphere->fromMeshData(testshapes::icosphere(levels));
        sphere->setParent(&m_root);
        Factory* factory = Factory::GetFactory(strategy);
        std::string error;
        SceneObj* attached = factory ? AttachStrategy(*sphere, *factory, &error) : nullptr;
        EXPECT_TRUE(attached) << strategy << ": " << error;
        SceneObj::ProcessDelayedOperations();
        *source = sphere;
        return dynamic_cast<Unfolder*>(attached);
    }

    /// Where the sphere and the net laid out below it are both in view.
    Camera aboveTheNet() { return cameraAt(M3d(1.5, 4.5, 3.5), M3d(0, -0.5, 0)); }

    /// Breadth First attached to a sphere whose unfolded faces turn blue, drawn once by
    /// the kept renderer (and checked); null when attaching failed.
    Unfolder* attachShowingTwinsInBlue(PolyMesh** source) {
        Unfolder* net = unfoldSphere("BreadthFirstUnfolder", 3, source);
        if (net) {
            (*source)->setRenderTwinnedInBlue(true);
            expectKeptMatchesFresh(aboveTheNet(), "attached");
        }
        return net;
    }

    GLRenderer m_kept;
};

TEST_F(KeptDrawing, GrowingNetAndItsSourceAsDrawnAfresh) {
    PolyMesh* source = nullptr;
    Unfolder* net = attachShowingTwinsInBlue(&source);
    ASSERT_TRUE(net);
    const Camera camera = aboveTheNet();

    // Growth appends faces and edges to the net's kept parts and recolours the source's.
    int appended = 0, recoloured = 0;
    for (int step = 0; step < 12 && !net->isDone(); ++step) {
        for (int tick = 0; tick < 9; ++tick)
            net->onSystemIdle();
        const GLRenderer::PartCounts counts =
            expectKeptMatchesFresh(camera, "growth step " + std::to_string(step));
        appended += counts.appended;
        recoloured += counts.recoloured;
    }
    EXPECT_GT(appended, 0) << "the net's faces were appended to what was kept";
    EXPECT_GT(recoloured, 0) << "the source's faces were recoloured in place";
    for (int tick = 0; tick < 100000 && !net->isDone(); ++tick)
        net->onSystemIdle();
    ASSERT_TRUE(net->isDone());
    expectKeptMatchesFresh(camera, "done");

    // Recolouring: the twins shown no more, a new colour, see-through.
    source->setRenderTwinnedInBlue(false);
    expectKeptMatchesFresh(camera, "twins hidden");
    source->setColor(RGBAColor{0.2, 0.7, 0.3, 1.0});
    expectKeptMatchesFresh(camera, "source recoloured");
    source->setColor(RGBAColor{0.2, 0.7, 0.3, 0.5});
    expectKeptMatchesFresh(camera, "source see-through");
    source->setColor(RGBAColor{0.9, 0.9, 0.9, 1.0});

    // Hovering a source face highlights it and links it to its net face.
    net->setDrawLines(true);
    source->setHighlightedPoly(source->getPoly(7));
    expectKeptMatchesFresh(camera, "hover");
    source->setHighlightedPoly(nullptr);
    expectKeptMatchesFresh(camera, "hover ended");

    // Selection, moves, vertices moved in place, faces removed, objects deleted.
    m_root.select(net);
    expectKeptMatchesFresh(camera, "net selected");
    m_root.select(source);
    expectKeptMatchesFresh(camera, "source selected");
    net->translate(M3d(0.3, 0, -0.2));
    expectKeptMatchesFresh(camera, "net moved");
    source->translate(M3d(-0.2, 0.1, 0));
    expectKeptMatchesFresh(camera, "source moved");
    net->shiftToCenter();
    expectKeptMatchesFresh(camera, "net vertices moved");
    net->remPolyClean(net->getPoly(net->getPolyCount() / 2));
    net->onChanged(true);
    expectKeptMatchesFresh(camera, "net face removed");
    delete net;
    expectKeptMatchesFresh(camera, "net deleted");
    m_root.select(nullptr);
    const std::size_t faces = source->getPolyCount();
    source->remPolyClean(source->getPoly(3));
    source->onChanged(true);
    ASSERT_EQ(faces - 1, source->getPolyCount());
    expectKeptMatchesFresh(camera, "source face removed");
}

TEST_F(KeptDrawing, SourceFacesTakeTheirColourBackWhenTheirNetFacesGo) {
    PolyMesh* source = nullptr;
    Unfolder* net = unfoldSphere("BreadthFirstUnfolder", 3, &source);
    ASSERT_TRUE(net);
    source->setRenderTwinnedInBlue(true);
    for (int tick = 0; tick < 100000 && !net->isDone(); ++tick)
        net->onSystemIdle();
    const Camera camera = cameraAt(M3d(1.5, 4.5, 3.5), M3d(0, -0.5, 0));
    expectKeptMatchesFresh(camera, "all twinned");
    // Deleting net faces unlinks their source faces, which are blue no more; the source
    // itself did not change, so its kept faces are only recoloured.
    for (std::size_t k = net->getPolyCount() / 2; k > 0; --k)
        net->remPolyClean(net->getPoly(net->getPolyCount() - 1));
    net->onChanged(true);
    const GLRenderer::PartCounts counts = expectKeptMatchesFresh(camera, "half the net gone");
    EXPECT_GT(counts.recoloured, 0) << "the source's faces were recoloured in place";
}

TEST_F(KeptDrawing, BoundedRecordingsCatchUpWithTheFreshPicture) {
    PolyMesh* source = nullptr;
    Unfolder* net = unfoldSphere("BreadthFirstUnfolder", 3, &source);
    ASSERT_TRUE(net);
    net->setRenderFaceEdges(true);
    for (int tick = 0; tick < 100000 && !net->isDone(); ++tick)
        net->onSystemIdle();
    ASSERT_TRUE(net->isDone());
    const Camera camera = cameraAt(M3d(1.5, 4.5, 3.5), M3d(0, -0.5, 0));
    // Always past the budget: every part draws 64 more items per recording and stops.
    m_kept.setRecordBudgetMs(1e-6, 64);
    int recordings = 0;
    int lastCovered = 0;
    do {
        m_kept.invalidate();
        m_kept.beginFrame(camera, false);
        m_kept.drawScene(m_root);
        const int now = covered(m_gl.grab());
        EXPECT_GE(now, lastCovered) << "recording " << recordings << " only adds faces";
        lastCovered = now;
        ++recordings;
    } while (!m_kept.isCaughtUp() && recordings < 100);
    // 1,280 faces in each of the source and the net, 64 a recording: every part makes
    // headway in every recording, whatever the parts before it left undone. One more
    // recording gives the faces kept meanwhile their colours.
    EXPECT_EQ(1280 / 64 + 1, recordings);
    expectCaughtUpAsFresh(camera);
}

TEST_F(KeptDrawing, RecolouringPastTheBudgetCatchesUpWithTheFreshPicture) {
    PolyMesh* source = nullptr;
    Unfolder* net = attachShowingTwinsInBlue(&source);
    ASSERT_TRUE(net);
    const Camera camera = aboveTheNet();
    // Always past the budget: each part recolours 64 kept faces a recording, and the new
    // colours of the others wait for the next recordings, as the net's new faces do.
    m_kept.setRecordBudgetMs(1e-6, 64);
    auto record = [&] {
        m_kept.invalidate();
        m_kept.beginFrame(camera, false);
        m_kept.drawScene(m_root);
    };
    int behind = 0;
    for (int step = 0; step < 12 && !net->isDone(); ++step) {
        for (int tick = 0; tick < 9; ++tick)
            net->onSystemIdle();
        record();
        behind += !m_kept.isCaughtUp();
    }
    EXPECT_GT(behind, 0) << "the budget held recordings back";
    for (int tick = 0; tick < 100000 && !net->isDone(); ++tick)
        net->onSystemIdle();
    ASSERT_TRUE(net->isDone());
    // The net's faces change colour while it is still drawn in steps: those kept take the
    // new colour once it is whole.
    int recordings = 0;
    do {
        record();
        if (recordings == 2)
            net->setColor(RGBAColor{0.3, 0.5, 0.9, 1.0});
    } while (!m_kept.isCaughtUp() && ++recordings < 200);
    ASSERT_TRUE(m_kept.isCaughtUp());
    // Caught up under the budget: the picture is the fresh one, every source face blue.
    expectCaughtUpAsFresh(camera);
}

TEST_F(KeptDrawing, PartRecordedAnewInStepsShowsTheLastCompleteDrawing) {
    PolyMesh* source = nullptr;
    Unfolder* net = unfoldSphere("BreadthFirstUnfolder", 3, &source);
    ASSERT_TRUE(net);
    for (int tick = 0; tick < 100000 && !net->isDone(); ++tick)
        net->onSystemIdle();
    const Camera camera = cameraAt(M3d(1.5, 4.5, 3.5), M3d(0, -0.5, 0));
    expectKeptMatchesFresh(camera, "complete");
    // Vertices reported moved in place give the source's faces a new stamp: they are
    // recorded anew, 64 a recording, while the picture stays the complete one it was.
    source->markDrawingChanged();
    m_kept.setRecordBudgetMs(1e-6, 64);
    m_kept.invalidate();
    m_kept.beginFrame(camera, false);
    m_kept.drawScene(m_root);
    EXPECT_FALSE(m_kept.isCaughtUp());
    const QImage partway = m_gl.grab();
    m_kept.setRecordBudgetMs(0);
    GLRenderer fresh;
    fresh.beginFrame(camera, false);
    fresh.drawScene(m_root);
    EXPECT_EQ(0, compare(m_gl.grab(), partway, 0).pixels) << "no partial shell on show";
    const GLRenderer::PartCounts counts = expectKeptMatchesFresh(camera, "recorded anew");
    EXPECT_GT(counts.appended, 0) << "the new drawing went on from where it stopped";
}

TEST_F(KeptDrawing, EdgeLinesOfAManualUnfolderAsDrawnAfresh) {
    PolyMesh* source = nullptr;
    Unfolder* net = unfoldSphere("ManualUnfolder", 2, &source);
    ASSERT_TRUE(net);
    const Camera camera = cameraAt(M3d(0.4, 1.2, 2.8), M3d(0, -0.3, 0));
    expectKeptMatchesFresh(camera, "manual");
    // Clicking lines toggles cuts, which lays the net out again and changes the look of
    // the lines whose edges changed; the rest stay as they were kept.
    const std::vector<SceneObj*> lines = net->getChildren();
    ASSERT_GT(lines.size(), 40u);
    for (std::size_t k : {std::size_t(3), std::size_t(17), std::size_t(29), std::size_t(3)}) {
        lines[k]->onLButtonUp(M3d());
        SceneObj::ProcessDelayedOperations();
        const GLRenderer::PartCounts counts =
            expectKeptMatchesFresh(camera, "toggle " + std::to_string(k));
        EXPECT_GT(counts.reused, int(lines.size()) / 2) << "most lines stay as they were";
    }
    lines[11]->onMouseOver(M3d());
    expectKeptMatchesFresh(camera, "line hovered");
    lines[11]->onMouseLeave();
    expectKeptMatchesFresh(camera, "line left");
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
