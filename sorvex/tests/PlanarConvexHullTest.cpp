#include "sorvex/PlanarConvexHull.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

using Sorvex::M3d;

namespace {

/// Checks the list invariants: circular links, the length, edge angles of consecutive
/// vertices, and convexity (every turn is to the left, within rounding).
void checkStructure(const PlanarConvexHull& hull) {
    const PlanarConvexHull::Node* node = hull.getHead();
    for (int i = 0; i < hull.getLength(); ++i, node = node->next) {
        ASSERT_EQ(node, node->next->prev);
        const PlanarConvexHull::Node* a = node;
        const PlanarConvexHull::Node* b = node->next;
        const PlanarConvexHull::Node* c = b->next;
        const double turn = (b->x - a->x) * (c->y - b->y) - (b->y - a->y) * (c->x - b->x);
        EXPECT_GE(turn, -1e-9) << "reflex vertex at " << b->x << ", " << b->y;
    }
    EXPECT_EQ(hull.getHead(), node);
}

PlanarConvexHull triangle() {
    PlanarConvexHull hull;
    hull.addPoint(0, 0, nullptr);
    hull.addPoint(2, 0, nullptr);
    hull.addPoint(0, 2, nullptr);
    return hull;
}

/// The insertion rule written plainly over a vector in list order, scanning every vertex:
/// the oracle for the hull's indexed search.
class ReferenceHull {
public:
    struct Vertex {
        double x, y, angle, dist, edge;
    };

    bool add(double x, double y) {
        if (seen < 3) {
            pending[seen++] = {x, y, 0, 0, 0};
            if (seen == 3)
                makeTriangle();
            return true;
        }
        for (const Vertex& v : list)
            if (std::fabs(v.x - x) < 1e-5 && std::fabs(v.y - y) < 1e-5)
                return false;
        const double theta = polar(x - cx, y - cy), r = std::hypot(x - cx, y - cy);
        std::size_t n = 0;
        while (n < list.size() && list[n].angle < theta)
            ++n;
        n %= list.size();
        if (std::fabs(list[n].angle - theta) < 1e-5) {
            if (r < list[n].dist + 1e-5)
                return false;
            n = next(n);
        }
        std::size_t m = prev(n);
        if (left(polar(x - list[m].x, y - list[m].y), list[m].edge) ||
            !left(polar(list[n].x - x, list[n].y - y), list[m].edge))
            return false;
        while (!left(polar(x - list[prev(m)].x, y - list[prev(m)].y), list[prev(m)].edge)) {
            const std::size_t k = prev(m);
            erase(m);
            n = n > m ? n - 1 : n;
            m = k > m ? k - 1 : k;
        }
        while (left(polar(list[next(n)].x - x, list[next(n)].y - y), list[n].edge)) {
            const std::size_t s = next(n);
            erase(n);
            m = m > n ? m - 1 : m;
            n = s > n ? s - 1 : s;
        }
        const bool front = n == 0 && theta < list[0].angle;
        const std::size_t at = front || n == 0 ? (front ? 0 : list.size()) : n;
        list.insert(list.begin() + static_cast<long>(at), Vertex{x, y, theta, r, 0});
        setEdge(at);
        setEdge(prev(at));
        return true;
    }

    std::vector<Vertex> list;

private:
    static double polar(double dx, double dy) {
        const double a = std::atan2(dy, dx);
        return a < 0 ? a + 6.283185307179586 : a;
    }
    static bool left(double b, double a) {
        double d = b - a;
        while (d < 0)
            d += 6.283185307179586;
        return d < 3.141592653589793;
    }
    std::size_t next(std::size_t i) const { return (i + 1) % list.size(); }
    std::size_t prev(std::size_t i) const { return (i + list.size() - 1) % list.size(); }
    void setEdge(std::size_t i) {
        const Vertex& to = list[next(i)];
        list[i].edge = polar(to.x - list[i].x, to.y - list[i].y);
    }
    void erase(std::size_t i) {
        list.erase(list.begin() + static_cast<long>(i));
        setEdge(i == 0 ? list.size() - 1 : i - 1);
    }
    void makeTriangle() {
        cx = (pending[0].x + pending[1].x + pending[2].x) / 3;
        cy = (pending[0].y + pending[1].y + pending[2].y) / 3;
        for (Vertex v : pending) {
            v.angle = polar(v.x - cx, v.y - cy);
            v.dist = std::hypot(v.x - cx, v.y - cy);
            list.push_back(v);
        }
        std::stable_sort(list.begin(), list.end(),
                         [](const Vertex& a, const Vertex& b) { return a.angle < b.angle; });
        for (std::size_t i = 0; i < 3; ++i)
            setEdge(i);
    }

