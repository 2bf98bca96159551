#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "common/StatusLine.h"
#include "common/XML.h"
#include "scene/SceneEventHandler.h"
#include "scene/SceneRoot.h"
#include "tests/support/FileText.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/engine/CUnfoldingAnimationSettings.h"
#include "unfolders/engine/UnfoldingAnimation.h"
#include "unfolders/strategies/BreadthFirstUnfolder.h"
#include "unfolders/strategies/DepthFirstUnfolder.h"

using Sorvex::M3d;
using namespace testshapes;

namespace {

/// An orthonormal frame on three points of a face: origin a, x along a->b, z normal.
struct Frame {
    M3d o, x, y, z;
    Frame(const M3d& a, const M3d& b, const M3d& c) : o(a) {
        x = (b - a).normalized();
        z.cross(x, c - a);
        z.normalize();
        y.cross(z, x);
    }
    M3d toLocal(const M3d& p) const {
        const M3d d = p - o;
        return M3d(d.dot(x), d.dot(y), d.dot(z));
    }
    M3d fromLocal(const M3d& l) const { return o + x * l.x() + y * l.y() + z * l.z(); }
};

double sizeOf(const PolyMesh& mesh) {
    double low = 0, high = 0;
    mesh.getHeightRange(low, high);
    M3d lo = *mesh.getVertex(0), hi = lo;
    for (const Vertex* v : mesh.getVertices())
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], (*v)[k]);
            hi[k] = std::max(hi[k], (*v)[k]);
        }
    return (hi - lo).length();
}

Poly* rootOf(Poly* f) {
    while (AnimationFace* r = UnfoldingAnimation::GetRecord(f)) {
        if (!r->parent)
            return f;
        f = r->parent;
    }
    return f;
}

/// The independent check of a closed fold: every piece is one rigid motion of its part
/// of the source, so the motion that carries the piece's root source face onto its root
/// face carries every face of the piece onto its animation face. Returns the largest
/// vertex distance found.
double worstClosedDistance(UnfoldingAnimation& anim, PolyMesh& source) {
    double worst = 0;
    for (Poly* f : anim.getPolys()) {
        Poly* root = rootOf(f);
        Poly* rootSource = source.getPoly(size_t(UnfoldingAnimation::GetRecord(root)->sourceIndex));
        const Frame from(*rootSource->getVertex(0), *rootSource->getVertex(1),
                         *rootSource->getVertex(2));
        const Frame to(*root->getVertex(0), *root->getVertex(1), *root->getVertex(2));
        Poly* s = source.getPoly(size_t(UnfoldingAnimation::GetRecord(f)->sourceIndex));
        EXPECT_EQ(s->getVertexCount(), f->getVertexCount());
        for (int i = 0; i < f->getVertexCount(); ++i)
            worst = std::max(
                worst, (to.fromLocal(from.toLocal(*s->getVertex(i))) - *f->getVertex(i)).length());
    }
    return worst;
}

/// Largest distance of an animation vertex from the net face it was copied from.
double worstFlatDistance(UnfoldingAnimation& anim, PolyMesh& source) {
    double worst = 0;
    for (Poly* f : anim.getPolys()) {
        Poly* net =
            source.getPoly(size_t(UnfoldingAnimation::GetRecord(f)->sourceIndex))->getTwin();
        for (int i = 0; i < f->getVertexCount(); ++i)
            worst = std::max(worst, (*net->getVertex(i) - *f->getVertex(i)).length());
    }
    return worst;
}

/// Counts the capture requests an animation sends up to its scene.
struct CaptureLog : SceneEventHandler {
    int frames = 0;
    int ends = 0;
    bool succeed = true;
    std::string lastPath;
    void onRedrawRequest() override {}
    void onFocusRequest(SceneObj*, const Viewpoint&) override {}
    void onSelect(SceneObj*) override {}
    bool onDeselectRequest(SceneObj*) override { return false; }
    bool onCaptureRequest(const std::string& path, int, int, bool) override {
        (path.empty() ? ends : frames)++;
        lastPath = path;
        return succeed || path.empty();
    }
};

