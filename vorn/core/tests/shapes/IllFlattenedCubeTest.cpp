#include "vorn/core/shapes/IllFlattenedCube.h"
#include "vorn/core/shapes/MathFn.h"
#include "vorn/core/tests/shapes/MeshChecks.h"

#include "scene/TextLabel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

using Sorvex::M3d;

namespace {

constexpr int kIllFlattenedCube = 1018;

struct P2 {
    double x, y;
};
using Polygon = std::vector<P2>;

double cross(const P2& o, const P2& a, const P2& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

double signedArea(const Polygon& p) {
    double twice = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const P2& a = p[i];
        const P2& b = p[(i + 1) % p.size()];
        twice += a.x * b.y - a.y * b.x;
    }
    return twice / 2;
}

Polygon counterClockwise(Polygon p) {
    if (signedArea(p) < 0)
        std::reverse(p.begin(), p.end());
    return p;
}

bool convex(const Polygon& p) {
    for (std::size_t i = 0; i < p.size(); ++i)
        if (cross(p[i], p[(i + 1) % p.size()], p[(i + 2) % p.size()]) < -1e-12)
            return false;
    return true;
}

/// Sutherland-Hodgman: the part of `subject` inside the convex, counter-clockwise `clipper`.
/// The subject may be non-convex; the shoelace area of the result is then still right.
Polygon clip(const Polygon& subject, const Polygon& clipper) {
    Polygon out = subject;
    for (std::size_t i = 0; i < clipper.size() && !out.empty(); ++i) {
        const P2& a = clipper[i];
        const P2& b = clipper[(i + 1) % clipper.size()];
        const Polygon in = out;
        out.clear();
        for (std::size_t j = 0; j < in.size(); ++j) {
            const P2& p = in[j];
            const P2& q = in[(j + 1) % in.size()];
            const double dp = cross(a, b, p);
            const double dq = cross(a, b, q);
            if ((dp >= 0) != (dq >= 0)) {
                const double t = dp / (dp - dq);
                out.push_back({p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t});
            }
            if (dq >= 0)
                out.push_back(q);
        }
    }
    return out;
}

/// A net face in the net's plane (the net lies in the plane z = 2.5 of its own frame).
Polygon flat(const Poly& f) {
    Polygon p;
    for (const Vertex* v : f.getVertices())
        p.push_back({v->x(), v->y()});
    return counterClockwise(p);
}

/// The area where any two faces of the net overlap, by clipping every pair; a convex face of
/// each pair is the clipper.
double bruteForceOverlap(const PolyMesh& net) {
    double total = 0;
    for (std::size_t i = 0; i < net.getPolyCount(); ++i)
        for (std::size_t j = i + 1; j < net.getPolyCount(); ++j) {
            Polygon a = flat(*net.getPoly(i));
            Polygon b = flat(*net.getPoly(j));
            if (!convex(b))
                std::swap(a, b);
            EXPECT_TRUE(convex(b)) << "faces " << i << " and " << j << " are both non-convex";
            total += std::fabs(signedArea(clip(a, b)));
        }
    return total;
}

/// The children of class exactly `name`.
template <typename T> std::vector<T*> childrenOf(SceneObj& obj, std::string_view name) {
    std::vector<T*> found;
    for (SceneObj* c : obj.getChildren())
        if (c->getClassName() == name)
            found.push_back(dynamic_cast<T*>(c));
    return found;
}

std::vector<PolyMesh*> netsOf(SceneObj& obj) {
    return childrenOf<PolyMesh>(obj, "PolyMesh");
}

std::vector<TextLabel*> labelsOf(SceneObj& obj) {
    return childrenOf<TextLabel>(obj, "TextLabel");
}

PolyMesh& netOf(MathFn& shape) {
    const auto nets = netsOf(shape);
    EXPECT_EQ(1u, nets.size());
    return *nets.front();
}

bool sameColor(const RGBAColor& a, const RGBAColor& b) {
    return std::fabs(a.r - b.r) < 1e-12 && std::fabs(a.g - b.g) < 1e-12 &&
           std::fabs(a.b - b.b) < 1e-12;
}

} // namespace