    Vertex pending[3];
    int seen = 0;
    double cx = 0, cy = 0;
};

} // namespace

TEST(PlanarConvexHull, InteriorDuplicateAndGrowingPoints) {
    int tags[5];
    PlanarConvexHull hull;
    EXPECT_TRUE(hull.addPoint(0, 0, &tags[0]));
    EXPECT_TRUE(hull.addPoint(2, 0, &tags[1]));
    EXPECT_EQ(0, hull.getLength());
    EXPECT_FALSE(hull.contains(0.1, 0.1));
    EXPECT_TRUE(hull.addPoint(0, 2, &tags[2]));
    EXPECT_EQ(3, hull.getLength());
    double cx = 0, cy = 0;
    hull.getOriginalCenter(&cx, &cy);
    EXPECT_DOUBLE_EQ(2.0 / 3.0, cx);
    EXPECT_DOUBLE_EQ(2.0 / 3.0, cy);

    EXPECT_TRUE(hull.contains(0.5, 0.5));
    EXPECT_FALSE(hull.addPoint(0.5, 0.5, &tags[3]));
    EXPECT_FALSE(hull.addPoint(2 + 5e-6, -5e-6, &tags[3]));
    EXPECT_FALSE(hull.addPoint(1, 1, &tags[3])); // on an edge
    EXPECT_EQ(3, hull.getLength());
    EXPECT_FALSE(hull.contains(2, 2));

    EXPECT_TRUE(hull.addPoint(2, 2, &tags[4]));
    EXPECT_EQ(4, hull.getLength());
    EXPECT_DOUBLE_EQ(4.0, hull.getArea());
    checkStructure(hull);
    std::vector<void*> data(hull.getLength());
    hull.fillArray(data.data());
    EXPECT_EQ(1, std::count(data.begin(), data.end(), &tags[4]));
    EXPECT_EQ(0, std::count(data.begin(), data.end(), &tags[3]));

    // A point far out along the diagonal hides (2, 2).
    EXPECT_TRUE(hull.addPoint(10, 10, nullptr));
    checkStructure(hull);
    EXPECT_EQ(4, hull.getLength());
    EXPECT_DOUBLE_EQ(20.0, hull.getArea());
    EXPECT_TRUE(hull.contains(2, 2));
    // One further out still hides all but the two base vertices next to it.
    EXPECT_TRUE(hull.addPoint(-100, -100, nullptr));
    checkStructure(hull);
    EXPECT_EQ(4, hull.getLength());
}

TEST(PlanarConvexHull, BadCoordinatesAreRejected) {
    PlanarConvexHull hull = triangle();
    EXPECT_FALSE(hull.addPoint(std::nan(""), 5, nullptr));
    EXPECT_FALSE(hull.addPoint(5, HUGE_VAL, nullptr));
    EXPECT_FALSE(hull.contains(std::nan(""), 0));
    EXPECT_EQ(3, hull.getLength());
    PlanarConvexHull fresh;
    EXPECT_FALSE(fresh.addPoint(std::nan(""), 0, nullptr));
    EXPECT_TRUE(fresh.addPoint(0, 0, nullptr));
    EXPECT_TRUE(fresh.addPoint(1, 0, nullptr));
    EXPECT_TRUE(fresh.addPoint(0, 1, nullptr));
    EXPECT_EQ(3, fresh.getLength());
}