template <typename Strategy> struct Fixture {
    std::unique_ptr<PolyMesh> mesh;
    Strategy* u;
    explicit Fixture(std::unique_ptr<PolyMesh> m) : mesh(std::move(m)), u(bind<Strategy>(*mesh)) {
        EXPECT_TRUE(runToEnd(*u));
    }
};

} // namespace

TEST(UnfoldingAnimation, FoldsFlatNetsIntoTheModelOnConvexAndNonConvexMeshes) {
    struct Case {
        std::string name;
        std::unique_ptr<PolyMesh> (*make)();
    };
    const std::vector<Case> cases = {
        {"cube", [] { return meshOf(cube()); }},
        {"icosahedron", [] { return meshOf(icosahedron()); }},
        {"L prism", [] { return lPrism(); }},
        {"torus", [] { return meshOf(torus(8, 6)); }},
        {"icosphere", [] { return meshOf(icosphere(3)); }},
    };
    for (const Case& c : cases) {
        for (int strategy = 0; strategy < 2; ++strategy) {
            SCOPED_TRACE(c.name + (strategy ? " depth first" : " breadth first"));
            std::unique_ptr<PolyMesh> mesh = c.make();
            Unfolder* u = strategy ? static_cast<Unfolder*>(bind<DepthFirstUnfolder>(*mesh))
                                   : static_cast<Unfolder*>(bind<BreadthFirstUnfolder>(*mesh));
            ASSERT_TRUE(runToEnd(*u));
            UnfoldingAnimation anim(u);
            ASSERT_EQ(mesh->getPolyCount(), anim.getPolyCount());
            EXPECT_FALSE(anim.getSeveralPieces());
            ASSERT_EQ(size_t(1), anim.getRoots().size());
            const double size = sizeOf(*mesh);

            anim.flexFaces(0);
            EXPECT_LT(worstFlatDistance(anim, *mesh), 1e-9 * size) << "fraction 0 is the net";
            anim.flexFaces(1);
            EXPECT_LT(worstClosedDistance(anim, *mesh), 1e-6 * size) << "fraction 1 is the model";
            // Halfway the faces are off the net plane but the hinges still hold.
            anim.flexFaces(0.5f);
            double worstHinge = 0;
            for (Poly* f : anim.getPolys()) {
                AnimationFace* r = UnfoldingAnimation::GetRecord(f);
                if (!r->parent)
                    continue;
                const int e = r->parentEdge;
                const auto& siblings = UnfoldingAnimation::GetRecord(r->parent)->children;
                const int k =
                    int(std::find(siblings.begin(), siblings.end(), f) - siblings.begin());
                ASSERT_LT(k, int(siblings.size()));
                // Edge e of the child runs backwards along edge k of the parent.
                worstHinge = std::max(worstHinge,
                                      (*f->getVertex(e) - *r->parent->getVertex(k + 1)).length());
                worstHinge = std::max(worstHinge,
                                      (*f->getVertex(e + 1) - *r->parent->getVertex(k)).length());
                EXPECT_TRUE(anim.hasNeighbor(*f, e));
            }
            EXPECT_LT(worstHinge, 1e-9 * size);
        }
    }
}

