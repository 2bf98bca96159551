#include "blobby/MetaSurface.h"
#include "blobby/ExtentsControl.h"
#include "blobby/MetaBall.h"
#include "blobby/MetaLine.h"
#include "blobby/Octree.h"
#include "common/Registry.h"
#include "common/StatusLine.h"
#include "common/UserPaths.h"
#include "common/XML.h"
#include "scene/SceneRoot.h"
#include "scene/mesh/PolyMesh.h"
#include "tests/support/RecordingRenderer.h"
#include "unfolders/strategies/LeastHeightUnfolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <set>

using Sorvex::M3d;

namespace {

MetaBall* addBall(MetaSurface& s, M3d at, double strength) {
    auto* ball = new MetaBall(at, strength);
    ball->setParent(&s);
    return ball;
}

void refineToEnd(MetaSurface& s) {
    for (int i = 0; i < 1000 && (!s.getRoot() || !s.isDone()); ++i)
        s.refine(1000000);
}

struct Topology {
    int components = 0;
    int euler = 0;
    bool closed = true;     // every edge in exactly two faces
    bool consistent = true; // each directed edge once: neighbours wound alike
    double volume = 0;      // positive when the faces face outwards
};

Topology topologyOf(const PolyMesh& mesh) {
    Topology t;
    std::map<std::pair<const Vertex*, const Vertex*>, int> directed;
    std::map<std::pair<const Vertex*, const Vertex*>, int> undirected;
    for (const Poly* f : mesh.getPolys()) {
        for (int i = 0; i < f->getVertexCount(); ++i) {
            const Vertex* a = f->getVertex(i);
            const Vertex* b = f->getVertex(i + 1);
            ++directed[{a, b}];
            ++undirected[{std::min(a, b), std::max(a, b)}];
        }
        const M3d p = *f->getVertex(0), q = *f->getVertex(1), r = *f->getVertex(2);
        M3d c;
        c.cross(q, r);
        t.volume += p.dot(c) / 6;
    }
    for (const auto& [edge, n] : undirected)
        t.closed = t.closed && n == 2;
    for (const auto& [edge, n] : directed)
        t.consistent = t.consistent && n == 1;
    t.euler = int(mesh.getVertexCount()) - int(undirected.size()) + int(mesh.getPolyCount());
    std::set<const Poly*> seen;
    for (const Poly* start : mesh.getPolys()) {
        if (seen.count(start))
            continue;
        ++t.components;
        std::vector<const Poly*> stack{start};
        seen.insert(start);
        while (!stack.empty()) {
            const Poly* f = stack.back();
            stack.pop_back();
            for (int e = 0; e < f->getVertexCount(); ++e)
                if (const Poly* n = f->getNeighbor(e); n && seen.insert(n).second)
                    stack.push_back(n);
        }
    }
    return t;
}

} // namespace

TEST(MetaSurfaceTest, NewSurfaceDefaults) {
    MetaSurface s;
    EXPECT_EQ(M3d(0, 0, 0), s.getExtents());
    EXPECT_EQ(3, s.getMinLevel());
    EXPECT_EQ(5, s.getMaxLevel());
    ASSERT_NE(nullptr, s.getExtentsControl());
    EXPECT_EQ(M3d(0, 0, 0), s.getExtentsControl()->getTranslation());
    s.refine(1000);
    EXPECT_EQ(nullptr, s.generatePolyMesh());
}

TEST(MetaSurfaceTest, SingleBallIsAClosedOutwardSphereAtEveryLevel) {
    for (int level = 3; level <= 7; ++level) {
        MetaSurface s;
        s.setExtents(M3d(2, 2, 2), true);
        addBall(s, M3d(0, 0, 0), 2.0);
        s.setMaxLevel(level);
        refineToEnd(s);
        std::unique_ptr<PolyMesh> mesh(s.generatePolyMesh());
        ASSERT_NE(nullptr, mesh) << "level " << level;
        const Topology t = topologyOf(*mesh);
        EXPECT_EQ(1, t.components) << "level " << level;
        EXPECT_TRUE(t.closed) << "level " << level;
        EXPECT_TRUE(t.consistent) << "level " << level;
        EXPECT_EQ(2, t.euler) << "level " << level;
        EXPECT_GT(t.volume, 0) << "level " << level;
        // The 0.5 level of a strength-2 ball lies at sqrt(1.5) from its centre; the mesh is
        // recentred on its bounding box, which is symmetric up to the cell size.
        const double diagonal = std::sqrt(3.0) * 4.0 / (1 << level);
        for (const Vertex* v : mesh->getVertices())
            EXPECT_NEAR(std::sqrt(1.5), v->length(), diagonal) << "level " << level;
    }
}

