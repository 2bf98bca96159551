// The scored growth strategies: hand-worked placement orders, their tie rules, trial
// attachments that leave no trace, and complete nets checked by brute force.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "common/StatusLine.h"
#include "scene/Factory.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/SoundNet.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/ConvexHullUnfolder.h"
#include "unfolders/strategies/CrestUnfolder.h"
#include "unfolders/strategies/PathMinimizerUnfolder.h"
#include "unfolders/strategies/RadiusMinimizerUnfolder.h"
#include "unfolders/strategies/tests/NetInspection.h"
#include "unfolders/strategies/tests/TestModels.h"

using namespace testshapes;
using namespace netinspection;
using Order = std::vector<int>;
using Sorvex::M3d;

namespace {

/// A box 2 long (x), 1 deep (z) and 0.5 high: its faces are walls 0 (z = 0), 1 (x = 2),
/// 2 (z = 1), 3 (x = 0), the top 4 and the bottom 5, where every run starts.
std::unique_ptr<PolyMesh> flatBox() {
    return prism({{0, 0}, {2, 0}, {2, 1}, {0, 1}}, 0.5);
}

/// Every candidate scores alike, so that each pass shows the tie rule alone.
class EvenHullUnfolder : public ConvexHullUnfolder {
public:
    double getRegion() override { return 1.0; }
    double getRegionWith(const Poly&) override { return 1.0; }
};

/// Twice the area of the convex hull of the net's corners in (x, z), by Andrew's
/// monotone chain over every corner: shares nothing with the planar hull.
double bruteForceHullArea(Unfolder& u) {
    std::vector<std::pair<double, double>> points;
    for (Vertex* v : u.getVertices())
        if (!v->getPolys().empty())
            points.emplace_back(v->x(), v->z());
    std::sort(points.begin(), points.end());
    auto cross = [](const auto& o, const auto& a, const auto& b) {
        return (a.first - o.first) * (b.second - o.second) -
               (a.second - o.second) * (b.first - o.first);
    };
    std::vector<std::pair<double, double>> chain(2 * points.size() + 1);
    std::size_t k = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        while (k >= 2 && cross(chain[k - 2], chain[k - 1], points[i]) <= 0)
            --k;
        chain[k++] = points[i];
    }
    for (std::size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && cross(chain[k - 2], chain[k - 1], points[i]) <= 0)
            --k;
        chain[k++] = points[i];
    }
    double twice = 0;
    for (std::size_t i = 0; i + 1 < k; ++i)
        twice += chain[i].first * chain[i + 1].second - chain[i + 1].first * chain[i].second;
    return std::fabs(twice) / 2;
}

/// The hull strategies as the rules state them, plainly: every candidate attached on
/// trial, the net's hull measured by brute force over all its corners, the candidate
/// taken back; scores within a billionth of the hull's area are ties, the first kept.
class PlainHullReference : public Unfolder {
public:
    bool emptyRoom = false; // the space filler's score instead of the hull's
    bool isDone() override { return stuck || (source && getPolyCount() >= source->getPolyCount()); }
    void unfold() override {
        while (!isDone())
            pass();
    }

private:
    double score() {
        double s = bruteForceHullArea(*this);
        if (emptyRoom)
            s -= getPolyListArea(getPolys());
        return s;
    }
    void pass() {
        const double tie = 1e-9 * bruteForceHullArea(*this);
        double best = 3.4028234663852886e38;
        Poly* bestFace = nullptr;
        int bestEdge = -1;
        const std::vector<Poly*> net(getPolys().begin(), getPolys().end());
        for (Poly* g : net) {
            Poly* t = g->getTwin();
            for (int i = 0; i < t->getVertexCount(); ++i) {
                Poly* n = t->getNeighbor(i);
                if (!n || n->getTwin() || n->getNeighborIndex(t) < 0)
                    continue;
                const int k = n->getNeighborIndex(t);
                Poly* trial = copyAndFlatten(*n, k, nullptr);
                if (!trial)
                    continue;
                addTwin(*n, *trial);
                const double r = score();
                remPolyClean(trial);
                if (r < best - tie) {
                    best = r;
                    bestFace = n;
                    bestEdge = k;
                }
            }
        }
        if (!bestFace)
            stuck = true;
        else
            unfoldToEdge(*bestFace, bestEdge);
    }
    bool stuck = false;
};

