// Mesh throughput: neighbour linking, the add/remove trial pattern of the
// scored strategies, and XML persistence, on a closed 100k-triangle torus.
#include "common/XML.h"
#include "scene/mesh/PolyMesh.h"
#include "tests/support/TestShapes.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

// 250 x 200 quads, two triangles each.
const MeshData& torus100k() {
    static const MeshData data = testshapes::torus(250, 200);
    return data;
}

/// Adds the vertices of `data` to `mesh` and returns the faces, not yet added.
std::vector<Poly*> unlinkedFaces(PolyMesh& mesh, const MeshData& data) {
    std::vector<Vertex*> vertices;
    vertices.reserve(data.vertices.size());
    for (const auto& p : data.vertices)
        vertices.push_back(mesh.addVertexAt(p));
    std::vector<Poly*> faces;
    faces.reserve(data.faces.size());
    for (const auto& ring : data.faces)
        faces.push_back(new Poly({vertices[ring[0]], vertices[ring[1]], vertices[ring[2]]}));
    return faces;
}

void BM_LinkEveryFace(benchmark::State& state) {
    const MeshData& data = torus100k();
    for (auto _ : state) {
        state.PauseTiming();
        auto mesh = std::make_unique<PolyMesh>();
        std::vector<Poly*> faces = unlinkedFaces(*mesh, data);
        state.ResumeTiming();
        for (Poly* f : faces)
            mesh->addPoly(f, false);
        benchmark::DoNotOptimize(mesh->getPoly(0)->getNeighbor(0));
        state.PauseTiming();
        mesh.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(data.faces.size()));
    state.counters["faces"] = double(data.faces.size());
}
BENCHMARK(BM_LinkEveryFace)->Unit(benchmark::kMillisecond);

void BM_FromMeshData(benchmark::State& state) {
    const MeshData& data = torus100k();
    for (auto _ : state) {
        PolyMesh mesh;
        mesh.fromMeshData(data);
        benchmark::DoNotOptimize(mesh.getPolyCount());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(data.faces.size()));
}
BENCHMARK(BM_FromMeshData)->Unit(benchmark::kMillisecond);

/// Remove a face and add it back, as a scored strategy does for every
/// candidate: the last face (removal leaves no hole), or a face from the
/// middle (it comes back at the end).
void BM_TrialRemoveAndAdd(benchmark::State& state) {
    const bool fromMiddle = state.range(0) != 0;
    PolyMesh mesh;
    mesh.fromMeshData(torus100k());
    std::vector<Poly*> faces(mesh.getPolys().begin(), mesh.getPolys().end());
    std::size_t next = 0;
    for (auto _ : state) {
        Poly* f = fromMiddle ? faces[next] : mesh.getPolys().back();
        next = (next + 7919) % faces.size();
        mesh.remPoly(f);
        mesh.addPoly(f, false);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TrialRemoveAndAdd)->Arg(0)->Arg(1);

void BM_WriteAndReadXML(benchmark::State& state) {
    PolyMesh mesh;
    mesh.fromMeshData(torus100k());
    for (auto _ : state) {
        XML xml("PolyMesh");
        mesh.write(xml);
        const std::string text = xml.toString();
        XML parsed;
        parsed.parse(text);
        PolyMesh copy;
        copy.read(parsed);
        benchmark::DoNotOptimize(copy.getPolyCount());
    }
    state.counters["faces"] = double(mesh.getPolyCount());
}
BENCHMARK(BM_WriteAndReadXML)->Unit(benchmark::kMillisecond);

void BM_XMLTextOnly(benchmark::State& state) {
    PolyMesh mesh;
    mesh.fromMeshData(torus100k());
    XML xml("PolyMesh");
    mesh.write(xml);
    for (auto _ : state) {
        const std::string text = xml.toString();
        XML parsed;
        parsed.parse(text);
        benchmark::DoNotOptimize(parsed.getChildCount());
    }
}
BENCHMARK(BM_XMLTextOnly)->Unit(benchmark::kMillisecond);

void BM_WriteXMLOnly(benchmark::State& state) {
    PolyMesh mesh;
    mesh.fromMeshData(torus100k());
    for (auto _ : state) {
        XML xml("PolyMesh");
        mesh.write(xml);
        benchmark::DoNotOptimize(xml.getChildCount());
    }
}
BENCHMARK(BM_WriteXMLOnly)->Unit(benchmark::kMillisecond);

void BM_ReadXMLOnly(benchmark::State& state) {
    PolyMesh mesh;
    mesh.fromMeshData(torus100k());
    XML xml("PolyMesh");
    mesh.write(xml);
    for (auto _ : state) {
        PolyMesh copy;
        copy.read(xml);
        benchmark::DoNotOptimize(copy.getPolyCount());
    }
}
BENCHMARK(BM_ReadXMLOnly)->Unit(benchmark::kMillisecond);

} // namespace
