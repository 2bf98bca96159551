#include "sorvex/PointSorter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <random>
#include <vector>

using Sorvex::M3d;
using Sorvex::PointSorter;

namespace {

M3d* bruteForce(const std::deque<M3d>& points, const M3d& p, double tolerance) {
    for (const M3d& q : points) {
        if ((q - p).length() <= tolerance)
            return const_cast<M3d*>(&q);
    }
    return nullptr;
}

} // namespace

TEST(PointSorter, SplitsAlongTheLongestAxisAndFindsWithinTolerance) {
    PointSorter sorter(0.0001);
    std::vector<M3d> line;
    for (int i = 0; i < 6; ++i)
        line.emplace_back(i, 0.001 * i, 0);
    for (M3d& p : line)
        sorter.add(&p);
    // The split plane x = 2.5 sends x <= 2 right and x >= 3 left; every point is found.
    for (M3d& p : line) {
        EXPECT_EQ(&p, sorter.findNear(p));
        EXPECT_EQ(&p, sorter.findNear(p + M3d(0.00005, 0, 0)));
        EXPECT_EQ(&p, sorter.findNear(p + M3d(0, 0, -0.0001))); // inclusive
        EXPECT_EQ(nullptr, sorter.findNear(p + M3d(0.0002, 0, 0)));
    }
    EXPECT_EQ(nullptr, sorter.findNear(M3d(2.5, 0, 0)));

    // The sorter keeps the caller's pointers: moving a point moves what is found.
    line[4].x() += 0.00003;
    EXPECT_EQ(&line[4], sorter.findNear(M3d(4, 0.004, 0)));
}

TEST(PointSorter, BandAroundTheSplitPlaneKeepsItsPoints) {
    // Points within 2 * tolerance of a split plane stay at that node: they are found by
    // queries in the band, and the first stored match wins.
    const double tol = 0.01;
    PointSorter sorter(tol);
    std::vector<M3d> points = {M3d(0, 0, 0), M3d(10, 0, 0), M3d(1, 0, 0),
                               M3d(9, 0, 0), M3d(2, 0, 0),  M3d(8, 0, 0)};
    for (M3d& p : points)
        sorter.add(&p);
    // Split at x = 5; these sit in the band of width 2 * tol on either side.
    M3d onPlane(5, 0, 0), justInside(5.015, 0, 0), justOutside(5.025, 0, 0), lowBand(4.985, 0, 0);
    sorter.add(&onPlane);
    sorter.add(&justInside);
    sorter.add(&justOutside);
    sorter.add(&lowBand);
    EXPECT_EQ(&onPlane, sorter.findNear(M3d(5.005, 0, 0)));
    EXPECT_EQ(&justInside, sorter.findNear(M3d(5.012, 0, 0)));
    EXPECT_EQ(&justOutside, sorter.findNear(M3d(5.03, 0, 0)));
    EXPECT_EQ(&lowBand, sorter.findNear(M3d(4.981, 0, 0)));
    // A query beyond the band does not see band points within the tolerance: here the
    // child's point answers although the band point was stored first, and below the
    // band nothing is found at all.
    EXPECT_EQ(&justOutside, sorter.findNear(M3d(5.021, 0, 0)));
    EXPECT_EQ(nullptr, sorter.findNear(M3d(4.979, 0, 0)));

    // Many copies of one position stay together in the band and never split further.
    PointSorter same(tol);
    std::vector<M3d> copies(50, M3d(1, 1, 1));
    for (M3d& p : copies)
        same.add(&p);
    EXPECT_EQ(&copies[0], same.findNear(M3d(1, 1, 1)));
    same.add(nullptr);
}

TEST(PointSorter, AgreesWithBruteForceOnMeshLikePoints) {
    // Vertices of a finely sampled torus, each looked up again at a rounding-sized offset
    // (the way independently computed positions of one vertex differ), plus far misses.
    const double tol = 0.0001;
    std::deque<M3d> points;
    const int rings = 60, segments = 40;
    for (int i = 0; i < rings; ++i) {
        for (int j = 0; j < segments; ++j) {
            const double a = 2 * M_PI * i / rings, b = 2 * M_PI * j / segments;
            points.emplace_back((3 + std::cos(b)) * std::cos(a), std::sin(b),
                                (3 + std::cos(b)) * std::sin(a));
        }
    }
    std::mt19937 rng(5);
    std::shuffle(points.begin(), points.end(), rng);
    PointSorter sorter(tol);
    for (M3d& p : points)
        sorter.add(&p);

    std::uniform_real_distribution<double> tiny(-1e-9, 1e-9), u(-4, 4);
    for (const M3d& p : points) {
        const M3d q = p + M3d(tiny(rng), tiny(rng), tiny(rng));
        ASSERT_EQ(bruteForce(points, q, tol), sorter.findNear(q));
    }
    for (int i = 0; i < 2000; ++i) {
        const M3d q(u(rng), u(rng), u(rng));
        EXPECT_EQ(bruteForce(points, q, tol), sorter.findNear(q));
    }

    // Copies share nothing with the original tree but point at the same points.
    PointSorter copy(sorter);
    sorter.clear();
    EXPECT_EQ(nullptr, sorter.findNear(points.front()));
    EXPECT_EQ(&points.front(), copy.findNear(points.front()));
    sorter = copy;
    EXPECT_EQ(&points.back(), sorter.findNear(points.back()));
}