/// A Crest run whose net holds, beside its starting face, an untwinned face covering the
/// plane around it, so that every candidate's copy overlaps the net and is refused.
class BlockedCrestUnfolder : public CrestUnfolder {
public:
    void block() {
        const double y = getPoly(0)->getVertex(0)->y();
        auto* cover = new Poly({addVertexAt(M3d(-50, y, -50)), addVertexAt(M3d(50, y, -50)),
                                addVertexAt(M3d(50, y, 50)), addVertexAt(M3d(-50, y, 50))});
        addPoly(cover);
    }
};

/// Exposes the flatten and attach steps so a test can attach a face on trial itself.
class TrialProbe : public ConvexHullUnfolder {
public:
    Poly* attachOnTrial(Poly& n, int k) {
        Poly* copy = copyAndFlatten(n, k, nullptr);
        if (copy)
            addTwin(n, *copy);
        return copy;
    }
};

/// The same for the space filler.
class SpaceFillerProbe : public SpaceFillerUnfolder {
public:
    Poly* attachOnTrial(Poly& n, int k) {
        Poly* copy = copyAndFlatten(n, k, nullptr);
        if (copy)
            addTwin(n, *copy);
        return copy;
    }
};

/// The regular dodecahedron: the hull of its twenty corners, pentagons merged.
std::unique_ptr<PolyMesh> dodecahedron() {
    const double phi = (1 + std::sqrt(5.0)) / 2;
    auto mesh = std::make_unique<PolyMesh>();
    for (double a : {-1.0, 1.0})
        for (double b : {-1.0, 1.0}) {
            for (double c : {-1.0, 1.0})
                mesh->addVertexAt(M3d(a, b, c));
            mesh->addVertexAt(M3d(0, a / phi, b * phi));
            mesh->addVertexAt(M3d(a / phi, b * phi, 0));
            mesh->addVertexAt(M3d(a * phi, 0, b / phi));
        }
    mesh->convexify(true);
    return mesh;
}

/// What a trial must leave as it was: the net's faces, vertices and twins, the hull's
/// vertex list and the overlap index's boxes.
struct NetState {
    std::vector<Poly*> faces;
    std::vector<Vertex*> vertices;
    std::vector<Poly*> twins;
    std::vector<std::vector<double>> hull;
    std::vector<Poly*> indexed;
    bool operator==(const NetState&) const = default;
};

NetState stateOf(Unfolder& u) {
    NetState s;
    for (Poly* f : u.getPolys()) {
        s.faces.push_back(f);
        s.twins.push_back(f->getTwin());
    }
    for (Vertex* v : u.getVertices())
        s.vertices.push_back(v);
    const PlanarConvexHull& hull = u.getConvexHull();
    const PlanarConvexHull::Node* node = hull.getHead();
    for (int i = 0; i < hull.getLength(); ++i, node = node->next)
        s.hull.push_back({node->x, node->y, node->edgeAngle});
    std::vector<FaceBox> boxes;
    u.getFaceBoxTree().collectBoxes(boxes);
    for (const FaceBox& b : boxes)
        s.indexed.push_back(b.face);
    return s;
}

/// The hull the net's faces make when added afresh in net order.
std::vector<std::vector<double>> freshHull(Unfolder& u) {
    PlanarConvexHull hull;
    for (Poly* f : u.getPolys())
        u.addPolyToHull(f, &hull);
    std::vector<std::vector<double>> out;
    const PlanarConvexHull::Node* node = hull.getHead();
    for (int i = 0; i < hull.getLength(); ++i, node = node->next)
        out.push_back({node->x, node->y, node->edgeAngle});
    return out;
}

} // namespace

