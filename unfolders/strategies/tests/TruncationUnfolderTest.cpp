#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <functional>
#include <set>
#include <string>

#include "common/StatusLine.h"
#include "scene/Factory.h"
#include "sorvex/MPlane.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/SoundNet.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/TruncationUnfolder.h"
#include "vorn/core/AttachStrategy.h"

using namespace testshapes;
using Sorvex::M3d;

namespace {

/// Why `cuts` is not a spanning tree of `solid`'s vertices made of its edges, or "".
std::string spanningTreeFault(const Graph<Vertex*>& cuts, PolyMesh& solid) {
    std::set<std::pair<Vertex*, Vertex*>> edges;
    for (Poly* f : solid.getPolys())
        for (int i = 0; i < f->getVertexCount(); ++i)
            edges.emplace(std::min(f->getVertex(i), f->getVertex(i + 1)),
                          std::max(f->getVertex(i), f->getVertex(i + 1)));
    std::size_t cutEdges = 0;
    for (const auto& [a, next] : cuts)
        for (Vertex* b : next) {
            if (!edges.count({std::min(a, b), std::max(a, b)}))
                return "a cut that is no edge of the carved solid";
            ++cutEdges;
        }
    cutEdges /= 2;
    if (cuts.getVertexCount() != solid.getVertexCount())
        return "the cuts reach " + std::to_string(cuts.getVertexCount()) + " of " +
               std::to_string(solid.getVertexCount()) + " corners";
    if (cutEdges + 1 != solid.getVertexCount())
        return std::to_string(cutEdges) + " cuts for " + std::to_string(solid.getVertexCount()) +
               " corners";
    std::set<Vertex*> reached{solid.getVertex(0)};
    std::deque<Vertex*> queue{solid.getVertex(0)};
    while (!queue.empty()) {
        Vertex* v = queue.front();
        queue.pop_front();
        for (Vertex* w : *cuts.findNeighbors(v))
            if (reached.insert(w).second)
                queue.push_back(w);
    }
    return reached.size() == solid.getVertexCount() ? "" : "the cuts fall apart";
}

/// Why the carved solid differs from the convex mesh, or "": every face plane of the mesh
/// carries a carved face, and every carved corner lies on the mesh's surface (inside every
/// face plane and on one of them).
std::string carvedDifference(PolyMesh& carved, PolyMesh& mesh) {
    double low = 0, high = 0;
    mesh.getHeightRange(low, high);
    const double tol = 1e-7 * std::max(1.0, high - low);
    for (Poly* f : mesh.getPolys()) {
        if (f->hasNoArea())
            continue;
        const Sorvex::MPlane plane(f->getCenter(), f->getNormal());
        bool carried = false;
        for (Poly* c : carved.getPolys()) {
            bool onPlane = (c->getNormal() - f->getNormal()).length() < 1e-6;
            for (Vertex* v : c->getVertices())
                onPlane = onPlane && std::fabs(plane.getNormal().dot(*v) - plane.getDist()) < tol;
            carried = carried || onPlane;
        }
        if (!carried)
            return "no carved face on the plane of mesh face " +
                   std::to_string(mesh.getPolyIndex(f));
    }
    for (Vertex* v : carved.getVertices()) {
        double nearest = 1e300;
        for (Poly* f : mesh.getPolys()) {
            if (f->hasNoArea())
                continue;
            const double above = f->getNormal().dot(*v - f->getCenter());
            if (above > tol)
                return "a carved corner lies outside the mesh";
            nearest = std::min(nearest, -above);
        }
        if (nearest > tol)
            return "a carved corner lies inside the mesh";
    }
    return {};
}

struct Solid {
    std::string name;
    std::function<std::unique_ptr<PolyMesh>()> make;
};

} // namespace

// The steepest-edge cut tree unfolds most convex solids without overlaps but not all: about
// one random 80-point hull in forty overlaps (seed 11 does). These solids it unfolds.
TEST(TruncationUnfolder, CarvesConvexSolidsIntoSoundNetsKeepingASpanningCutTree) {
    const std::vector<Solid> solids = {
        {"tetrahedron", [] { return meshOf(tetrahedron()); }},
        {"cube", [] { return meshOf(cube()); }},
        {"octahedron", [] { return meshOf(octahedron()); }},
        {"icosahedron", [] { return meshOf(unitIcosahedron()); }},
        {"sliver cube", [] { return meshOf(sliveredCube()); }},
        {"icosphere", [] { return meshOf(icosphere(2)); }},
        {"random 12", [] { return randomConvex(7, 12); }},
        {"random 40", [] { return randomConvex(3, 40); }},
        {"random 80", [] { return randomConvex(12, 80); }},
    };
    for (const Solid& solid : solids) {
        auto mesh = solid.make();
        auto* u = bind<TruncationUnfolder>(*mesh);
        ASSERT_EQ("", u->getRefusal()) << solid.name;
        ASSERT_NE(nullptr, u->getCarvedSolid()) << solid.name;
        EXPECT_EQ(4u, u->getCarvedSolid()->getPolyCount()) << solid.name;
        EXPECT_NE(nullptr, u->getBottomFace()) << solid.name;
        EXPECT_EQ("", spanningTreeFault(u->getCarvedCuts(), *u->getCarvedSolid()))
            << solid.name << " before carving";
        int steps = 0;
        while (!u->isDone() && steps < 10000) {
            u->unfold();
            ++steps;
            if (!u->isDone()) {
                const std::string fault =
                    spanningTreeFault(u->getCarvedCuts(), *u->getCarvedSolid());
                ASSERT_EQ("", fault) << solid.name << " after step " << steps;
                // Between cuts the net is the carved solid's, one face per carved face.
                EXPECT_EQ(u->getCarvedSolid()->getPolyCount(), u->getPolyCount())
                    << solid.name << " after step " << steps;
            }
        }
        ASSERT_TRUE(u->isDone()) << solid.name;
        EXPECT_EQ("", u->getRefusal()) << solid.name;
        EXPECT_EQ(mesh->getPolyCount(), u->getAppliedCount()) << solid.name;
        EXPECT_EQ("", carvedDifference(*u->getCarvedSolid(), *mesh)) << solid.name;
        const testsupport::NetReport report = testsupport::CheckNet(*u);
        EXPECT_TRUE(report.complete) << solid.name;
        EXPECT_TRUE(report.faults.empty()) << solid.name << ":\n" << report.describe();
        EXPECT_TRUE(report.overlaps.empty())
            << solid.name << ": " << report.overlaps.size() << " overlapping pairs";
    }
}