TEST(UnfoldingAnimation, NetsInSeveralPiecesFoldEachPieceAboutItsRootAndMoveIt) {
    // Cutting the torus along two meridians leaves two tubes: the net has two pieces.
    const int rings = 8, segments = 6;
    auto mesh = meshOf(torus(rings, segments));
    auto* u = bind<Unfolder>(*mesh);
    Graph<Vertex*> cut;
    for (int ring : {0, rings / 2})
        for (int j = 0; j < segments; ++j)
            cut.addEdge(mesh->getVertex(size_t(ring * segments + j)),
                        mesh->getVertex(size_t(ring * segments + (j + 1) % segments)));
    u->unfoldToCutGraph(cut, 0);
    ASSERT_EQ(mesh->getPolyCount(), u->getPolyCount());
    const M3d shift(0.5, 0, -2);
    u->translate(shift);

    UnfoldingAnimation anim(u);
    ASSERT_EQ(mesh->getPolyCount(), anim.getPolyCount());
    EXPECT_TRUE(anim.getSeveralPieces());
    ASSERT_EQ(size_t(2), anim.getRoots().size());
    const double size = sizeOf(*mesh);

    anim.flexFaces(0);
    EXPECT_LT(worstFlatDistance(anim, *mesh), 1e-9 * size);
    anim.flexFaces(1);
    EXPECT_LT(worstClosedDistance(anim, *mesh), 1e-6 * size);
    // Each root lies flat and moves by p times (recorded position - its centre): here p
    // times the unfolder's own translation.
    anim.flexFaces(0.25f);
    for (const auto& [root, position] : anim.getRoots()) {
        const M3d centre = UnfoldingAnimation::GetRecord(root)->referenceCentre();
        EXPECT_LT((position - (centre + shift)).length(), 1e-12);
        EXPECT_LT((root->getCenter() - (centre + shift * 0.25)).length(), 1e-9);
    }
}

TEST(UnfoldingAnimation, FoldPercentAndPlayback) {
    EXPECT_EQ(0.0f, UnfoldingAnimation::getFoldPercent(0));
    EXPECT_FLOAT_EQ(1.0f, UnfoldingAnimation::getFoldPercent(float(M_PI)));
    UnfoldingAnimation anim;
    anim.setFoldPercent(0.5f);
    EXPECT_FLOAT_EQ(float(M_PI / 2), anim.getTime());
    anim.setFoldPercent(7);
    EXPECT_FLOAT_EQ(float(M_PI), anim.getTime()) << "clamped to 1";
    anim.setFoldPercent(-3);
    EXPECT_EQ(0.0f, anim.getTime()) << "clamped to 0";

    anim.playOnce();
    int ticks = 0;
    while (anim.isPlayingOnce() && ticks < 1000) {
        anim.onSystemIdle();
        ++ticks;
    }
    EXPECT_EQ(91, ticks);
    EXPECT_NEAR(182 * M_PI / 180, anim.getTime(), 1e-5);
    anim.onSystemIdle();
    EXPECT_NEAR(182 * M_PI / 180, anim.getTime(), 1e-5) << "stopped: no more steps";

    anim.play();
    for (int i = 0; i < 500; ++i)
        anim.onSystemIdle();
    EXPECT_TRUE(anim.isPlaying()) << "a loop keeps running";
    EXPECT_EQ(500, anim.getFrame());
    anim.playOnce();
    EXPECT_FALSE(anim.isPlaying());
    EXPECT_EQ(0, anim.getFrame());
    anim.pause();
    EXPECT_FALSE(anim.isPlayingOnce());
}

TEST(UnfoldingAnimation, CapturesOneFramePerStepAndEndsWithTheRun) {
    SceneRoot root;
    CaptureLog log;
    root.setEventHandler(&log);
    auto* mesh = new PolyMesh;
    mesh->fromMeshData(cube());
    mesh->setParent(&root);
    auto* u = bind<BreadthFirstUnfolder>(*mesh);
    ASSERT_TRUE(runToEnd(*u));
    auto* anim = static_cast<UnfoldingAnimation*>(u->convertToAnimation(false));
    ASSERT_NE(nullptr, anim);

    const RGBAColor plain = anim->getColor();
    anim->setScreenCap("movie.avi", 64, 48, false);
    EXPECT_TRUE(anim->getScreenCap());
    EXPECT_DOUBLE_EQ(plain.r / 2, anim->getColor().r) << "darker while recording";
    anim->playOnce();
    for (int i = 0; i < 200; ++i)
        anim->onSystemIdle();
    EXPECT_EQ(91, log.frames);
    EXPECT_EQ(1, log.ends) << "the end of the run ends the movie";
    EXPECT_FALSE(anim->getScreenCap());

    // A frame the scene cannot take ends the capture; the animation plays on.
    log.succeed = false;
    log.frames = log.ends = 0;
    anim->setScreenCap("/nowhere/movie.avi", 64, 48, false);
    anim->play();
    for (int i = 0; i < 5; ++i)
        anim->onSystemIdle();
    EXPECT_EQ(1, log.frames);
    EXPECT_EQ(1, log.ends);
    EXPECT_FALSE(anim->getScreenCap());
    EXPECT_FALSE(anim->getCaptureFailure().empty());
    EXPECT_TRUE(anim->isPlaying());
    SceneObj::ProcessDelayedOperations();
    root.setEventHandler(nullptr);
}