TEST(ScoredGrowth, PathMinimizerGrowsShortestCentrePathsFirstInNetOrderOnTies) {
    auto cube = prismCube();
    auto* u = bind<PathMinimizerUnfolder>(*cube);
    // Call 1 expands the bottom (5, path 0): its edges 0..3 lead to walls 0..3, each
    // attached with path sqrt(0.5) (centre to centre, source geometry).
    u->unfold();
    EXPECT_EQ(Order({5, 0, 1, 2, 3}), placementOrder(*u));
    // Call 2: the bottom has no unplaced neighbour; the four walls tie exactly at
    // sqrt(0.5), so the first wall in net order (wall 0) expands and takes the top.
    u->unfold();
    EXPECT_EQ(Order({5, 0, 1, 2, 3, 4}), placementOrder(*u));
    EXPECT_EQ(cube->getPoly(0), foldedTo(cube->getPoly(4)));
    EXPECT_DOUBLE_EQ(std::sqrt(0.5), u->getPathValue(cube->getPoly(2)));
    EXPECT_DOUBLE_EQ(std::sqrt(2.0), u->getPathValue(cube->getPoly(4)));
    // Call 3: no net face has an unplaced neighbour.
    EXPECT_FALSE(u->isDone());
    u->unfold();
    EXPECT_TRUE(u->isDone());
    EXPECT_EQ("Ready", GetLastStatusMessage());
}

TEST(ScoredGrowth, PathMinimizerGivesUpAFaceWhoseNeighboursAreAllRefused) {
    // Laid from the bottom (7), the L-prism's notch walls 2 and 3 overlap: the second
    // one attached from the bottom is refused; the bottom keeps an unplaced neighbour,
    // so it is chosen again (path 0 is the smallest) and, refused again, gets -1.
    auto l = lPrism();
    auto* u = bind<PathMinimizerUnfolder>(*l);
    u->unfold();
    EXPECT_EQ(Order({7, 0, 1, 2, 4, 5}), placementOrder(*u));
    u->unfold();
    EXPECT_EQ(-1, u->getPathValue(l->getPoly(7)));
    ASSERT_TRUE(runToEnd(*u));
    EXPECT_TRUE(u->isSuccesful()) << "wall 3 comes later from a neighbouring wall or the top";
}

TEST(ScoredGrowth, RadiusMinimizerTakesTheCopyLandingNearestTheStart) {
    // The reference point is the centroid of the bottom's first three corners, (4/3, 1/3).
    // Squared distances of the flat centres: pass 1 wall 0 (centre (1, -0.25): 0.451)
    // beats walls 1 (0.868), 2 (0.951) and 3 (2.535); pass 2 wall 1 from the bottom
    // (0.868) beats wall 1 hinged on wall 0 (1.18) and the top on wall 0 (1.889); pass 3
    // wall 2 from the bottom (0.951); pass 4 the top on wall 0 (1.889) beats wall 3 from
    // the bottom (2.535) and the top on walls 1 (2.8) and 2 (2.889); pass 5 wall 3 from
    // the bottom.
    auto box = flatBox();
    auto* u = bind<RadiusMinimizerUnfolder>(*box);
    u->unfold();
    EXPECT_EQ(Order({5, 0, 1, 2, 4, 3}), placementOrder(*u));
    EXPECT_EQ(box->getPoly(0), foldedTo(box->getPoly(4)));
    EXPECT_EQ(box->getPoly(5), foldedTo(box->getPoly(3)));
    EXPECT_TRUE(u->isDone()) << "the sixth pass found nothing to place";
    EXPECT_FLOAT_EQ(0.25f, RadiusMinimizerUnfolder::Score(1.5, 2, 1, 2));
}

TEST(ScoredGrowth, HullStrategiesKeepTheFirstOfEqualScores) {
    // With every score equal, each pass keeps its first candidate: the bottom's edges
    // 0..3 give walls 0..3 in turn, then wall 0 (the first net face with an unplaced
    // neighbour) gives the top across its edge 2.
    auto cube = prismCube();
    auto* u = bind<EvenHullUnfolder>(*cube);
    u->unfold();
    EXPECT_EQ(Order({5, 0, 1, 2, 3, 4}), placementOrder(*u));
    EXPECT_EQ(cube->getPoly(0), foldedTo(cube->getPoly(4)));
    EXPECT_TRUE(u->isDone()) << "every face placed";
}

