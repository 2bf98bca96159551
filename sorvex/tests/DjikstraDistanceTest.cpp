#include "sorvex/DjikstraDistance.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using Sorvex::DjikstraDistance;
using Path = DjikstraDistance::Path;

TEST(DjikstraDistance, ChainOfThree) {
    int nodes[3];
    void* a = &nodes[0];
    void* b = &nodes[1];
    void* c = &nodes[2];
    DjikstraDistance d;
    ASSERT_TRUE(d.init(3));
    d.setDist(a, b, 1);
    d.setDist(b, c, 2);
    d.setDist(a, nullptr, 1);
    d.setDist(nullptr, c, 1);

    EXPECT_EQ(DjikstraDistance::NoPath, d.getDist(a, c));
    EXPECT_TRUE(d.getPath(a, c).empty());
    EXPECT_EQ(Path({b, c}), d.getPath(b, c));
    EXPECT_EQ(Path({c, b}), d.getPath(c, b));
    EXPECT_EQ(0.0f, d.getDist(a, a));
    EXPECT_EQ(0.0f, d.getProgress());

    EXPECT_FALSE(d.calc());
    EXPECT_FALSE(d.calc());
    EXPECT_TRUE(d.calc());
    EXPECT_TRUE(d.done());
    EXPECT_TRUE(d.calc()); // further calls change nothing
    EXPECT_EQ(3.0f, d.getDist(a, c));
    EXPECT_EQ(3.0f, d.getDist(c, a));
    EXPECT_EQ(Path({a, b, c}), d.getPath(a, c));
    EXPECT_EQ(Path({c, b, a}), d.getPath(c, a));
    EXPECT_EQ(3, d.getLongestPath());
    EXPECT_EQ(3, d.getLongestPath(a));
    EXPECT_EQ(2, d.getLongestPath(b));
    EXPECT_EQ(b, d.getLeastLongestPath());

    int stranger;
    EXPECT_EQ(DjikstraDistance::NoPath, d.getDist(a, &stranger));
    EXPECT_TRUE(d.getPath(&stranger, a).empty());
    EXPECT_EQ(0, d.getLongestPath(&stranger));
}

TEST(DjikstraDistance, ProgressCapacityAndShortcuts) {
    int nodes[5];
    DjikstraDistance d;
    ASSERT_TRUE(d.init(4));
    // A square with one diagonal heavier than the way round.
    d.setDist(&nodes[0], &nodes[1], 1);
    d.setDist(&nodes[1], &nodes[2], 1);
    d.setDist(&nodes[2], &nodes[3], 1);
    d.setDist(&nodes[3], &nodes[0], 1);
    d.setDist(&nodes[0], &nodes[2], 5);
    // A fifth node does not fit and is ignored rather than written out of bounds.
    d.setDist(&nodes[0], &nodes[4], 1);
    EXPECT_EQ(DjikstraDistance::NoPath, d.getDist(&nodes[0], &nodes[4]));
    d.calc();
    d.calc();
    EXPECT_FLOAT_EQ(0.5f, d.getProgress());
    d.calc();
    d.calc();
    EXPECT_EQ(1.0f, d.getProgress());
    EXPECT_EQ(2.0f, d.getDist(&nodes[0], &nodes[2]));
    EXPECT_EQ(3u, d.getPath(&nodes[0], &nodes[2]).size());
    EXPECT_EQ(3, d.getLongestPath());

    // Copies are independent.
    DjikstraDistance copy(d);
    d.clear();
    EXPECT_EQ(DjikstraDistance::NoPath, d.getDist(&nodes[0], &nodes[1]));
    EXPECT_EQ(nullptr, d.getLeastLongestPath());
    EXPECT_EQ(1.0f, copy.getDist(&nodes[0], &nodes[1]));
}

TEST(DjikstraDistance, MatchesBellmanFordOnRandomGraphs) {
    std::mt19937 rng(9);
    const int n = 40;
    std::vector<int> storage(n);
    std::uniform_int_distribution<int> pick(0, n - 1);
    std::uniform_real_distribution<float> weight(0.5f, 4.0f);
    DjikstraDistance d;
    ASSERT_TRUE(d.init(n));
    std::vector<std::vector<float>> w(n, std::vector<float>(n, DjikstraDistance::NoPath));
    for (int e = 0; e < 120; ++e) {
        const int i = pick(rng), j = pick(rng);
        if (i == j)
            continue;
        const float x = weight(rng);
        w[i][j] = w[j][i] = x;
        d.setDist(&storage[i], &storage[j], x);
    }
    while (!d.calc()) {
    }
    for (int s = 0; s < n; ++s) {
        std::vector<double> best(n, 1e300);
        best[s] = 0;
        for (int round = 0; round < n; ++round)
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j)
                    if (w[i][j] < DjikstraDistance::NoPath && best[i] + w[i][j] < best[j])
                        best[j] = best[i] + w[i][j];
        for (int t = 0; t < n; ++t) {
            const Path& path = d.getPath(&storage[s], &storage[t]);
            if (best[t] >= 1e300 || s == t) {
                EXPECT_TRUE(path.empty());
                continue;
            }
            EXPECT_NEAR(best[t], d.getDist(&storage[s], &storage[t]), 1e-3);
            // The path runs from s to t along entered edges and sums to the distance.
            ASSERT_GE(path.size(), 2u);
            EXPECT_EQ(&storage[s], path.front());
            EXPECT_EQ(&storage[t], path.back());
            double length = 0;
            for (std::size_t k = 1; k < path.size(); ++k) {
                const int from = static_cast<int*>(path[k - 1]) - storage.data();
                const int to = static_cast<int*>(path[k]) - storage.data();
                ASSERT_LT(w[from][to], DjikstraDistance::NoPath);
                length += w[from][to];
            }
            EXPECT_NEAR(best[t], length, 1e-3);
        }
    }
}