TEST(UnfoldingAnimation, ConversionReplacesTheUnfolderAndMayDeleteTheSource) {
    for (bool deleteSource : {false, true}) {
        SCOPED_TRACE(deleteSource ? "source deleted" : "source kept");
        SceneRoot root;
        auto* mesh = new PolyMesh;
        mesh->fromMeshData(icosahedron());
        mesh->translate(M3d(3, 0, 0));
        mesh->setParent(&root);
        auto* u = bind<BreadthFirstUnfolder>(*mesh);
        ASSERT_TRUE(runToEnd(*u));
        const size_t faces = u->getPolyCount();
        auto* anim = dynamic_cast<UnfoldingAnimation*>(u->convertToAnimation(deleteSource));
        ASSERT_NE(nullptr, anim);
        EXPECT_EQ(&root, anim->getParent());
        EXPECT_EQ(faces, anim->getPolyCount());
        EXPECT_EQ(M3d(3, 0, 0), anim->getTranslation()) << "placed where the net was shown";
        EXPECT_EQ(" Breadth First Unfolder Animation Settings", anim->getPanelTitle());
        EXPECT_EQ(nullptr, u->convertToAnimation(false)) << "converted once";
        SceneObj::ProcessDelayedOperations();
        const size_t expectedChildren = deleteSource ? 1 : 2;
        EXPECT_EQ(expectedChildren, root.getChildren().size());
        if (!deleteSource) {
            EXPECT_TRUE(mesh->getChildren().empty()) << "the unfolder is gone";
        }
        // The animation keeps working without the unfolder (and the source).
        anim->flexFaces(1);
        anim->flexFaces(0.3f);
        EXPECT_EQ(nullptr, anim->doDefaultAction());
        EXPECT_FALSE(anim->canUserUnfold());
    }

    // Without a grandparent there is nowhere to put the animation.
    auto mesh = meshOf(cube());
    auto* u = bind<BreadthFirstUnfolder>(*mesh);
    EXPECT_EQ(nullptr, u->convertToAnimation(false));
    EXPECT_EQ(nullptr, u->doDefaultAction());

    // An unfolder without a root face gives an animation without faces.
    Unfolder unbound;
    UnfoldingAnimation empty(&unbound);
    EXPECT_EQ(size_t(0), empty.getPolyCount());
    empty.flexFaces(1);
}

TEST(UnfoldingAnimation, StoredAutoAnimateConvertsWhenUnfoldingEnds) {
    SceneRoot root;
    auto* mesh = new PolyMesh;
    mesh->fromMeshData(cube());
    mesh->setParent(&root);
    auto* u = new BreadthFirstUnfolder;
    XML xml("BreadthFirstUnfolder");
    xml.add("AutoAnimateUnfolding", "true");
    u->read(xml);
    u->setParent(mesh);
    ASSERT_TRUE(runToEnd(*u));
    SceneObj::ProcessDelayedOperations();
    ASSERT_EQ(size_t(2), root.getChildren().size());
    auto* anim = dynamic_cast<UnfoldingAnimation*>(root.getChildren()[1]);
    ASSERT_NE(nullptr, anim);
    EXPECT_EQ(size_t(6), anim->getPolyCount());
    EXPECT_TRUE(mesh->getChildren().empty());
}