TEST(MetaSurfaceTest, OverlappingBallsJoinAndFarBallsStayApart) {
    for (double gap : {1.5, 5.0}) {
        MetaSurface s;
        s.setExtents(M3d(5, 5, 5), true);
        addBall(s, M3d(-gap / 2, 0.1, 0.2), 2.0);
        addBall(s, M3d(gap / 2, 0.1, 0.2), 2.0);
        s.setMaxLevel(6);
        refineToEnd(s);
        std::unique_ptr<PolyMesh> mesh(s.generatePolyMesh());
        ASSERT_NE(nullptr, mesh);
        const Topology t = topologyOf(*mesh);
        const int expected = gap < 2 ? 1 : 2;
        EXPECT_EQ(expected, t.components) << "gap " << gap;
        EXPECT_EQ(2 * expected, t.euler) << "gap " << gap;
        EXPECT_TRUE(t.closed && t.consistent) << "gap " << gap;
    }
}

TEST(MetaSurfaceTest, BudgetsPauseAndSlowRefine) {
    MetaSurface s;
    s.setExtents(M3d(2, 2, 2), true);
    addBall(s, M3d(0.3, 0, 0), 2.0);
    s.setPaused(true);
    EXPECT_EQ(0, s.getRefineCount());
    s.onSystemIdle();
    EXPECT_EQ(3, s.getLatestLevel()) << "stops at the first cell of the minimum level";
    for (Octree* cell : s.getOctreesInProgress())
        EXPECT_GE(cell->GetLevel(), 3);
    const size_t queued = s.getOctreesInProgress().size();
    s.onSystemIdle();
    EXPECT_EQ(queued, s.getOctreesInProgress().size()) << "paused: nothing more";
    s.setPaused(false);
    s.setSlowRefine();
    EXPECT_EQ(1, s.getRefineCount());
    Octree* front = s.getOctreesInProgress().front();
    s.onSystemIdle();
    EXPECT_TRUE(front->isReduced());
    EXPECT_FALSE(s.getOctreesInProgress().front()->isReduced()) << "one cell per tick";
}

TEST(MetaSurfaceTest, PauseMarkerFileStopsRefinement) {
    MetaSurface s;
    s.setExtents(M3d(2, 2, 2), true);
    addBall(s, M3d(0, 0, 0), 2.0);
    const std::string marker = JoinPath(GetUserDataDir(true), "PauseRefine.txt");
    std::ofstream(marker) << "";
    s.refine(1000);
    EXPECT_TRUE(s.getPaused());
    EXPECT_EQ(nullptr, s.getRoot());
    std::remove(marker.c_str());
}

TEST(MetaSurfaceTest, MaxLevelChangesReuseTheOctree) {
    MetaSurface s;
    s.setExtents(M3d(2, 2, 2), true);
    addBall(s, M3d(0, 0, 0), 2.0);
    refineToEnd(s);
    Octree* root = s.getRoot();
    const size_t fine = s.getRefinedOctrees().size();
    EXPECT_TRUE(s.setMaxLevel(5));
    EXPECT_EQ(fine, s.getRefinedOctrees().size());
    s.setMaxLevel(3);
    for (Octree* cell : s.getRefinedOctrees())
        EXPECT_LE(cell->GetLevel(), 3);
    EXPECT_LT(s.getRefinedOctrees().size(), fine);
    s.setMaxLevel(5);
    EXPECT_FALSE(s.isDone());
    refineToEnd(s);
    EXPECT_EQ(root, s.getRoot()) << "no rebuild";
    EXPECT_EQ(fine, s.getRefinedOctrees().size());
    EXPECT_FALSE(s.setMaxLevel(11)) << "refused: memory";
    EXPECT_EQ(5, s.getMaxLevel());
}

TEST(MetaSurfaceTest, MeshPlacementAndSmoothing) {
    SceneRoot root;
    auto* s = new MetaSurface;
    s->setParent(&root);
    s->translate(M3d(1, 2, 3));
    s->setExtents(M3d(2, 2, 2), true);
    addBall(*s, M3d(0, 0, 0), 2.0);
    refineToEnd(*s);
    PolyMesh* mesh = s->generatePolyMesh();
    ASSERT_NE(nullptr, mesh);
    EXPECT_EQ(&root, mesh->getParent());
    EXPECT_EQ(M3d(1, 2, 3), mesh->getTranslation());
    std::vector<double> zs;
    for (const Vertex* v : mesh->getVertices())
        zs.push_back(v->z());

    SetRegistryString("Settings\\MetaSurface", "SmoothPMeshXY", "true");
    PolyMesh* smooth = s->generatePolyMesh();
    SetRegistryString("Settings\\MetaSurface", "SmoothPMeshXY", "false");
    ASSERT_NE(nullptr, smooth);
    ASSERT_EQ(zs.size(), smooth->getVertexCount());
    size_t i = 0, moved = 0;
    for (const Vertex* v : smooth->getVertices()) {
        EXPECT_DOUBLE_EQ(zs[i], v->z()) << "XY smoothing keeps z";
        moved += std::fabs(v->x() - mesh->getVertex(i)->x()) > 1e-12;
        ++i;
    }
    EXPECT_GT(moved, 0u);
}