TEST(TruncationUnfolder, TheUpperFacesAtTheTopBoundTheTetrahedronWhenTheyCan) {
    // At the apex of the tetrahedron on the origin and the unit points the three faces and
    // the bottom plane bound a tetrahedron: its upper faces are those faces' planes, applied
    // from the start, and it is the mesh already.
    auto corner = cornerTetrahedron();
    auto* u = bind<TruncationUnfolder>(*corner);
    EXPECT_EQ(3u, u->getAppliedCount());
    std::set<Poly*> matched;
    for (Poly* f : u->getCarvedSolid()->getPolys())
        if (Poly* m = u->getMeshFace(f)) {
            matched.insert(m);
            EXPECT_LT((f->getNormal() - m->getNormal()).length(), 1e-10);
        }
    EXPECT_EQ(3u, matched.size());
    EXPECT_EQ("", carvedDifference(*u->getCarvedSolid(), *corner));
    ASSERT_TRUE(runToEnd(*u));
    EXPECT_TRUE(u->isSuccesful());
    // The cube's top face is parallel to the bottom plane: the tetrahedron stands round the
    // cube instead, and every face is carved.
    auto cube = meshOf(testshapes::cube());
    auto* v = bind<TruncationUnfolder>(*cube);
    EXPECT_EQ(0u, v->getAppliedCount());
    for (Vertex* c : cube->getVertices())
        for (Poly* f : v->getCarvedSolid()->getPolys())
            EXPECT_LE(f->getNormal().dot(*c - f->getCenter()), 1e-12)
                << "the bottom plane touches the cube, the sides keep clear";
}

TEST(TruncationUnfolder, EmptyAndFlatModelsAreRefusedWithTheirErrors) {
    PolyMesh empty;
    TruncationUnfolder u;
    try {
        u.setParent(&empty);
        ADD_FAILURE() << "an empty model was taken";
    } catch (const char* text) {
        EXPECT_STREQ("ERROR: erm... model appears to be empty", text);
    }
    auto flat = oneFace();
    std::string error;
    EXPECT_EQ(nullptr, AttachStrategy(*flat, *Factory::GetFactory("TruncationUnfolder"), &error));
    EXPECT_EQ("ERROR: erm... model appears to be flat", error);
    EXPECT_TRUE(flat->getChildren().empty()) << "the refused strategy is gone";
}

TEST(TruncationUnfolder, MeshesItCannotCarveEndAtOnceWithAMessageAndNoNet) {
    const std::vector<std::pair<Solid, std::string>> cases = {
        {{"L-prism", lPrism}, "is not convex"},
        {{"torus", [] { return meshOf(torus(8, 12)); }}, "is not convex"},
        {{"bent cube",
          [] {
              MeshData d = cube();
              d.vertices[6] = {1.01, 1.02, 1.03};
              return meshOf(d);
          }},
         "is not convex"},
        {{"open box", openBox}, "is open"},
        {{"huge cube",
          [] {
              // Scaled after loading: the mesh checks refuse such sizes on the way in.
              auto m = meshOf(cube());
              for (Vertex* v : m->getVertices())
                  v->setPosition(*v * 1e150);
              for (Poly* f : m->getPolys())
                  f->computeNormal();
              return m;
          }},
         "too large"},
        {{"two tetrahedra", [] { return meshOf(twoTetrahedra()); }}, "several separate parts"},
    };
    for (const auto& [solid, reason] : cases) {
        auto mesh = solid.make();
        auto* u = bind<TruncationUnfolder>(*mesh);
        EXPECT_NE(std::string::npos, u->getRefusal().find(reason))
            << solid.name << ": " << u->getRefusal();
        EXPECT_EQ(u->getRefusal(), GetLastStatusMessage()) << solid.name;
        EXPECT_TRUE(runToEnd(*u, 100)) << solid.name;
        EXPECT_EQ(0u, u->getPolyCount()) << solid.name << ": no net at all";
        EXPECT_FALSE(u->isSuccesful()) << solid.name;
    }
}
