// The octree polygoniser against a dense marching-cubes grid of the same finest resolution,
// on a six-ball scene: time, field evaluations and triangles.
#include "blobby/MetaBall.h"
#include "blobby/MetaSurface.h"
#include "blobby/Octree.h"
#include "blobby/OctreeCases.h"

#include <benchmark/benchmark.h>

#include <vector>

using Sorvex::M3d;

namespace {

constexpr int FinestLevel = 7;
constexpr double Extent = 4.0;

// Six balls, two of them overlapping, one negative dent.
void addBalls(MetaSurface& s) {
    const struct {
        M3d at;
        double strength;
    } balls[] = {{M3d(-1.5, 0, 0), 2.0},   {M3d(1.5, 0.2, 0), 2.0},   {M3d(0, 1.8, 0.5), 1.6},
                 {M3d(0.5, -1.7, 1), 1.4}, {M3d(-1, 0.5, -1.8), 1.8}, {M3d(0.4, 0, 0.3), -0.8}};
    for (const auto& b : balls)
        (new MetaBall(b.at, b.strength))->setParent(&s);
}

void BM_OctreePolygonise(benchmark::State& state) {
    MetaSurface surface;
    surface.setExtents(M3d(Extent, Extent, Extent), true);
    surface.setMaxLevel(FinestLevel);
    addBalls(surface);
    long evaluations = 0;
    size_t triangles = 0;
    for (auto _ : state) {
        surface.restart();
        Octree::ResetEvaluationCount();
        do
            surface.refine(1000000);
        while (!surface.isDone());
        evaluations = Octree::GetEvaluationCount();
        triangles = 0;
        for (Octree* cell : surface.getRefinedOctrees())
            triangles += size_t(cell->GetNumFaces());
    }
    state.counters["evaluations"] = double(evaluations);
    state.counters["triangles"] = double(triangles);
}
BENCHMARK(BM_OctreePolygonise)->Unit(benchmark::kMillisecond);

// Baseline: every grid point sampled once, every cell looked up in the same case table,
// the vertices of each cell's triangles interpolated.
void BM_DenseGridBaseline(benchmark::State& state) {
    MetaSurface surface;
    addBalls(surface);
    constexpr int N = 1 << FinestLevel;
    constexpr int P = N + 1;
    const double step = 2 * Extent / N;
    constexpr int Corner[8][3] = {{0, 0, 0}, {0, 0, 1}, {1, 0, 1}, {1, 0, 0},
                                  {1, 1, 0}, {1, 1, 1}, {0, 1, 1}, {0, 1, 0}};
    constexpr int Edge[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {0, 7}, {1, 6},
                                 {2, 5}, {3, 4}, {7, 6}, {6, 5}, {5, 4}, {4, 7}};
    const OctreeCaseTable& table = OctreeFaceVertices();
    std::vector<double> values(size_t(P) * P * P);
    auto at = [&](int x, int y, int z) -> double& { return values[(size_t(y) * P + x) * P + z]; };
    long evaluations = 0;
    size_t triangles = 0;
    double checksum = 0;
    for (auto _ : state) {
        evaluations = 0;
        triangles = 0;
        for (int y = 0; y < P; ++y)
            for (int x = 0; x < P; ++x)
                for (int z = 0; z < P; ++z) {
                    M3d p(-Extent + x * step, -Extent + y * step, -Extent + z * step);
                    at(x, y, z) = surface.F(p);
                    ++evaluations;
                }
        for (int y = 0; y < N; ++y)
            for (int x = 0; x < N; ++x)
                for (int z = 0; z < N; ++z) {
                    double v[8];
                    int flags = 0;
                    for (int k = 0; k < 8; ++k) {
                        v[k] = at(x + Corner[k][0], y + Corner[k][1], z + Corner[k][2]);
                        if (!(v[k] < 0.5))
                            flags |= 1 << k;
                    }
                    if (flags == 0 || flags == 255)
                        continue;
                    for (const auto& tri : table[flags]) {
                        if (tri[0] < 0)
                            break;
                        ++triangles;
                        for (int e : tri) {
                            const int a = Edge[e][0], b = Edge[e][1];
                            const double t = (0.5 - v[a]) / (v[b] - v[a]);
                            checksum += (Corner[a][0] + (Corner[b][0] - Corner[a][0]) * t) * step;
                        }
                    }
                }
    }
    benchmark::DoNotOptimize(checksum);
    state.counters["evaluations"] = double(evaluations);
    state.counters["triangles"] = double(triangles);
}
BENCHMARK(BM_DenseGridBaseline)->Unit(benchmark::kMillisecond);

} // namespace
