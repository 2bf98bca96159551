// The multipart curvature ordering: parts each free of overlaps (checked pairwise by
// brute force, part by part), splices that keep the net free of overlaps, the pieces
// set apart when the run ends, and the order of placement on the prism cube.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/StatusLine.h"
#include "scene/Factory.h"
#include "tests/support/NetOverlaps.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/SoundNet.h"
#include "tests/support/TestShapes.h"
#include "unfolders/engine/FaceOverlap.h"
#include "unfolders/strategies/MultipartCurvatureOrderingUnfolder.h"
#include "unfolders/strategies/tests/NetInspection.h"
#include "unfolders/strategies/tests/TestModels.h"

using namespace testshapes;
using namespace netinspection;
using Order = std::vector<int>;

namespace {

using Multipart = MultipartCurvatureOrderingUnfolder;

/// The pieces of the net, found from the net faces' shared edges alone: each a set
/// of source faces.
std::vector<std::set<Poly*>> netPieces(Unfolder& u) {
    std::vector<std::set<Poly*>> pieces;
    std::set<Poly*> seen;
    for (Poly* start : u.getPolys()) {
        if (!seen.insert(start).second)
            continue;
        std::set<Poly*>& piece = pieces.emplace_back();
        std::vector<Poly*> pending{start};
        while (!pending.empty()) {
            Poly* f = pending.back();
            pending.pop_back();
            piece.insert(f->getTwin());
            for (int i = 0; i < f->getVertexCount(); ++i)
                if (Poly* g = f->getNeighbor(i); g && seen.insert(g).second)
                    pending.push_back(g);
        }
    }
    return pieces;
}

/// Whether two net faces overlap, by the brute-force measure and the engine's tolerance.
bool overlapping(Poly* a, Poly* b) {
    const double depth = testsupport::OverlapDepth(*a, *b);
    return depth > OverlapTolerance * testsupport::PairSize(*a, *b);
}

/// Runs the strategy and checks what the parts promise, by brute force.
void checkParts(PolyMesh& mesh, const std::string& what) {
    auto* u = bind<Multipart>(mesh);
    ASSERT_TRUE(runToEnd(*u)) << what;
    const std::vector<std::vector<Poly*>> parts = u->getParts();
    ASSERT_EQ(size_t(u->getPartCount()), parts.size()) << what;
    ASSERT_GE(parts.size(), size_t(1)) << what;

    // The parts are exactly the net's pieces, and every reachable face is placed.
    std::set<std::set<Poly*>> reported;
    size_t placed = 0;
    for (const auto& part : parts) {
        reported.insert(std::set<Poly*>(part.begin(), part.end()));
        placed += part.size();
    }
    const std::vector<std::set<Poly*>> pieces = netPieces(*u);
    EXPECT_EQ(reported, std::set<std::set<Poly*>>(pieces.begin(), pieces.end())) << what;
    EXPECT_EQ(u->getPolyCount(), placed) << what;

    // No two faces overlap: within a part (the part's own promise) nor across parts
    // (the pieces are set apart at the end).
    const auto overlaps = testsupport::FindNetOverlaps(*u);
    EXPECT_TRUE(overlaps.empty()) << what << ": " << overlaps.size() << " overlapping pairs";
    for (const auto& part : parts)
        for (size_t i = 0; i < part.size(); ++i)
            for (size_t j = i + 1; j < part.size(); ++j)
                EXPECT_FALSE(overlapping(part[i]->getTwin(), part[j]->getTwin()))
                    << what << ": faces " << mesh.getPolyIndex(part[i]) << " and "
                    << mesh.getPolyIndex(part[j]);

    const testsupport::NetReport report = testsupport::CheckNet(*u);
    EXPECT_TRUE(report.faults.empty()) << what << "\n" << report.describe();
    EXPECT_EQ(report.isSound() && parts.size() == 1, u->isSuccesful()) << what;
    delete u;
}

} // namespace

TEST(MultipartCurvature, PlacementOrderOnThePrismCubeIsOnePart) {
    // All corners alike, so every curvature ties: the start is face 0 and each step
    // takes the first candidate in net order. Face 0 offers the bottom first (its first
    // edge): 5. Then face 0 still offers wall 3 (its second edge): 3, then the top
    // (third edge): 4, then wall 1 (fourth edge): 1; wall 2 is left, offered first by
    // the bottom: 2. No face is refused, so there is one part, as the plain ordering.
    auto cube = prismCube();
    auto* u = bind<Multipart>(*cube);
    ASSERT_TRUE(runToEnd(*u));
    EXPECT_EQ(Order({0, 5, 3, 4, 1, 2}), placementOrder(*u));
    EXPECT_EQ(1, u->getPartCount());
    EXPECT_TRUE(u->isSuccesful());
}