TEST(IllFlattenedCube, ThreePlanarFacesMeetAtTheCornerTheSlidersMove) {
    for (const auto& [du, dv] : {std::pair{2, 2}, std::pair{27, 27}, std::pair{9, 20}}) {
        MathFn shape;
        shape.rebuild(kIllFlattenedCube, du, dv);
        const MeshTopology t = shape.getTopology();
        EXPECT_EQ(8, t.vertices);
        EXPECT_EQ(3, t.faces);
        EXPECT_EQ(7, t.boundaryEdges);
        EXPECT_TRUE(consistentlyOriented(shape));
        ASSERT_EQ(5, shape.getPoly(0)->getVertexCount());
        ASSERT_EQ(3, shape.getPoly(1)->getVertexCount());
        ASSERT_EQ(5, shape.getPoly(2)->getVertexCount());
        for (const Poly* f : shape.getPolys())
            for (const Vertex* v : f->getVertices()) {
                EXPECT_NEAR(0, (*v - *f->getVertex(0)).dot(f->getNormal()), 1e-12);
                for (int axis = 0; axis < 3; ++axis)
                    EXPECT_LE(std::fabs((*v)[axis]), 2.5);
            }
        // The one vertex all three faces share is the moved corner.
        const M3d expected{5 * ((du - 2) / 25.0 * 0.9 + 0.05) - 2.5,
                           5 * ((dv - 2) / 25.0 * 0.9 + 0.05) - 2.5, 2.5};
        const Vertex* corner = shape.getPoly(1)->getVertex(0);
        EXPECT_EQ(3u, corner->getPolys().size());
        EXPECT_NEAR(0, (*corner - expected).length(), 1e-12);
    }
}

TEST(IllFlattenedCube, TheNetIsTheCornerLaidFlatAndItsColourMeasuresTheOverlap) {
    // dv = 20 puts the corner in the back half (no overlap); dv up to 14 in the front half.
    const std::pair<int, int> settings[] = {{2, 2}, {14, 8}, {27, 14}, {9, 3}, {25, 2}, {2, 20}, {27, 27}};
    double largest = 0;
    bool sawNone = false;
    for (const auto& [du, dv] : settings) {
        MathFn shape;
        shape.rebuild(kIllFlattenedCube, du, dv);
        PolyMesh& net = netOf(shape);
        ASSERT_EQ(3u, net.getPolyCount());
        const std::string at = std::to_string(du) + "," + std::to_string(dv);

        // Each flat face is congruent to its face on the corner: the same distances between
        // all pairs of its corners (so the same edges and angles).
        for (std::size_t f = 0; f < 3; ++f) {
            const Poly& solid = *shape.getPoly(f);
            const Poly& laid = *net.getPoly(f);
            ASSERT_EQ(solid.getVertexCount(), laid.getVertexCount());
            for (int i = 0; i < solid.getVertexCount(); ++i)
                for (int j = i + 1; j < solid.getVertexCount(); ++j)
                    EXPECT_NEAR((*solid.getVertex(i) - *solid.getVertex(j)).length(),
                                (*laid.getVertex(i) - *laid.getVertex(j)).length(), 1e-9)
                        << at << " face " << f;
        }
        // All flat, hinged on the top's edges and cut along the edge the others share.
        for (const Vertex* v : net.getVertices())
            EXPECT_NEAR(2.5, v->z(), 1e-12) << at;
        Poly* top = net.getPoly(0);
        EXPECT_GE(top->getNeighborIndex(net.getPoly(1)), 0) << at;
        EXPECT_GE(top->getNeighborIndex(net.getPoly(2)), 0) << at;
        EXPECT_LT(net.getPoly(1)->getNeighborIndex(net.getPoly(2)), 0) << at;

        // Faces that only touch along an edge clip to slivers of rounding noise.
        const double overlap = bruteForceOverlap(net);
        EXPECT_NEAR(overlap, IllFlattenedOverlapArea(net), 1e-9) << at;
        if (overlap < 1e-12) {
            sawNone = true;
            EXPECT_EQ(0, IllFlattenedOverlapArea(net)) << at;
            EXPECT_TRUE(sameColor({0, 0.25, 1, 1}, net.getColor())) << at;
        } else {
            EXPECT_TRUE(sameColor(IllFlattenedOverlapColor(overlap), net.getColor())) << at;
        }
        largest = std::max(largest, overlap);
    }
    EXPECT_TRUE(sawNone);
    // The largest overlap of the sliders' range (du = 25, dv = 2) is just inside the
    // colour scale.
    EXPECT_GT(largest, 0.5);
    EXPECT_LT(largest, kIllFlattenedOverlapScale);
}

