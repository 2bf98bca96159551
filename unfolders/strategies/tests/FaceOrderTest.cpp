// Face graphs follow the mesh's face order, not the addresses the heap gave the faces: one
// mesh built twice, its faces at ascending and at descending addresses, must give the same
// graph order, the same spanning-tree enumeration and the same nets.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "scene/mesh/MeshData.h"
#include "scene/mesh/Poly.h"
#include "scene/mesh/PolyMesh.h"
#include "tests/support/RunStrategy.h"
#include "unfolders/engine/Graph.h"
#include "unfolders/engine/Tree.h"
#include "unfolders/strategies/SpannedUnfolder.h"
#include "unfolders/strategies/tests/TestModels.h"

namespace {

/// The mesh of `data` with its faces built in raw blocks sorted by address, so that the
/// face order and the address order agree or run opposite, whatever the allocator does.
std::unique_ptr<PolyMesh> meshWithFacesAt(const MeshData& data, bool descending) {
    auto mesh = std::make_unique<PolyMesh>();
    std::vector<Vertex*> vertices;
    for (const Sorvex::M3d& p : data.vertices)
        vertices.push_back(mesh->addVertexAt(p));
    std::vector<void*> blocks;
    for (size_t i = 0; i < data.faces.size(); ++i)
        blocks.push_back(::operator new(sizeof(Poly)));
    std::sort(blocks.begin(), blocks.end(), std::less<void*>());
    if (descending)
        std::reverse(blocks.begin(), blocks.end());
    for (size_t i = 0; i < data.faces.size(); ++i) {
        std::vector<Vertex*> ring;
        for (int v : data.faces[i])
            ring.push_back(vertices[size_t(v)]);
        mesh->addPoly(new (blocks[i]) Poly(std::move(ring)));
    }
    return mesh;
}

MeshData modelData(const std::string& name) {
    return loadTestModel(name)->toMeshData();
}

Graph<Poly*> faceGraphOf(PolyMesh& mesh) {
    Graph<Poly*> faces;
    for (Poly* f : mesh.getPolys())
        for (int i = 0; i < f->getVertexCount(); ++i)
            if (Poly* n = f->getNeighbor(i))
                faces.addEdge(f, n);
    return faces;
}

/// What one enumerated tree gave: whether it was a net, and where each net face landed
/// (its source face's place in the mesh and its centre), in net order.
struct Step {
    bool success = false;
    std::vector<int> sources;
    std::vector<double> centres;
    bool operator==(const Step&) const = default;
};

std::vector<Step> spannedSteps(PolyMesh& mesh, int count) {
    auto* u = testshapes::bind<SpannedUnfolder>(mesh);
    u->setCandidateLimit(1e6);
    std::vector<Step> steps;
    for (int i = 0; i < count && !u->isDone(); ++i) {
        u->unfold();
        Step& s = steps.emplace_back();
        s.success = u->isSuccess(i);
        for (Poly* f : u->getPolys()) {
            s.sources.push_back(mesh.getPolyIndex(f->getTwin()));
            const Sorvex::M3d c = f->getCenter();
            s.centres.insert(s.centres.end(), {c.x(), c.y(), c.z()});
        }
    }
    return steps;
}

} // namespace

TEST(FaceOrder, FaceGraphsAndTreesGoInMeshOrderWhereverTheFacesLie) {
    const MeshData data = modelData("channel-bracket.off");
    for (bool descending : {false, true}) {
        auto mesh = meshWithFacesAt(data, descending);
        const Graph<Poly*> graph = faceGraphOf(*mesh);
        std::vector<int> order;
        for (const auto& entry : graph)
            order.push_back(mesh->getPolyIndex(entry.first));
        std::vector<int> expected(data.faces.size());
        for (size_t i = 0; i < expected.size(); ++i)
            expected[i] = int(i);
        EXPECT_EQ(expected, order) << (descending ? "descending" : "ascending") << " addresses";

        const Tree<Poly*> tree(graph, mesh->getPoly(0));
        order.clear();
        for (const auto& entry : tree.getIndex())
            order.push_back(mesh->getPolyIndex(entry.first));
        EXPECT_EQ(expected, order) << "tree index, " << (descending ? "descending" : "ascending");
    }
}

TEST(FaceOrder, SpannedSearchGivesTheSameTreesAndNetsWhereverTheFacesLie) {
    const MeshData data = modelData("channel-bracket.off");
    auto ascending = meshWithFacesAt(data, false);
    auto descending = meshWithFacesAt(data, true);
    const std::vector<Step> a = spannedSteps(*ascending, 400);
    const std::vector<Step> d = spannedSteps(*descending, 400);
    ASSERT_EQ(a.size(), d.size());
    const auto successes =
        std::count_if(a.begin(), a.end(), [](const Step& s) { return s.success; });
    EXPECT_GT(successes, 0) << "the bracket has nets among its first trees";
    EXPECT_LT(size_t(successes), a.size()) << "and trees that overlap";
    for (size_t i = 0; i < a.size(); ++i)
        if (!(a[i] == d[i])) {
            ADD_FAILURE() << "tree " << i << " differs between the two builds";
            break;
        }
}