TEST(PlanarConvexHull, CentresOfDegenerateAndSquareHulls) {
    PlanarConvexHull line;
    line.addPoint(0, 0, nullptr);
    line.addPoint(1, 0, nullptr);
    line.addPoint(3, 0, nullptr);
    EXPECT_EQ(0.0, line.getArea());
    double x = -1, y = -1;
    line.getBaricenter(&x, &y);
    EXPECT_EQ(line.getHead()->x, x);
    EXPECT_EQ(line.getHead()->y, y);
    EXPECT_EQ(M3d(1.5, 0, 0), line.getMiddle());

    PlanarConvexHull square = triangle();
    square.addPoint(2, 2, nullptr);
    EXPECT_EQ(M3d(1, 0, 1), square.getBaricenter());
    EXPECT_EQ(M3d(1, 0, 1), square.getMiddle());
    square.getBaricenter(nullptr, &y);
    EXPECT_DOUBLE_EQ(1.0, y);

    // 3D points go in through x and z.
    PlanarConvexHull fromSpace;
    fromSpace.addPoint(M3d(0, 7, 0), nullptr);
    fromSpace.addPoint(M3d(4, 7, 0), nullptr);
    fromSpace.addPoint(M3d(4, 7, 2), nullptr);
    EXPECT_DOUBLE_EQ(4.0, fromSpace.getArea());
    EXPECT_EQ(M3d(2, 0, 1), fromSpace.getMiddle());

    PlanarConvexHull empty;
    EXPECT_EQ(M3d(0, 0, 0), empty.getMiddle());
    x = 5;
    empty.getBaricenter(&x, nullptr);
    EXPECT_EQ(5.0, x);
}

TEST(PlanarConvexHull, BoundsAndLongestAxis) {
    PlanarConvexHull rect;
    rect.addPoint(0, 0, nullptr);
    rect.addPoint(4, 0, nullptr);
    rect.addPoint(4, 1, nullptr);
    rect.addPoint(0, 1, nullptr);
    ASSERT_EQ(4, rect.getLength());
    double w = 0, h = 0;
    rect.getBounds(&w, &h, 0);
    EXPECT_DOUBLE_EQ(4.0, w);
    EXPECT_DOUBLE_EQ(1.0, h);
    rect.getBounds(&w, &h, M_PI / 2);
    EXPECT_NEAR(1.0, w, 1e-12);
    EXPECT_NEAR(4.0, h, 1e-12);
    // The widest projection of a rectangle runs along its diagonal (atan(1/4) = 0.245);
    // of the 33 angles tried, 2 pi/32 is the widest.
    EXPECT_NEAR(2 * M_PI / 32, rect.getLongestAxis(&w, &h), 1e-12);
    EXPECT_NEAR(4 * std::cos(M_PI / 16) + std::sin(M_PI / 16), w, 1e-12);
    EXPECT_NEAR(std::cos(M_PI / 16) + 4 * std::sin(M_PI / 16), h, 1e-12);

    // A sliver along x is widest at 0; pi gives the same width and does not replace it.
    PlanarConvexHull sliver;
    sliver.addPoint(0, 0, nullptr);
    sliver.addPoint(4, 0, nullptr);
    sliver.addPoint(2, 1e-4, nullptr);
    EXPECT_EQ(0.0, sliver.getLongestAxis(&w, &h));
    EXPECT_DOUBLE_EQ(4.0, w);
    EXPECT_DOUBLE_EQ(1e-4, h);

    // A long thin diamond along the 45 degree diagonal: the best of the 33 angles is 8 * pi/32.
    PlanarConvexHull diagonal;
    diagonal.addPoint(0, 0, nullptr);
    diagonal.addPoint(10, 10, nullptr);
    diagonal.addPoint(5.5, 4.5, nullptr);
    diagonal.addPoint(4.5, 5.5, nullptr);
    EXPECT_NEAR(M_PI / 4, diagonal.getLongestAxis(&w, &h), 1e-12);
    EXPECT_NEAR(std::sqrt(200.0), w, 1e-9);

    PlanarConvexHull empty;
    w = h = 7;
    EXPECT_EQ(0.0, empty.getLongestAxis(&w, &h));
    EXPECT_EQ(0.0, w);
    EXPECT_EQ(0.0, h);
}

