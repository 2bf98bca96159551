#include "scene/mesh/PolyMesh.h"
#include "sorvex/M4x4.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

using Sorvex::M3d;

namespace {

int g_deleted = 0;
void countDeletion(void* p) {
    ++g_deleted;
    delete static_cast<int*>(p);
}

/// A unit square in z = 0, counter-clockwise seen from +z.
struct Square {
    PolyMesh mesh;
    Poly* face;
    Square() {
        Vertex* a = mesh.addVertexAt({0, 0, 0});
        Vertex* b = mesh.addVertexAt({1, 0, 0});
        Vertex* c = mesh.addVertexAt({1, 1, 0});
        Vertex* d = mesh.addVertexAt({0, 1, 0});
        face = new Poly({a, b, c, d});
        mesh.addPoly(face);
    }
};

} // namespace

TEST(PolyTest, RingIndicesWrapBothWays) {
    Square s;
    Poly& f = *s.face;
    EXPECT_EQ(4, f.getVertexCount());
    EXPECT_EQ(f.getVertex(0), f.getVertex(4));
    EXPECT_EQ(f.getVertex(3), f.getVertex(-1));
    EXPECT_EQ(f.getVertex(2), f.getVertex(-6));
    EXPECT_EQ(2, f.getVertexIndex(f.getVertex(-2)));
    Vertex stranger;
    EXPECT_EQ(-1, f.getVertexIndex(&stranger));
    EXPECT_EQ(-1, f.getNeighborIndex(nullptr));
    EXPECT_EQ(nullptr, Poly().getVertex(3));
    EXPECT_EQ(nullptr, Poly().getNeighbor(-1));
}

TEST(PolyTest, NormalAreaAndCentre) {
    Square s;
    EXPECT_EQ(M3d(0, 0, 1), s.face->getNormal());
    EXPECT_DOUBLE_EQ(1.0, s.face->getArea());
    EXPECT_DOUBLE_EQ(1.0, s.face->getScalar());
    EXPECT_EQ(M3d(0.5, 0.5, 0), s.face->getCenter());

    // Far from the origin the area stays exact.
    PolyMesh far;
    Poly* tri = new Poly({far.addVertexAt({1e6, 1e6, 0}), far.addVertexAt({1e6 + 2, 1e6, 0}),
                          far.addVertexAt({1e6, 1e6 + 3, 0})});
    far.addPoly(tri);
    EXPECT_DOUBLE_EQ(3.0, tri->getArea());

    // Three points on a line: no normal, no area.
    PolyMesh flat;
    Poly* sliver = new Poly(
        {flat.addVertexAt({0, 0, 0}), flat.addVertexAt({1, 0, 0}), flat.addVertexAt({2, 0, 0})});
    flat.addPoly(sliver);
    EXPECT_EQ(0.0, sliver->getArea());
    EXPECT_EQ(M3d(0, 0, 0), sliver->getNormal());

    // addPoly(f, false) keeps a normal the caller set.
    PolyMesh net;
    Poly* kept = new Poly(
        {net.addVertexAt({0, 0, 0}), net.addVertexAt({0, 0, 1}), net.addVertexAt({1, 0, 0})});
    kept->setNormal({0, -1, 0});
    kept->setScalar(7);
    net.addPoly(kept, false);
    EXPECT_EQ(M3d(0, -1, 0), kept->getNormal());
    EXPECT_EQ(7.0, kept->getScalar());
}

TEST(PolyTest, TransformSkipsTheGivenRingIndices) {
    Square s;
    Poly& f = *s.face;
    const auto lift = Sorvex::M4x4::Translation(M3d(0, 0, 2));
    f.transform(lift, 1, -2); // -2 is ring index 2
    EXPECT_EQ(M3d(0, 0, 2), *f.getVertex(0));
    EXPECT_EQ(M3d(1, 0, 0), *f.getVertex(1));
    EXPECT_EQ(M3d(1, 1, 0), *f.getVertex(2));
    EXPECT_EQ(M3d(0, 1, 2), *f.getVertex(3));
    // The stored normal and area follow the moved ring, now in the plane 2x + z = 2.
    EXPECT_EQ(M3d(2, 0, 1).normalized(), f.getNormal());
    EXPECT_DOUBLE_EQ(std::sqrt(5.0), f.getArea());

    f.transform(lift); // no skips: every vertex moves
    EXPECT_EQ(M3d(0, 0, 4), *f.getVertex(0));
    EXPECT_EQ(M3d(1, 0, 2), *f.getVertex(1));
    f.transform(Sorvex::M4x4::Translation(M3d(0, 0, -2)), -1, 3);
    EXPECT_EQ(M3d(0, 1, 4), *f.getVertex(3)) << "index 3 skipped";
    EXPECT_EQ(M3d(1, 1, 0), *f.getVertex(2));
}