TEST(MultipartCurvature, PartsAreFreeOfOverlapsOnSolidsAndRealModels) {
    std::vector<std::pair<std::string, std::unique_ptr<PolyMesh>>> meshes;
    meshes.emplace_back("tetrahedron", meshOf(tetrahedron()));
    meshes.emplace_back("cube", meshOf(cube()));
    meshes.emplace_back("octahedron", meshOf(octahedron()));
    meshes.emplace_back("icosahedron", meshOf(unitIcosahedron()));
    meshes.emplace_back("icosphere", meshOf(icosphere(2)));
    meshes.emplace_back("L-prism", lPrism());
    meshes.emplace_back("torus", meshOf(torus(8, 12)));
    for (const char* file : {"cross-part.off", "letter-o.off", "channel-bracket.off"})
        meshes.emplace_back(file, loadTestModel(file));
    for (auto& [name, mesh] : meshes)
        checkParts(*mesh, name);
}

TEST(MultipartCurvature, AFoldedCoolinoidFallsApartIntoSoundPiecesAndSplices) {
    // The default coolinoid (400 quads) cannot be laid by the plain curvature ordering
    // without overlaps: here refused faces start parts, some are spliced back, and
    // the pieces left are each free of overlaps and set apart.
    std::unique_ptr<Factorable> built(Factory::BuildObj("Coolinoid"));
    auto* coolinoid = dynamic_cast<PolyMesh*>(built.get());
    ASSERT_NE(nullptr, coolinoid);
    checkParts(*coolinoid, "coolinoid");

    auto* u = bind<Multipart>(*coolinoid);
    ASSERT_TRUE(runToEnd(*u));
    EXPECT_EQ(coolinoid->getPolyCount(), u->getPolyCount()) << "no face is left out";
    EXPECT_GT(u->getPartsStarted(), 0);
    EXPECT_GT(u->getSpliceCount(), 0);
    EXPECT_EQ(1 + u->getPartsStarted() - u->getSpliceCount(), u->getPartCount());
    EXPECT_GT(u->getPartCount(), 1);
    EXPECT_FALSE(u->isSuccesful()) << "several pieces are not one net";
    // Splicing after the end is refused and changes nothing.
    const auto parts = u->getParts();
    Poly* a = parts[0].front();
    Poly* across = nullptr;
    for (const auto& part : parts)
        for (Poly* f : part)
            for (int i = 0; i < f->getVertexCount() && !across; ++i)
                if (f->getNeighbor(i) && u->getPartOf(f->getNeighbor(i)) != u->getPartOf(f))
                    a = f, across = f->getNeighbor(i);
    ASSERT_NE(nullptr, across);
    EXPECT_EQ(nullptr, u->splice(a, across));
    EXPECT_EQ(parts.size(), u->getParts().size());
}

TEST(MultipartCurvature, SplicesKeepTheIndexedSearchEqualToAFullScan) {
    // A splice replaces net faces; the candidate index drops theirs instead of being
    // rebuilt. The full scan of the net (no index) must choose exactly the same faces.
    std::unique_ptr<Factorable> built(Factory::BuildObj("Coolinoid"));
    auto* coolinoid = dynamic_cast<PolyMesh*>(built.get());
    ASSERT_NE(nullptr, coolinoid);
    struct Recording : Multipart {
        std::vector<Poly*> order;
        void onPolyAdded(Candidate& c) override {
            order.push_back(c.first);
            Multipart::onPolyAdded(c);
        }
    };
    const MeshData shape = coolinoid->toMeshData();
    std::vector<std::unique_ptr<PolyMesh>> meshes;
    auto placements = [&](bool indexed) {
        auto* u = bind<Recording>(*meshes.emplace_back(meshOf(shape)));
        u->setIncrementalScan(indexed);
        EXPECT_TRUE(runToEnd(*u));
        EXPECT_GT(u->getSpliceCount(), 0);
        std::vector<int> faces, parts;
        for (Poly* f : u->order) {
            faces.push_back(u->getSource()->getPolyIndex(f));
            parts.push_back(u->getPartOf(f));
        }
        return std::make_pair(faces, parts);
    };
    const auto indexed = placements(true);
    const auto scanned = placements(false);
    EXPECT_EQ(scanned.first, indexed.first);
    EXPECT_EQ(scanned.second, indexed.second);
}

TEST(MultipartCurvature, OpenMeshesAndSeveralComponentsEndCleanly) {
    auto box = openBox();
    auto* u = bind<Multipart>(*box);
    ASSERT_TRUE(runToEnd(*u, 1000));
    EXPECT_EQ(box->getPolyCount(), u->getPolyCount());
    EXPECT_EQ("Ready", GetLastStatusMessage());

    auto two = meshOf(twoTetrahedra());
    auto* t = bind<Multipart>(*two);
    ASSERT_TRUE(runToEnd(*t, 1000));
    EXPECT_EQ(size_t(4), t->getPolyCount()) << "only the starting face's component";
    EXPECT_EQ(1, t->getPartCount());
    EXPECT_FALSE(t->isSuccesful());
}
