#include "scene/render/PolygonTriangles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using Sorvex::M3d;

namespace {

double signedArea2(double ax, double ay, double bx, double by, double cx, double cy) {
    return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

/// Even-odd test of the point against the polygon's outline in the xy plane.
bool insideOutline(const std::vector<M3d>& poly, double x, double y) {
    bool in = false;
    for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const M3d& a = poly[i];
        const M3d& b = poly[j];
        if ((a.y() > y) != (b.y() > y) &&
            x < (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y()) + a.x())
            in = !in;
    }
    return in;
}

/// Checks, by sampling a grid over the polygon's box, that every sample inside the
/// outline is covered exactly once and every sample outside not at all; and that each
/// triangle keeps the polygon's (counter-clockwise) winding.
void expectExactCover(const std::vector<M3d>& poly) {
    std::vector<int> t;
    TriangulatePolygon(poly, t);
    ASSERT_EQ(3 * (poly.size() - 2), t.size());
    for (std::size_t k = 0; k < t.size(); k += 3)
        EXPECT_GE(signedArea2(poly[t[k]].x(), poly[t[k]].y(), poly[t[k + 1]].x(),
                              poly[t[k + 1]].y(), poly[t[k + 2]].x(), poly[t[k + 2]].y()),
                  0.0);
    double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
    for (const M3d& c : poly)
        for (int a = 0; a < 2; ++a) {
            lo[a] = std::min(lo[a], c[a]);
            hi[a] = std::max(hi[a], c[a]);
        }
    // Irrational steps keep samples off the polygon's edges and the cuts.
    for (double x = lo[0] + 0.0137; x < hi[0]; x += (hi[0] - lo[0]) / 97.3)
        for (double y = lo[1] + 0.0071; y < hi[1]; y += (hi[1] - lo[1]) / 89.7) {
            int covered = 0;
            for (std::size_t k = 0; k < t.size(); k += 3) {
                const M3d &a = poly[t[k]], &b = poly[t[k + 1]], &c = poly[t[k + 2]];
                if (signedArea2(a.x(), a.y(), b.x(), b.y(), x, y) > 0 &&
                    signedArea2(b.x(), b.y(), c.x(), c.y(), x, y) > 0 &&
                    signedArea2(c.x(), c.y(), a.x(), a.y(), x, y) > 0)
                    ++covered;
            }
            ASSERT_EQ(insideOutline(poly, x, y) ? 1 : 0, covered) << "at " << x << ", " << y;
        }
}

} // namespace

TEST(PolygonTriangles, NonConvexPolygonsAreCoveredExactlyOnceWhateverTheFirstCorner) {
    // A U-shaped end face: fanned from its first corner, it fills the notch.
    const std::vector<M3d> u = {{0, 0, 0},  {20, 0, 0}, {20, 24, 0}, {13, 24, 0},
                                {13, 8, 0}, {7, 8, 0},  {7, 24, 0},  {0, 24, 0}};
    for (std::size_t shift = 0; shift < u.size(); ++shift) {
        std::vector<M3d> turned(u.begin() + std::ptrdiff_t(shift), u.end());
        turned.insert(turned.end(), u.begin(), u.begin() + std::ptrdiff_t(shift));
        SCOPED_TRACE(shift);
        expectExactCover(turned);
    }
    // An L, a comb with several notches, and a corner collinear with its neighbours.
    expectExactCover({{0, 0, 0}, {3, 0, 0}, {3, 1, 0}, {1, 1, 0}, {1, 3, 0}, {0, 3, 0}});
    expectExactCover({{0, 0, 0},
                      {9, 0, 0},
                      {9, 4, 0},
                      {8, 4, 0},
                      {8, 1, 0},
                      {6, 1, 0},
                      {6, 4, 0},
                      {4, 4, 0},
                      {4, 1, 0},
                      {2, 1, 0},
                      {2, 4, 0},
                      {0, 4, 0}});
    expectExactCover(
        {{0, 0, 0}, {2, 0, 0}, {4, 0, 0}, {4, 4, 0}, {3, 4, 0}, {2, 1, 0}, {1, 4, 0}, {0, 4, 0}});
}

TEST(PolygonTriangles, ConvexPolygonsStayAFanAndAnyPlaneOrWindingIsHandled) {
    std::vector<int> t;
    TriangulatePolygon(std::vector<M3d>{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, t);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 0, 2, 3}), t);

    // The U standing in the yz plane and wound the other way round its normal: the cut
    // must still find ears and cover it, and keep each triangle's winding.
    const std::vector<M3d> u = {{0, 0, 0},  {0, 0, 7},  {0, 8, 7},   {0, 8, 13},
                                {0, 0, 13}, {0, 0, 20}, {0, 24, 20}, {0, 24, 0}};
    t.clear();
    TriangulatePolygon(u, t);
    ASSERT_EQ(18u, t.size());
    double area = 0;
    for (std::size_t k = 0; k < t.size(); k += 3) {
        const M3d &a = u[t[k]], &b = u[t[k + 1]], &c = u[t[k + 2]];
        const double twice = (b.y() - a.y()) * (c.z() - a.z()) - (b.z() - a.z()) * (c.y() - a.y());
        EXPECT_LE(twice, 1e-9) << "each triangle winds as the polygon does";
        area += -twice / 2;
    }
    EXPECT_NEAR(24 * 20 - 8 * 6, area, 1e-9);

    // Nothing to cut: fewer than three corners, or no area at all.
    t.clear();
    TriangulatePolygon(std::vector<M3d>{{0, 0, 0}, {1, 0, 0}}, t);
    EXPECT_TRUE(t.empty());
    TriangulatePolygon(std::vector<M3d>{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}, t);
    EXPECT_EQ(6u, t.size());
}