TEST(PolyTest, TwinLinksAreClearedWhenAFaceIsDestroyed) {
    Square source;
    PolyMesh net;
    auto* copy = new Poly(*source.face, &net);
    EXPECT_EQ(4u, net.getVertexCount()) << "the copy brings its own vertices";
    EXPECT_EQ(0u, net.getPolyCount()) << "but is not added";
    EXPECT_EQ(source.face->getNormal(), copy->getNormal());
    EXPECT_NE(source.face->getVertex(0), copy->getVertex(0));
    EXPECT_EQ(*source.face->getVertex(2), *copy->getVertex(2));
    ASSERT_TRUE(net.addPoly(copy, false));

    copy->setTwin(source.face);
    source.face->setTwin(copy);
    EXPECT_EQ(source.face, copy->getTwin());
    net.remPolyClean(copy); // destroys the copy
    EXPECT_EQ(nullptr, source.face->getTwin());

    // A one-way link is cleared too, and re-pointing a twin drops the old link.
    Poly a({source.mesh.getVertex(0), source.mesh.getVertex(1), source.mesh.getVertex(2)});
    {
        Poly b({source.mesh.getVertex(0), source.mesh.getVertex(2), source.mesh.getVertex(3)});
        Poly c({source.mesh.getVertex(1), source.mesh.getVertex(2), source.mesh.getVertex(3)});
        a.setTwin(&b);
        a.setTwin(&c);
        EXPECT_EQ(&c, a.getTwin());
    }
    EXPECT_EQ(nullptr, a.getTwin());
}

// Several faces may name one face as their twin (one link is kept in the face, the
// rest out of line): each link is cleared when its target goes, and a face that goes
// first is forgotten by its target, whichever place its link had.
TEST(PolyTest, AFaceTwinnedBySeveralFacesClearsEveryLinkAndForgetsLinksThatGo) {
    Square s;
    auto target = std::make_unique<Poly>(
        std::vector<Vertex*>{s.mesh.getVertex(0), s.mesh.getVertex(1), s.mesh.getVertex(2)});
    std::vector<std::unique_ptr<Poly>> twins;
    for (int i = 0; i < 5; ++i) {
        twins.push_back(std::make_unique<Poly>(
            std::vector<Vertex*>{s.mesh.getVertex(0), s.mesh.getVertex(2), s.mesh.getVertex(3)}));
        twins.back()->setTwin(target.get());
    }
    twins[0].reset(); // the link held in the face itself
    twins[3].reset(); // one held out of line
    twins[1]->setTwin(nullptr);
    twins[1]->setTwin(target.get()); // linked again, now last
    target.reset();
    for (const auto& t : twins) {
        if (t) {
            EXPECT_EQ(nullptr, t->getTwin());
        }
    }

    // Links in both directions between faces destroyed in either order.
    for (bool targetFirst : {true, false}) {
        auto a = std::make_unique<Poly>(
            std::vector<Vertex*>{s.mesh.getVertex(0), s.mesh.getVertex(1), s.mesh.getVertex(2)});
        auto b = std::make_unique<Poly>(
            std::vector<Vertex*>{s.mesh.getVertex(0), s.mesh.getVertex(2), s.mesh.getVertex(3)});
        a->setTwin(b.get());
        b->setTwin(a.get());
        (targetFirst ? a : b).reset();
        EXPECT_EQ(nullptr, (targetFirst ? b : a)->getTwin());
    }
}

TEST(PolyTest, UserDataDeletersRunExactlyOnce) {
    g_deleted = 0;
    {
        Square s;
        Poly& f = *s.face;
        EXPECT_EQ(nullptr, f.getUserData("isu"));
        f.setUserData("isu", reinterpret_cast<void*>(std::intptr_t(3)));
        EXPECT_EQ(3, int(reinterpret_cast<std::intptr_t>(f.getUserData("isu"))));

        int* first = new int(1);
        f.setUserData("owned", first, countDeletion);
        std::string key = "owned"; // keys compare by text, not by address
        EXPECT_EQ(first, f.getUserData(key.c_str()));
        f.setUserData("owned", first, countDeletion); // same data again: kept
        EXPECT_EQ(0, g_deleted);
        f.setUserData("owned", new int(2), countDeletion); // replaced: old one deleted
        EXPECT_EQ(1, g_deleted);
        f.setUserData("gone", new int(3), countDeletion);
        f.setUserData("gone", nullptr); // removed: deleted
        EXPECT_EQ(2, g_deleted);
        EXPECT_EQ(nullptr, f.getUserData("gone"));
        EXPECT_EQ(3, int(reinterpret_cast<std::intptr_t>(f.getUserData("isu"))));
    } // the mesh destroys the face, and with it the remaining data
    EXPECT_EQ(3, g_deleted);
}
