// Vector math benchmarks: the M3d text form that every stored point goes through, and
// the 4x4 matrix products and inversions of the transform code.
#include "sorvex/M3d.h"
#include "sorvex/M4x4.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

using namespace Sorvex;

namespace {

/// Vertex-like coordinates: a few units across with full double precision.
std::vector<M3d> samplePoints(std::size_t count) {
    std::mt19937_64 rng(1);
    std::uniform_real_distribution<double> coord(-50, 50);
    std::vector<M3d> points;
    points.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        points.emplace_back(coord(rng), coord(rng), coord(rng));
    }
    return points;
}

std::vector<M4x4> sampleTransforms(std::size_t count) {
    std::mt19937_64 rng(2);
    std::uniform_real_distribution<double> value(-1, 1);
    std::vector<M4x4> transforms;
    for (std::size_t i = 0; i < count; ++i) {
        M4x4 m = M4x4::Translation(M3d(value(rng), value(rng), value(rng)));
        m.rotate(M3d(value(rng), value(rng), value(rng)), 3 * value(rng));
        m.scale(1.5 + value(rng), 1.5 + value(rng), 1.5 + value(rng));
        transforms.push_back(m);
    }
    return transforms;
}

constexpr std::size_t kSamples = 1024;

void M3dTextWrite(benchmark::State& state) {
    const auto points = samplePoints(kSamples);
    char buf[M3d::TextCapacity];
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(points[i++ % kSamples].toText(buf));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(M3dTextWrite);

// The same text through the printf family, as a baseline for the hand-made formatter.
void M3dTextWritePrintf(benchmark::State& state) {
    const auto points = samplePoints(kSamples);
    char buf[M3d::TextCapacity];
    std::size_t i = 0;
    for (auto _ : state) {
        const M3d& p = points[i++ % kSamples];
        char hex[49];
        const auto* bytes = reinterpret_cast<const unsigned char*>(static_cast<const double*>(p));
        for (int b = 0; b < 24; ++b) {
            std::snprintf(hex + 2 * b, 3, "%02X", bytes[b]);
        }
        benchmark::DoNotOptimize(std::snprintf(buf, sizeof buf, "[bin]%s[/bin]%7.4f %7.4f %7.4f",
                                               hex, p.x(), p.y(), p.z()));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(M3dTextWritePrintf);

void M3dTextToString(benchmark::State& state) {
    const auto points = samplePoints(kSamples);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(points[i++ % kSamples].toString());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(M3dTextToString);

void M3dTextRead(benchmark::State& state) {
    std::vector<std::string> texts;
    for (const M3d& p : samplePoints(kSamples)) {
        texts.push_back(p.toString());
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(M3d(texts[i++ % kSamples].c_str()));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(M3dTextRead);

void M3dTextReadDecimal(benchmark::State& state) {
    std::vector<std::string> texts;
    for (const M3d& p : samplePoints(kSamples)) {
        char buf[128];
        std::snprintf(buf, sizeof buf, "%f %f %f", p.x(), p.y(), p.z());
        texts.emplace_back(buf);
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(M3d(texts[i++ % kSamples].c_str()));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(M3dTextReadDecimal);

void M3dTextRoundTrip(benchmark::State& state) {
    const auto points = samplePoints(kSamples);
    char buf[M3d::TextCapacity];
    std::size_t i = 0;
    for (auto _ : state) {
        points[i++ % kSamples].toText(buf);
        benchmark::DoNotOptimize(M3d(buf));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(M3dTextRoundTrip);

void M3dTextOrder(benchmark::State& state) {
    const auto points = samplePoints(kSamples);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(points[i % kSamples] < points[(i + 1) % kSamples]);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(M3dTextOrder);

void M4x4Mul(benchmark::State& state) {
    const auto transforms = sampleTransforms(kSamples);
    M4x4 product;
    std::size_t i = 0;
    for (auto _ : state) {
        product.mul(transforms[i % kSamples], transforms[(i + 1) % kSamples]);
        benchmark::DoNotOptimize(product);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(M4x4Mul);

void M4x4Inv(benchmark::State& state) {
    const auto transforms = sampleTransforms(kSamples);
    std::size_t i = 0;
    for (auto _ : state) {
        M4x4 m = transforms[i++ % kSamples];
        benchmark::DoNotOptimize(m.inv());
        benchmark::DoNotOptimize(m);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(M4x4Inv);

void M4x4TransformPoint(benchmark::State& state) {
    const auto transforms = sampleTransforms(16);
    const auto points = samplePoints(kSamples);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(transforms[i % 16] * points[i % kSamples]);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(M4x4TransformPoint);

} // namespace
