// Planar hull insertion, point-sorter look-ups against a linear scan, and the incremental
// all-pairs shortest paths.
#include "sorvex/DjikstraDistance.h"
#include "sorvex/PlanarConvexHull.h"
#include "sorvex/PointSorter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <deque>
#include <random>
#include <vector>

using Sorvex::M3d;

namespace {

std::vector<std::pair<double, double>> discPoints(std::size_t count, bool onCircle) {
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> u(0, 1);
    std::vector<std::pair<double, double>> points;
    points.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double a = 2 * M_PI * u(rng);
        // Radius 1000 keeps a million circle points further apart than the duplicate bound.
        const double r = onCircle ? 1000.0 : 1000.0 * std::sqrt(u(rng));
        points.emplace_back(r * std::cos(a), r * std::sin(a));
    }
    return points;
}

void hullBuild(benchmark::State& state, bool onCircle) {
    const auto points = discPoints(static_cast<std::size_t>(state.range(0)), onCircle);
    int vertices = 0;
    for (auto _ : state) {
        PlanarConvexHull hull;
        for (const auto& [x, y] : points)
            hull.addPoint(x, y, nullptr);
        vertices = hull.getLength();
        benchmark::DoNotOptimize(vertices);
    }
    state.counters["vertices"] = vertices;
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetComplexityN(state.range(0));
}

void BM_HullInDisc(benchmark::State& state) {
    hullBuild(state, false);
}
void BM_HullOnCircle(benchmark::State& state) {
    hullBuild(state, true);
}
BENCHMARK(BM_HullInDisc)
    ->RangeMultiplier(10)
    ->Range(10000, 1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(BM_HullOnCircle)
    ->RangeMultiplier(10)
    ->Range(10000, 1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

/// Vertices of a finely sampled torus, shuffled: points on a surface, as meshes give them.
std::deque<M3d> meshPoints(int rings, int segments) {
    std::deque<M3d> points;
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < segments; ++j) {
            const double a = 2 * M_PI * i / rings, b = 2 * M_PI * j / segments;
            points.emplace_back((3 + std::cos(b)) * std::cos(a), std::sin(b),
                                (3 + std::cos(b)) * std::sin(a));
        }
    std::mt19937 rng(3);
    std::shuffle(points.begin(), points.end(), rng);
    return points;
}

constexpr double Tolerance = 0.0001;

void BM_PointSorterAdd(benchmark::State& state) {
    auto points = meshPoints(400, 250);
    for (auto _ : state) {
        Sorvex::PointSorter sorter(Tolerance);
        for (M3d& p : points)
            sorter.add(&p);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(points.size()));
}
BENCHMARK(BM_PointSorterAdd)->Unit(benchmark::kMillisecond);

void BM_PointSorterFindNear(benchmark::State& state) {
    auto points = meshPoints(400, 250);
    Sorvex::PointSorter sorter(Tolerance);
    for (M3d& p : points)
        sorter.add(&p);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(sorter.findNear(points[i]));
        i = (i + 7919) % points.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PointSorterFindNear);

/// The same query answered by scanning every point in insertion order.
void BM_BruteForceFindNear(benchmark::State& state) {
    auto points = meshPoints(400, 250);
    std::size_t i = 0;
    for (auto _ : state) {
        const M3d& q = points[i];
        const M3d* found = nullptr;
        for (const M3d& p : points) {
            if ((p - q).length() <= Tolerance) {
                found = &p;
                break;
            }
        }
        benchmark::DoNotOptimize(found);
        i = (i + 7919) % points.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BruteForceFindNear)->Unit(benchmark::kMicrosecond);

/// All pivot steps over a grid graph of n nodes (side by side, weights 1 to 2).
void BM_DjikstraDistance(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const int side = static_cast<int>(std::ceil(std::sqrt(n)));
    std::vector<int> nodes(n);
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> weight(1, 2);
    std::vector<std::tuple<int, int, double>> edges;
    for (int i = 0; i < n; ++i) {
        if ((i + 1) % side != 0 && i + 1 < n)
            edges.emplace_back(i, i + 1, weight(rng));
        if (i + side < n)
            edges.emplace_back(i, i + side, weight(rng));
    }
    for (auto _ : state) {
        Sorvex::DjikstraDistance d;
        d.init(n);
        for (const auto& [a, b, w] : edges)
            d.setDist(&nodes[a], &nodes[b], w);
        while (!d.calc()) {
        }
        benchmark::DoNotOptimize(d.getLongestPath());
    }
}
BENCHMARK(BM_DjikstraDistance)->Arg(200)->Arg(500)->Unit(benchmark::kMillisecond);

} // namespace