TEST(PlanarConvexHull, CopiesAreDeepAndIndependent) {
    PlanarConvexHull hull = triangle();
    hull.addPoint(2, 2, nullptr);
    PlanarConvexHull copy(hull);
    copy.addPoint(5, 5, nullptr);
    EXPECT_EQ(4, hull.getLength());
    EXPECT_DOUBLE_EQ(4.0, hull.getArea());
    EXPECT_NE(hull.getHead(), copy.getHead());
    hull = copy;
    EXPECT_DOUBLE_EQ(copy.getArea(), hull.getArea());
    EXPECT_TRUE(hull.contains(4, 4));
    EXPECT_FALSE(hull.addPoint(5, 5, nullptr));
    checkStructure(hull);
    hull.reset();
    EXPECT_EQ(0, hull.getLength());
    EXPECT_EQ(nullptr, hull.getHead());
}

TEST(PlanarConvexHull, RandomHullsContainEveryInsertedPoint) {
    std::mt19937 rng(1234);
    std::uniform_real_distribution<double> u(-1, 1);
    std::normal_distribution<double> g(0, 1);
    for (int round = 0; round < 20; ++round) {
        PlanarConvexHull hull;
        std::vector<std::pair<double, double>> points;
        const int count = 50 + 100 * round;
        for (int i = 0; i < count; ++i) {
            double x, y;
            switch (round % 3) {
            case 0: // square
                x = u(rng), y = u(rng);
                break;
            case 1: // circle: every point is on the hull
            {
                const double a = u(rng) * M_PI;
                x = 5 * std::cos(a), y = 5 * std::sin(a);
                break;
            }
            default: // stretched Gaussian cloud, far from the origin
                x = 1000 + 50 * g(rng), y = -300 + 0.5 * g(rng);
            }
            points.emplace_back(x, y);
            hull.addPoint(x, y, nullptr);
            if (i < 2)
                continue;
            // Whatever addPoint answered, the hull now covers the point.
            ASSERT_TRUE(hull.contains(x, y)) << "round " << round << " point " << i;
        }
        checkStructure(hull);
        double area = 0;
        // contains is strict only beyond 1e-5; every earlier point is still covered.
        for (const auto& [x, y] : points)
            EXPECT_TRUE(hull.contains(x, y)) << "round " << round;
        area = hull.getArea();
        EXPECT_GT(area, 0.0);
    }
}

TEST(PlanarConvexHull, IndexedSearchMatchesThePlainInsertionRule) {
    std::mt19937 rng(77);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int round = 0; round < 12; ++round) {
        PlanarConvexHull hull;
        ReferenceHull reference;
        for (int i = 0; i < 3000; ++i) {
            double x = u(rng), y = u(rng);
            if (round % 2 == 1) { // points on a circle, rounded to a coarse grid
                const double a = u(rng) * M_PI;
                x = std::round(200 * std::cos(a)) / 100;
                y = std::round(200 * std::sin(a)) / 100;
            }
            ASSERT_EQ(reference.add(x, y), hull.addPoint(x, y, nullptr))
                << "round " << round << " point " << i;
        }
        ASSERT_EQ(static_cast<int>(reference.list.size()), hull.getLength());
        const PlanarConvexHull::Node* node = hull.getHead();
        for (const auto& v : reference.list) {
            EXPECT_EQ(v.x, node->x);
            EXPECT_EQ(v.y, node->y);
            node = node->next;
        }
    }
}