TEST(ScoredGrowth, ConvexHullKeepsTheHullSmallestAndSpaceFillerTheHullFullest) {
    // The box's bottom covers [0,2] x [0,1]. Pass 1 of the hull strategy: walls 0 and 2
    // make the hull 3, walls 1 and 3 make it 2.5, so a short wall (1 or 3, equal up to
    // rounding) comes first.
    auto box = flatBox();
    auto* hull = bind<ConvexHullUnfolder>(*box);
    EXPECT_NEAR(2.0, hull->getRegion(), 1e-12);
    ASSERT_TRUE(runToEnd(*hull));
    const Order hullOrder = placementOrder(*hull);
    EXPECT_TRUE(hullOrder[1] == 1 || hullOrder[1] == 3) << hullOrder[1];
    EXPECT_TRUE(hull->isSuccesful());

    // The space filler: the bottom alone and the bottom with wall 0 are convex (score 0);
    // adding wall 1 leaves the triangle (2,-0.5), (2.5,0), (2,0) empty inside the hull.
    auto box2 = flatBox();
    auto* filler = bind<SpaceFillerProbe>(*box2);
    EXPECT_NEAR(0.0, filler->getRegion(), 1e-12);
    Poly* bottom = box2->getPoly(5);
    Poly* wall0 = box2->getPoly(0);
    Poly* wall1 = box2->getPoly(1);
    ASSERT_NE(nullptr, filler->attachOnTrial(*wall0, wall0->getNeighborIndex(bottom)));
    EXPECT_NEAR(0.0, filler->getRegion(), 1e-9);
    ASSERT_NE(nullptr, filler->attachOnTrial(*wall1, wall1->getNeighborIndex(bottom)));
    EXPECT_NEAR(0.125, filler->getRegion(), 1e-6);
    // Taking wall 1 back restores the score the convex net had.
    filler->remPolyClean(wall1->getTwin());
    EXPECT_NEAR(0.0, filler->getRegion(), 1e-9);
    EXPECT_NEAR(3.0, filler->getConvexHull().getArea(), 1e-6);
}

TEST(ScoredGrowth, HullScoresWithoutAttachingChooseAsThePlainRulesDo) {
    // The hull strategies score a copy from the hull's running sums without attaching
    // it; the plain rules attach it and measure the hull by brute force. Both must lay
    // the same faces in the same order, on convex and non-convex meshes.
    std::vector<std::pair<std::string, MeshData>> shapes = {
        {"icosphere", icosphere(2)}, {"torus", torus(8, 12)}, {"cube", cube()}};
    for (const char* file : {"channel-bracket.off", "letter-o.off"}) {
        auto model = loadTestModel(file);
        shapes.emplace_back(file, model->toMeshData());
    }
    for (bool emptyRoom : {false, true}) {
        for (const auto& [name, shape] : shapes) {
            auto mesh = meshOf(shape);
            auto refMesh = meshOf(shape);
            Unfolder* u = emptyRoom ? static_cast<Unfolder*>(bind<SpaceFillerUnfolder>(*mesh))
                                    : bind<ConvexHullUnfolder>(*mesh);
            auto* ref = bind<PlainHullReference>(*refMesh);
            ref->emptyRoom = emptyRoom;
            ASSERT_TRUE(runToEnd(*u)) << name;
            ASSERT_TRUE(runToEnd(*ref)) << name;
            EXPECT_EQ(placementOrder(*ref), placementOrder(*u))
                << name << (emptyRoom ? " (space filler)" : " (convex hull)");
        }
    }
}

TEST(ScoredGrowth, CrestKeptScoresChooseAsScoringEveryCandidate) {
    // Crest keeps its scores between attempts and measures again only those that looked
    // at a corner of the face just placed (and the best before taking it). Scoring every
    // candidate at every attempt must give the same net, including where the run ends.
    std::vector<std::pair<std::string, MeshData>> shapes = {
        {"icosphere", icosphere(2)}, {"torus", torus(8, 12)}, {"cube", cube()}};
    for (const char* file : {"channel-bracket.off", "letter-o.off", "cross-part.off"}) {
        auto model = loadTestModel(file);
        shapes.emplace_back(file, model->toMeshData());
    }
    for (const auto& [name, shape] : shapes) {
        std::vector<Order> orders;
        std::vector<std::size_t> trials;
        for (bool kept : {true, false}) {
            auto mesh = meshOf(shape);
            auto* u = bind<CrestUnfolder>(*mesh);
            u->setKeptScores(kept);
            ASSERT_TRUE(runToEnd(*u)) << name;
            orders.push_back(placementOrder(*u));
            trials.push_back(u->getTrialCount());
        }
        EXPECT_EQ(orders[1], orders[0]) << name;
        if (name == "icosphere") { // 320 faces: most scores are kept from attempt to attempt
            EXPECT_LT(2 * trials[0], trials[1])
                << "kept " << trials[0] << ", scanned " << trials[1];
        }
    }
}