TEST(DjikstraDistance, OversizedTablesFailWithTheDebugLine) {
    DjikstraDistance d;
    int a, b;
    ASSERT_TRUE(d.init(2));
    d.setDist(&a, &b, 1);

    testing::internal::CaptureStderr();
    EXPECT_FALSE(d.init(1 << 20)); // 28 TB of tables
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(0u, message.find("Memory exception thrown: std::bad_alloc\nMemory requested: "))
        << message;
    const std::string expectedSizes =
        std::to_string((1ull << 40) * sizeof(Path)) + "l + " + std::to_string((1ull << 40) * 4) +
        "l = " + std::to_string((1ull << 40) * (sizeof(Path) + 4)) + "l\n";
    EXPECT_NE(std::string::npos, message.find(expectedSizes)) << message;
    // The failed init leaves an empty object that answers queries safely.
    EXPECT_EQ(DjikstraDistance::NoPath, d.getDist(&a, &b));
    d.setDist(&a, &b, 1);
    EXPECT_TRUE(d.calc());

    testing::internal::CaptureStderr();
    EXPECT_FALSE(d.init(-1));
    EXPECT_NE(std::string::npos,
              testing::internal::GetCapturedStderr().find("Memory exception thrown: "));

    // A tighter cap turns an ordinary size away too.
    DjikstraDistance::SetMemoryLimit(1000);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(d.init(10));
    testing::internal::GetCapturedStderr();
    DjikstraDistance::SetMemoryLimit(0);
    EXPECT_TRUE(d.init(10));
}

// The pivot step written out plainly, paths and all: the table must keep exactly these
// paths, ties included (small integer weights make many), also when an edge is entered
// again between steps.
TEST(DjikstraDistance, KeepsThePathsOfThePlainRelaxationTiesIncluded) {
    std::mt19937 rng(17);
    for (int trial = 0; trial < 20; ++trial) {
        const int n = 6 + int(rng() % 20);
        std::vector<int> nodes(static_cast<size_t>(n));
        auto node = [&](int i) -> void* { return &nodes[static_cast<size_t>(i)]; };
        std::vector<float> dist(size_t(n * n), DjikstraDistance::NoPath);
        std::vector<Path> paths(size_t(n * n));
        auto at = [&](int r, int c) { return size_t(r * n + c); };
        for (int i = 0; i < n; ++i)
            dist[at(i, i)] = 0;
        DjikstraDistance d;
        ASSERT_TRUE(d.init(n));
        auto enter = [&](int i, int j, int w) {
            d.setDist(node(i), node(j), w);
            dist[at(i, j)] = dist[at(j, i)] = float(w);
            paths[at(i, j)] = {node(i), node(j)};
            paths[at(j, i)] = {node(j), node(i)};
        };
        for (int i = 0; i < n; ++i)
            d.setDist(node(i), node(i), 0); // node indices follow i
        for (int e = 0; e < 2 * n; ++e) {
            const int i = int(rng() % unsigned(n)), j = int(rng() % unsigned(n));
            if (i != j)
                enter(i, j, 1 + int(rng() % 3));
        }
        for (int a = 0; a < n; ++a) {
            if (a == n / 2) {
                const int i = int(rng() % unsigned(n)), j = (i + 1) % n;
                enter(i, j, 1);
            }
            d.calc();
            for (int i = 0; i < n; ++i) {
                if (i == a || paths[at(a, i)].empty())
                    continue;
                for (int k = 0; k < n; ++k) {
                    if (k == a || k == i || paths[at(k, a)].empty())
                        continue;
                    const float x = dist[at(a, i)] + dist[at(k, a)];
                    if (paths[at(k, i)].empty() || x < dist[at(k, i)]) {
                        dist[at(k, i)] = x;
                        Path joined = paths[at(k, a)];
                        joined.insert(joined.end(), paths[at(a, i)].begin() + 1,
                                      paths[at(a, i)].end());
                        paths[at(k, i)] = joined;
                    }
                }
            }
        }
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                ASSERT_EQ(dist[at(i, j)], d.getDist(node(i), node(j))) << trial;
                ASSERT_EQ(paths[at(i, j)], d.getPath(node(i), node(j))) << trial;
            }
    }
}