namespace {

struct HullVertex {
    double x, y;
    void* data;
    double edgeAngle;
    bool operator==(const HullVertex&) const = default;
};

std::vector<HullVertex> listOf(const PlanarConvexHull& hull) {
    std::vector<HullVertex> out;
    const PlanarConvexHull::Node* node = hull.getHead();
    for (int i = 0; i < hull.getLength(); ++i, node = node->next)
        out.push_back({node->x, node->y, node->data, node->edgeAngle});
    return out;
}

} // namespace

TEST(PlanarConvexHull, RollBackRestoresTheHullOfTheMarkExactly) {
    std::mt19937 gen(11);
    std::uniform_real_distribution<double> coord(-10, 10);
    PlanarConvexHull hull;
    // From the very start (pending points and the first triangle taken back too), then
    // from hulls of growing size, with trials that grow, shrink or leave the hull.
    for (int round = 0; round < 200; ++round) {
        const PlanarConvexHull before = hull;
        const std::vector<HullVertex> list = listOf(hull);
        const double area = hull.getArea();
        hull.mark();
        const int trial = 1 + round % 5;
        for (int k = 0; k < trial; ++k)
            hull.addPoint(coord(gen) * (1 + round % 3), coord(gen), &hull);
        ASSERT_TRUE(hull.rollBack());
        EXPECT_FALSE(hull.rollBack()) << "one roll-back per mark";
        EXPECT_EQ(list, listOf(hull)) << "round " << round;
        EXPECT_EQ(area, hull.getArea());
        double cx = 0, cy = 0, bx = 0, by = 0;
        hull.getOriginalCenter(&cx, &cy);
        before.getOriginalCenter(&bx, &by);
        EXPECT_EQ(bx, cx);
        EXPECT_EQ(by, cy);
        // The restored hull goes on as the untouched copy does.
        const double x = coord(gen), y = coord(gen);
        PlanarConvexHull copy = before;
        EXPECT_EQ(copy.addPoint(x, y, nullptr), hull.addPoint(x, y, nullptr));
        EXPECT_EQ(listOf(copy), listOf(hull));
        checkStructure(hull);
    }
}

TEST(PlanarConvexHull, DeferredBatchesReadAsTheAdditionsMadeAtOnce) {
    std::mt19937 gen(23);
    std::uniform_real_distribution<double> coord(-10, 10);
    int tags[400];
    const double nan = std::nan("");
    for (int round = 0; round < 40; ++round) {
        // Points with duplicates, a non-finite one, and the mark anywhere (or nowhere).
        const int count = 1 + int(gen() % 300);
        std::vector<PlanarConvexHull::Point> points;
        for (int i = 0; i < count; ++i) {
            const bool repeat = i > 0 && gen() % 5 == 0;
            points.push_back(repeat ? points[gen() % i]
                                    : PlanarConvexHull::Point{coord(gen), coord(gen), &tags[i]});
        }
        points[gen() % count].x = round % 3 == 0 ? nan : points[0].x;
        const std::size_t markAt = gen() % (count + 2);

        PlanarConvexHull eager;
        eager.addPoint(1, 2, nullptr); // a former hull, replaced by either
        eager.reset();
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (i == markAt)
                eager.mark();
            eager.addPoint(points[i].x, points[i].y, points[i].data);
        }
        PlanarConvexHull deferred = triangle();
        const auto revision = deferred.getRevision();
        deferred.resetDeferred(points, markAt);
        EXPECT_NE(revision, deferred.getRevision());
        const auto batch = deferred.getRevision();

        // Read in turns through different doors; each must see the finished additions.
        switch (round % 4) {
        case 0:
            EXPECT_EQ(listOf(eager), listOf(deferred)) << "round " << round;
            break;
        case 1:
            EXPECT_EQ(eager.getArea(), deferred.getArea());
            break;
        case 2: {
            const PlanarConvexHull copy = deferred; // copies take the settled hull
            EXPECT_EQ(listOf(eager), listOf(copy));
            break;
        }
        case 3:
            EXPECT_EQ(eager.addPoint(20, 20, nullptr), deferred.addPoint(20, 20, nullptr));
            break;
        }
        EXPECT_EQ(listOf(eager), listOf(deferred)) << "round " << round;
        double ex = 0, ey = 0, dx = 0, dy = 0;
        eager.getOriginalCenter(&ex, &ey);
        deferred.getOriginalCenter(&dx, &dy);
        EXPECT_EQ(ex, dx);
        EXPECT_EQ(ey, dy);
        const double xs[2] = {30, -30}, ys[2] = {1, -1};
        EXPECT_EQ(eager.getAreaWith(xs, ys, 2), deferred.getAreaWith(xs, ys, 2));
        if (round % 4 != 3) {
            EXPECT_EQ(batch, deferred.getRevision()) << "reading is no change";
        }

        // The mark of the batch takes back what followed it, as the eager one does.
        EXPECT_EQ(eager.rollBack(), deferred.rollBack());
        EXPECT_EQ(listOf(eager), listOf(deferred)) << "round " << round;
        checkStructure(deferred);
    }

    // A reset drops a batch that waits; an empty batch is an empty hull.
    PlanarConvexHull hull;
    hull.resetDeferred({{0, 0, nullptr}, {1, 0, nullptr}, {0, 1, nullptr}}, 0);
    hull.reset();
    EXPECT_EQ(0, hull.getLength());
    EXPECT_FALSE(hull.rollBack());
    hull = triangle();
    hull.resetDeferred({}, 0);
    EXPECT_EQ(0, hull.getLength());
    EXPECT_EQ(0.0, hull.getArea());
}