TEST(ScoredGrowth, ATrialAttachmentLeavesNetHullAndIndexAsBefore) {
    // Part way through a run on a non-convex mesh and a sphere, attach every candidate on
    // trial and take it back: the net, the hull and the index must be exactly as before,
    // and the hull must be the one a fresh rebuild from the net gives.
    for (int shape = 0; shape < 2; ++shape) {
        auto mesh = shape == 0 ? meshOf(torus(8, 12)) : meshOf(icosphere(2));
        auto* u = bind<TrialProbe>(*mesh);
        u->unfold(); // 50 passes: 51 faces
        ASSERT_FALSE(u->isDone());
        const NetState before = stateOf(*u);
        EXPECT_EQ(freshHull(*u), before.hull);
        int trials = 0;
        for (Poly* g : std::vector<Poly*>(before.faces)) {
            Poly* t = g->getTwin();
            for (int i = 0; i < t->getVertexCount(); ++i) {
                Poly* n = t->getNeighbor(i);
                if (!n || n->getTwin())
                    continue;
                Poly* trial = u->attachOnTrial(*n, n->getNeighborIndex(t));
                if (!trial)
                    continue;
                ++trials;
                EXPECT_EQ(trial, n->getTwin());
                ASSERT_TRUE(u->remPolyClean(trial));
                EXPECT_EQ(nullptr, n->getTwin());
                ASSERT_EQ(before, stateOf(*u)) << "after trial " << trials;
            }
        }
        EXPECT_GT(trials, 10);
        // The index answers as one built afresh from the net.
        FaceBSP fresh;
        for (Poly* f : u->getPolys()) {
            FaceBox box(f);
            if (!fresh.contains(box))
                fresh.grow(box);
            fresh.insert(box);
        }
        for (Poly* f : u->getPolys()) {
            std::vector<Poly*> a, b;
            u->getFaceBoxTree().query(FaceBox(f), &a);
            fresh.query(FaceBox(f), &b);
            std::sort(a.begin(), a.end());
            std::sort(b.begin(), b.end());
            EXPECT_EQ(a, b);
        }
        ASSERT_TRUE(runToEnd(*u));
        EXPECT_TRUE(testsupport::CheckNet(*u).faults.empty());
    }
}

TEST(ScoredGrowth, CrestPlacesTheFirstRefusedCandidateOverTheNetAndStops) {
    auto cube = prismCube();
    auto* u = bind<BlockedCrestUnfolder>(*cube);
    u->block();
    // Every copy overlaps the cover: the first candidate (wall 0 across the bottom's
    // edge 0) scores 4π and is kept, is placed with the check off, and ends the run.
    const auto [n, k] = u->findLeastCavity();
    EXPECT_EQ(cube->getPoly(0), n);
    EXPECT_DOUBLE_EQ(12.566370614359172, u->findWorstCavity(n, k));
    EXPECT_DOUBLE_EQ(12.566370614359172, u->findWorstCavity(n, -1));
    u->unfold();
    EXPECT_TRUE(u->isDone());
    EXPECT_TRUE(u->getCheckIntersections()) << "the check is on again";
    EXPECT_EQ(size_t(3), u->getPolyCount()) << "start, cover and one wall";
    EXPECT_NE(nullptr, cube->getPoly(0)->getTwin());
    EXPECT_TRUE(u->isConflictsValid());
    EXPECT_TRUE(u->getConflicted(cube->getPoly(0)->getTwin()));
    EXPECT_FALSE(u->isSuccesful());
}