TEST(IllFlattenedCube, OverlapColourRamp) {
    EXPECT_TRUE(sameColor({0, 0.25, 1, 1}, IllFlattenedOverlapColor(0)));
    EXPECT_TRUE(sameColor({0.625, 0.25, 0.375, 1}, IllFlattenedOverlapColor(0.259)));
    EXPECT_TRUE(sameColor({1, 0.25, 0, 1}, IllFlattenedOverlapColor(0.518)));
    EXPECT_TRUE(sameColor({1, 0.25, 0, 1}, IllFlattenedOverlapColor(5)));
}

TEST(IllFlattenedCube, TheNetAndLabelStandBesideTheCorner) {
    MathFn shape;
    shape.rebuild(kIllFlattenedCube, 2, 14);
    const auto labels = labelsOf(shape);
    ASSERT_EQ(1u, labels.size());
    EXPECT_EQ("-2.250, -0.090", labels.front()->getText());
    // Rotated a quarter turn about y, shrunk to a quarter, moved 2 along x: the net's plane
    // z = 2.5 stands just right of the cube.
    EXPECT_NEAR(0, (netOf(shape).getTransform() * M3d(1, 0, 2.5) - M3d(2.625, 0, -0.25)).length(),
                1e-12);
    // Turned half about x (text reads upright in a y-down frame), a tenth the size, moved.
    EXPECT_NEAR(0, (labels.front()->getTransform() * M3d(1, 1, 0) - M3d(1.5, 0.7, 0.75)).length(),
                1e-12);

    shape.rebuild(kIllFlattenedCube, 27, 27);
    ASSERT_EQ(1u, labelsOf(shape).size());
    EXPECT_EQ("2.250, 2.250", labelsOf(shape).front()->getText());
    // Beyond the sliders' range the corner stays on the top face.
    shape.rebuild(kIllFlattenedCube, 200, -5);
    EXPECT_EQ("2.250, -2.250", labelsOf(shape).front()->getText());
}

TEST(IllFlattenedCube, RebuildsReplaceOnlyTheChildrenTheShapeMade) {
    MathFn shape;
    auto* note = new TextLabel("mine");
    note->setParent(&shape);
    shape.rebuild(kIllFlattenedCube, 5, 5);
    EXPECT_EQ(3u, shape.getChildren().size());
    shape.rebuild(kIllFlattenedCube, 6, 5);
    EXPECT_EQ(3u, shape.getChildren().size());
    // Someone deletes the net: the next rebuild must not touch it again.
    delete &netOf(shape);
    shape.rebuild(kIllFlattenedCube, 7, 5);
    EXPECT_EQ(3u, shape.getChildren().size());
    shape.rebuild(1010, 7, 5);
    ASSERT_EQ(1u, shape.getChildren().size());
    EXPECT_EQ(note, shape.getChildren().front());
}

TEST(IllFlattenedCube, AClonedCornerHasOneNetAndOneLabel) {
    MathFn shape;
    shape.rebuild(kIllFlattenedCube, 4, 4);
    std::unique_ptr<SceneObj> copy(shape.clone());
    ASSERT_TRUE(copy);
    auto& clone = dynamic_cast<MathFn&>(*copy);
    EXPECT_EQ(1u, netsOf(clone).size());
    EXPECT_EQ(1u, labelsOf(clone).size());
    clone.rebuild(kIllFlattenedCube, 9, 9);
    EXPECT_EQ(1u, netsOf(clone).size());
    EXPECT_EQ(1u, labelsOf(clone).size());
}