TEST(PlanarConvexHull, QueuedPointsWithMarksAndRollBacksMatchTheEagerHull) {
    // A grower's life: each face marks, queues its corners, and is sometimes taken back
    // at once or after others followed (then the roll-back must refuse); reads come at
    // random moments, so queues are settled at every stage of the journal.
    std::mt19937 gen(41);
    std::uniform_real_distribution<double> coord(-10, 10);
    const double nan = std::nan("");
    int tags[3];
    for (int run = 0; run < 30; ++run) {
        PlanarConvexHull eager, queued;
        bool marked = false; // a roll-back is still possible
        for (int step = 0; step < 120; ++step) {
            const unsigned choice = unsigned(gen() % 10);
            if (choice < 6) {
                eager.mark();
                queued.mark();
                marked = true;
                for (int k = 0; k < 3; ++k) {
                    const double x = gen() % 40 == 0 ? nan : coord(gen) * (1 + step / 30.0);
                    const double y = coord(gen);
                    eager.addPoint(x, y, &tags[k]);
                    const auto revision = queued.getRevision();
                    queued.addPointLater(x, y, &tags[k]);
                    EXPECT_NE(revision, queued.getRevision());
                }
            } else if (choice < 8) {
                const bool back = eager.rollBack();
                EXPECT_EQ(marked, back);
                EXPECT_EQ(back, queued.rollBack()) << "run " << run << " step " << step;
                EXPECT_FALSE(queued.rollBack()) << "one roll-back per mark";
                EXPECT_FALSE(eager.rollBack());
                marked = false;
            } else if (choice == 8) {
                ASSERT_EQ(listOf(eager), listOf(queued)) << "run " << run << " step " << step;
                EXPECT_EQ(eager.getArea(), queued.getArea());
            } else {
                // Points queued after a settled mark join that mark's journal.
                const double x = coord(gen), y = coord(gen);
                eager.addPoint(x, y, &tags[0]);
                queued.addPointLater(x, y, &tags[0]);
            }
        }
        EXPECT_EQ(listOf(eager), listOf(queued)) << "run " << run;
        checkStructure(queued);
    }

    // A queue waiting behind a reset or a deferred batch goes with them.
    PlanarConvexHull hull = triangle();
    hull.addPointLater(5, 5, nullptr);
    hull.reset();
    EXPECT_EQ(0, hull.getLength());
    hull.resetDeferred({{0, 0, nullptr}, {1, 0, nullptr}}, 5);
    hull.addPointLater(0, 1, nullptr);
    hull.mark();
    hull.addPointLater(3, 3, nullptr);
    EXPECT_TRUE(hull.rollBack());
    EXPECT_EQ(3, hull.getLength());
    EXPECT_DOUBLE_EQ(0.5, hull.getArea());
}