TEST(MetaSurfaceTest, PersistenceAndRefusedInput) {
    MetaSurface s;
    s.setExtents(M3d(1, 2, 3), true);
    s.setMinLevel(2);
    s.setMaxLevel(6);
    s.setSlowRefine();
    addBall(s, M3d(0.5, 0, 0), 1.5);
    XML xml("MetaSurface");
    s.write(xml);
    MetaSurface copy;
    copy.read(xml);
    EXPECT_EQ(M3d(1, 2, 3), copy.getExtents());
    EXPECT_EQ(2, copy.getMinLevel());
    EXPECT_EQ(6, copy.getMaxLevel());
    EXPECT_TRUE(copy.getSlowRefine());
    ASSERT_NE(nullptr, copy.getExtentsControl());
    EXPECT_EQ(M3d(1, 2, 3), copy.getExtentsControl()->getTranslation());
    EXPECT_EQ(2u, copy.getChildren().size());

    xml.remove("MinLevel");
    xml.add("MinLevel", "2.0");
    copy.read(xml);
    EXPECT_EQ(2, copy.getMinLevel());

    for (auto [key, value] :
         {std::pair{"Extents", "-1 2 3"}, {"MaxLevel", "11"}, {"MinLevel", "nan"}}) {
        XML bad = xml;
        bad.remove(key);
        bad.add(key, value);
        MetaSurface target;
        EXPECT_THROW(target.read(bad), SceneReadError) << key;
        EXPECT_EQ(M3d(0, 0, 0), target.getExtents()) << key;
        EXPECT_EQ(5, target.getMaxLevel()) << key;
        EXPECT_EQ(1u, target.getChildren().size()) << key;
    }
}

TEST(MetaSurfaceTest, FieldSumsNestedSourcesInTheirFrames) {
    MetaSurface s;
    addBall(s, M3d(0, 0, 0), 2.0);
    auto* group = new SceneObj;
    group->translate(M3d(10, 0, 0));
    group->setParent(&s);
    auto* inner = new MetaBall(M3d(0, 0, 0), 2.0);
    inner->setParent(group);
    M3d origin(0, 0, 0), far(10, 0, 0);
    EXPECT_DOUBLE_EQ(1.0, s.F(origin));
    EXPECT_DOUBLE_EQ(1.0, s.F(far));
}

TEST(MetaSurfaceTest, DefaultActionUnfoldsWithTheDefaultOrAFallbackStrategy) {
    // Using the library keeps it loaded, so its strategies are registered.
    ASSERT_EQ("LeastHeightUnfolder",
              LeastHeightUnfolder::g_LeastHeightUnfolderBuilder.getClassName());
    SceneRoot root;
    auto* s = new MetaSurface;
    s->setParent(&root);
    s->setExtents(M3d(2, 2, 2), true);
    s->setMaxLevel(3);
    addBall(*s, M3d(0, 0, 0), 2.0);
    refineToEnd(*s);

    // The stored default names a class this build does not have.
    SceneObj* strategy = s->doDefaultAction();
    ASSERT_NE(nullptr, strategy);
    EXPECT_EQ("LeastHeightUnfolder", strategy->getClassName());
    EXPECT_NE(nullptr, dynamic_cast<PolyMesh*>(strategy->getParent()));
    EXPECT_EQ("SpiralUnfolder is not available; unfolding with LeastHeightUnfolder",
              GetLastStatusMessage());

    SetRegistryString("Settings", "DefaultUnfolder", "BreadthFirstUnfolder");
    strategy = s->doDefaultAction();
    SetRegistryString("Settings", "DefaultUnfolder", "");
    ASSERT_NE(nullptr, strategy);
    EXPECT_EQ("BreadthFirstUnfolder", strategy->getClassName());

    MetaSurface empty;
    EXPECT_EQ(nullptr, empty.doDefaultAction());
}

TEST(MetaSurfaceTest, DrawsTrianglesAndOverlays) {
    MetaSurface s;
    s.setExtents(M3d(2, 2, 2), true);
    addBall(s, M3d(0, 0, 0), 2.0);
    s.setMaxLevel(3);
    s.setRenderFaceEdges(true);
    RecordingRenderer r;
    s.renderSelf(&r); // completes the levels below the minimum first
    EXPECT_GT(r.count("beginTriangles"), 0u);
    EXPECT_GT(r.count("beginLineLoop"), 0u) << "face edges";
    EXPECT_GT(r.count("beginLines"), 0u) << "bounding cube";
    EXPECT_TRUE(r.getFlag(RenderFlag::LineState)) << "set again after the overlays";

    RecordingRenderer surfacePass;
    surfacePass.setFlag(RenderFlag::SurfacePass, true);
    s.renderSelf(&surfacePass);
    EXPECT_EQ(0.5, s.getTransparency(&surfacePass));
    EXPECT_GT(surfacePass.count("beginTriangles"), 0u);
    EXPECT_EQ(0u, surfacePass.count("beginLineLoop")) << "no overlays in the surface pass";
}