TEST(ScoredGrowth, CrestMeasuresTheOutline) {
    // On the cube: the bottom alone is a square whose corners are all open (their walls
    // are unplaced) and fill a right angle of the net. Wall 0 attached on trial makes the
    // net the rectangle [0,1] x [-1,1]: its hinge corners lie straight on the outline (π),
    // its far corners fill right angles, so its worst cavity is π.
    auto cube = prismCube();
    auto* u = bind<CrestUnfolder>(*cube);
    Poly* bottom = cube->getPoly(5);
    Vertex* corner = bottom->getVertex(0);
    EXPECT_FALSE(u->isDeveloped(corner));
    EXPECT_EQ(1, u->countDevelopments(corner));
    EXPECT_NEAR(M_PI / 2, u->getGlobalConcavity(corner, bottom), 1e-6);
    std::vector<Vertex*> coast;
    u->getCoast(coast);
    EXPECT_EQ(size_t(4), coast.size());
    Poly* wall = cube->getPoly(0);
    EXPECT_NEAR(M_PI, u->findWorstCavity(wall, wall->getNeighborIndex(bottom)), 1e-6);
    EXPECT_EQ(size_t(1), u->getPolyCount()) << "the trial face is gone";
    // Run to the end: every corner of a finished cube net is developed.
    ASSERT_TRUE(runToEnd(*u));
    EXPECT_TRUE(u->isSuccesful());
    EXPECT_TRUE(u->isDeveloped(corner));
    EXPECT_GE(u->countDevelopments(corner), 1);
    u->getCoast(coast);
    // A net of six squares has 14 border edges: 24 edges, 5 of them folds counted twice.
    EXPECT_EQ(size_t(14), coast.size());
}

TEST(ScoredGrowth, PlatonicSolidsUnfoldToSoundNets) {
    const std::vector<std::pair<std::string, std::unique_ptr<PolyMesh> (*)()>> solids = {
        {"tetrahedron", [] { return meshOf(tetrahedron()); }},
        {"cube", [] { return meshOf(cube()); }},
        {"octahedron", [] { return meshOf(octahedron()); }},
        {"dodecahedron", dodecahedron},
        {"icosahedron", [] { return meshOf(unitIcosahedron()); }},
    };
    for (const auto& [name, make] : solids) {
        for (const char* strategy :
             {"PathMinimizerUnfolder", "RadiusMinimizerUnfolder", "ConvexHullUnfolder",
              "SpaceFillerUnfolder", "CrestUnfolder"}) {
            const std::string what = std::string(strategy) + " on the " + name;
            auto mesh = make();
            auto* u = dynamic_cast<Unfolder*>(Factory::BuildObj(strategy));
            ASSERT_NE(nullptr, u) << what;
            ASSERT_TRUE(u->setParent(mesh.get())) << what;
            ASSERT_TRUE(runToEnd(*u, 10000)) << what;
            const testsupport::NetReport report = testsupport::CheckNet(*u);
            EXPECT_TRUE(report.faults.empty()) << what << "\n" << report.describe();
            // Crest may end early at a refused candidate; the others place every face.
            if (std::string(strategy) != "CrestUnfolder") {
                EXPECT_TRUE(report.complete) << what;
            }
            // A complete net of a convex solid placed with the check on has no overlap.
            if (report.complete) {
                EXPECT_TRUE(u->isSuccesful()) << what;
                EXPECT_TRUE(report.isSound()) << what;
            }
        }
    }
}

TEST(ScoredGrowth, OpenMeshesAndSeveralComponentsEndCleanly) {
    for (int shape = 0; shape < 2; ++shape) {
        for (const char* strategy :
             {"PathMinimizerUnfolder", "RadiusMinimizerUnfolder", "ConvexHullUnfolder",
              "SpaceFillerUnfolder", "CrestUnfolder"}) {
            auto mesh = shape == 0 ? openBox() : meshOf(twoTetrahedra());
            const std::string what = std::string(strategy) + (shape ? " on two parts" : " open");
            auto* u = dynamic_cast<Unfolder*>(Factory::BuildObj(strategy));
            ASSERT_TRUE(u->setParent(mesh.get())) << what;
            StatusMessage("%s", "");
            ASSERT_TRUE(runToEnd(*u, 1000)) << what;
            EXPECT_EQ("Ready", GetLastStatusMessage()) << what;
            const size_t reachable = shape == 0 ? mesh->getPolyCount() : 4;
            EXPECT_GE(u->getPolyCount(), reachable) << what;
            EXPECT_TRUE(testsupport::CheckNet(*u).faults.empty()) << what;
        }
    }
}