namespace {

/// Twice the area of the convex hull of `points` by Andrew's monotone chain: an oracle
/// that shares nothing with the hull under test.
double bruteForceHullArea(std::vector<std::pair<double, double>> points) {
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    if (points.size() < 3)
        return 0.0;
    auto cross = [](const auto& o, const auto& a, const auto& b) {
        return (a.first - o.first) * (b.second - o.second) -
               (a.second - o.second) * (b.first - o.first);
    };
    std::vector<std::pair<double, double>> chain(2 * points.size());
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
    double twice = 0.0;
    for (std::size_t i = 0; i + 1 < k; ++i)
        twice += chain[i].first * chain[i + 1].second - chain[i + 1].first * chain[i].second;
    return std::fabs(twice) / 2.0;
}

} // namespace

TEST(PlanarConvexHull, AreaWithPointsMatchesAddingThemAndLeavesTheHullAlone) {
    // Growing hulls (as a net grows outwards) asked about small groups of points: some
    // inside, some on vertices, some far out hiding long runs, some crossing the head.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int round = 0; round < 20; ++round) {
        PlanarConvexHull hull;
        std::vector<std::pair<double, double>> all;
        const double reach = 1.0 + round;
        for (int step = 0; step < 300; ++step) {
            const double r = reach * (0.2 + step / 300.0);
            const double x = r * unit(random), y = r * unit(random);
            if (hull.addPoint(x, y, nullptr) || !hull.contains(x, y))
                all.emplace_back(x, y);
            if (hull.getLength() < 3)
                continue;
            const int count = 1 + int(random() % 5);
            double xs[5], ys[5];
            const double spread = (step % 7 == 0) ? 3.0 * reach : 0.3;
            const double cx = r * unit(random), cy = r * unit(random);
            for (int i = 0; i < count; ++i) {
                xs[i] = cx + spread * unit(random);
                ys[i] = cy + spread * unit(random);
            }
            if (step % 11 == 0) { // a corner of the hull itself
                xs[0] = hull.getHead()->next->x;
                ys[0] = hull.getHead()->next->y;
            }
            const double before = hull.getArea();
            const auto revision = hull.getRevision();
            const double asked = hull.getAreaWith(xs, ys, count);
            EXPECT_EQ(revision, hull.getRevision());
            EXPECT_EQ(before, hull.getArea());

            PlanarConvexHull added(hull);
            std::vector<std::pair<double, double>> with = all;
            for (int i = 0; i < count; ++i) {
                added.addPoint(xs[i], ys[i], nullptr);
                with.emplace_back(xs[i], ys[i]);
            }
            ASSERT_NEAR(added.getArea(), asked, 1e-12 * added.getArea())
                << "round " << round << " step " << step;
            EXPECT_NEAR(bruteForceHullArea(with), asked, 1e-9 * asked);
        }
    }
}

TEST(PlanarConvexHull, AreaWithPointsBeforeTheFirstTriangleAndWithBadPoints) {
    PlanarConvexHull hull;
    const double xs[3] = {0, 2, 0}, ys[3] = {0, 0, 2};
    EXPECT_DOUBLE_EQ(2.0, hull.getAreaWith(xs, ys, 3));
    EXPECT_EQ(0, hull.getLength());
    hull = triangle();
    const double nan = std::nan("");
    const double bad[2] = {nan, 4.0}, y2[2] = {0.0, 0.0};
    EXPECT_DOUBLE_EQ(4.0, hull.getAreaWith(bad, y2, 2)); // the NaN is skipped, (4, 0) taken
    EXPECT_DOUBLE_EQ(2.0, hull.getAreaWith(bad, y2, 1));
    EXPECT_DOUBLE_EQ(2.0, hull.getAreaWith(nullptr, nullptr, 0));
}
