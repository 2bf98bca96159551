// Writing and reading a scene-sized XML document: one mesh of 100k faces
// (about 150k elements), the size the application must save and load.
#include "common/XML.h"

#include <benchmark/benchmark.h>

namespace {

XML makeScene(int faceCount) {
    XML root("SceneRoot");
    XML& mesh = *root.add("Children")->add("PolyMesh");
    XML& vertices = *mesh.add("Vertices");
    for (int i = 0; i < faceCount / 2; ++i)
        vertices.add("Vertex", "[bin]000000000000000000000000000000000000008023CFF23F[/bin] "
                               "0.0000  0.0000  1.1756");
    XML& faces = *mesh.add("Faces");
    for (int i = 0; i < faceCount; ++i)
        faces.add("Face", "    " + std::to_string(i) + ",     1,     2");
    mesh.add("DrawEdges", true);
    return root;
}

void BM_XMLToString(benchmark::State& state) {
    const XML scene = makeScene(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.toString());
}
BENCHMARK(BM_XMLToString)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_XMLParse(benchmark::State& state) {
    const std::string text = makeScene(static_cast<int>(state.range(0))).toString();
    for (auto _ : state) {
        XML parsed;
        if (!parsed.parse(text))
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(parsed.getChildCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_XMLParse)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_XMLIterateChildren(benchmark::State& state) {
    const XML scene = makeScene(static_cast<int>(state.range(0)));
    const XML& faces = *scene.child("Children")->child("PolyMesh")->child("Faces");
    for (auto _ : state) {
        std::size_t total = 0;
        for (const XML& face : faces)
            total += face.getText().size();
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_XMLIterateChildren)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