TEST(UnfoldingAnimationSettings, PanelShowsAndDrivesTheAnimation) {
    std::vector<std::string> status;
    RegisterStatusMessageFn([&status](const char* text) { status.push_back(text); });
    auto mesh = meshOf(cube());
    auto* u = bind<BreadthFirstUnfolder>(*mesh);
    ASSERT_TRUE(runToEnd(*u));
    UnfoldingAnimation anim(u);
    CUnfoldingAnimationSettings panel;
    ASSERT_TRUE(panel.create(&anim));
    EXPECT_EQ(" Breadth First Unfolder Animation Settings", panel.getTitle());
    EXPECT_EQ("6", panel.findControl(ControlKind::StaticText, "poly count goes here")->text);
    // A cross of six unit squares fills 6 of the 3 x 4 box; its hull is smaller than the box.
    const double efficiency = panel.getEfficiency();
    EXPECT_GT(efficiency, 1.0);
    EXPECT_LE(efficiency, 12.0 / 6.0);

    EXPECT_TRUE(panel.setSlider("Fold", 100));
    EXPECT_FLOAT_EQ(1.0f, UnfoldingAnimation::getFoldPercent(anim.getTime()));
    EXPECT_LT(worstClosedDistance(anim, *mesh), 1e-6);
    EXPECT_TRUE(panel.click("Play"));
    EXPECT_TRUE(anim.isPlaying());
    EXPECT_TRUE(panel.setSlider("Fold", 50));
    EXPECT_FALSE(anim.isPlaying()) << "moving the slider pauses";
    EXPECT_NEAR(0.5, UnfoldingAnimation::getFoldPercent(anim.getTime()), 1e-6);
    EXPECT_TRUE(panel.click("Play"));
    EXPECT_TRUE(panel.click("Stop"));
    EXPECT_FALSE(anim.isPlaying());

    EXPECT_TRUE(panel.click("Movie"));
    EXPECT_TRUE(anim.getScreenCap());
    EXPECT_TRUE(anim.isPlayingOnce());
    EXPECT_EQ(CUnfoldingAnimationSettings::MoviePath(), anim.getCaptureFile());
    EXPECT_EQ("Stop", panel.findControl(ControlKind::Button, "Movie")->text);
    EXPECT_TRUE(panel.click("Movie"));
    EXPECT_FALSE(anim.getScreenCap());
    EXPECT_EQ("Movie", panel.findControl(ControlKind::Button, "Movie")->text);

    // Printing goes through the function the workbench installs; a failure says so.
    status.clear();
    EXPECT_TRUE(panel.click("Print"));
    ASSERT_FALSE(status.empty());
    EXPECT_EQ("Printer error encountered.", status.back());
    std::string printedPicture;
    int printed = 0;
    CSettingsDlg::SetPicturePrinter([&](const std::string& picture, std::string&) {
        printedPicture = ReadFileText(picture);
        return ++printed > 0;
    });
    status.clear();
    EXPECT_TRUE(panel.click("Print"));
    EXPECT_EQ(1, printed);
    EXPECT_EQ(std::string("\x89PNG", 4), printedPicture.substr(0, 4)) << "a picture is printed";
    for (const std::string& line : status)
        EXPECT_NE("Printer error encountered.", line);
    CSettingsDlg::SetPicturePrinter(
        [](const std::string&, std::string& error) { return error = "out of paper", false; });
    status.clear();
    EXPECT_TRUE(panel.click("Print"));
    ASSERT_FALSE(status.empty());
    EXPECT_EQ("Printer error encountered.", status.back());
    CSettingsDlg::SetPicturePrinter(nullptr);
    RegisterStatusMessageFn(nullptr);
}
