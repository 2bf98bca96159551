// MetaSurface: turning the triangles found so far into a mesh, smoothing it, and handing
// it to an unfolding strategy.
#include "blobby/MetaSurface.h"

#include "blobby/MeshFragments.h"
#include "blobby/Octree.h"
#include "common/Registry.h"
#include "common/StatusLine.h"
#include "common/XML.h"
#include "scene/mesh/PolyMesh.h"
#include "sorvex/PointSorter.h"

#include <cmath>
#include <memory>
#include <unordered_map>
#include <vector>

namespace {

constexpr const char* MeshSection = "Settings\\MetaSurface";
constexpr const char* DefaultStrategy = "SpiralUnfolder";
// Used when the default names a class this build cannot attach.
constexpr const char* FallbackStrategy = "LeastHeightUnfolder";

bool registryFlag(const char* key) {
    return GetRegistryString(MeshSection, key, "") == "true";
}

// The five-point weighted average of one slice family (axis 0 x, 1 y, 2 z).
void smoothFamily(PolyMesh& mesh, std::unordered_map<Vertex*, Sorvex::M3d>& out, int axis) {
    std::unordered_map<Vertex*, Sorvex::M3d> normal;
    for (Vertex* v : mesh.getVertices()) {
        out[v] = *v;
        Sorvex::M3d n;
        for (Poly* f : v->getPolys())
            n += f->getNormal();
        n[axis] = 0;
        normal[v] = n;
    }
    auto hasNormal = [&](Vertex* v) { return normal[v] != Sorvex::M3d(0, 0, 0); };
    Sorvex::M3d a;
    a[axis] = 1;
    std::unordered_map<Vertex*, Vertex*> next, prev;
    std::vector<Vertex*> others;
    for (Vertex* v : mesh.getVertices()) {
        if (!hasNormal(v))
            continue;
        Sorvex::M3d t;
        t.cross(a, normal[v]);
        t.normalize();
        v->collectOtherVertices(others);
        for (Vertex* o : others) {
            if (std::fabs((*o)[axis] - (*v)[axis]) >= 1e-6 || !hasNormal(o))
                continue;
            ((*o - *v).dot(t) >= 0 ? next : prev)[v] = o;
        }
    }
    auto step = [](std::unordered_map<Vertex*, Vertex*>& link, Vertex* v) {
        auto it = link.find(v);
        return it == link.end() ? v : it->second;
    };
    for (Vertex* v : mesh.getVertices()) {
        if (!hasNormal(v))
            continue;
        Vertex* p1 = step(prev, v);
        Vertex* p2 = step(prev, p1);
        Vertex* n1 = step(next, v);
        Vertex* n2 = step(next, n1);
        out[v] = (*p2 + *p1 * 2 + *v * 4 + *n1 * 2 + *n2) / 10;
    }
}

} // namespace

void MetaSurface::smoothMesh(PolyMesh& mesh, bool xy, bool yz, bool xz) {
    const bool enabled[3] = {yz, xz, xy}; // slices of constant x, y, z
    std::unordered_map<Vertex*, Sorvex::M3d> sum;
    int families = 0;
    for (int axis = 0; axis < 3; ++axis) {
        if (!enabled[axis])
            continue;
        std::unordered_map<Vertex*, Sorvex::M3d> positions;
        smoothFamily(mesh, positions, axis);
        for (auto& [v, p] : positions)
            sum[v] += p;
        ++families;
    }
    if (!families)
        return;
    for (auto& [v, p] : sum)
        v->setPosition(p / families);
    for (Poly* f : mesh.getPolys())
        f->onVerticesChanged();
}

PolyMesh* MetaSurface::generatePolyMesh() {
    const bool xy = registryFlag("SmoothPMeshXY");
    const bool yz = registryFlag("SmoothPMeshYZ");
    const bool xz = registryFlag("SmoothPMeshXZ");
    const bool smoothing = xy || yz || xz;

    Sorvex::PointSorter sorter(0.0001);
    auto mesh = std::make_unique<PolyMesh>();
    StatusMessage("Building PolyMesh...");
    const size_t total = m_finished.size() + m_inProgress.size();
    size_t done = 0;
    for (CellList* list : {&m_finished, &m_inProgress}) {
        for (Octree* cell : *list) {
            if (++done % 100 == 0)
                StatusMessage("Building PolyMesh...(%i %%)", int(100 * done / total));
            for (int t = 0; t < cell->GetNumFaces(); ++t) {
                Vertex* ring[3];
                for (int i = 0; i < 3; ++i)
                    ring[i] = mesh->findBestVertex(cell->GetVertex(t, i), sorter);
                // A triangle whose corners merged into fewer than three is a speck.
                if (ring[0] == ring[1] || ring[1] == ring[2] || ring[0] == ring[2])
                    continue;
                auto face = std::make_unique<Poly>(std::vector<Vertex*>{ring[0], ring[1], ring[2]});
                if (mesh->addPoly(face.get(), !smoothing))
                    face.release();
            }
        }
    }
    if (smoothing) {
        StatusMessage("Smoothing PolyMesh...");
        smoothMesh(*mesh, xy, yz, xz);
    }
    StatusMessage("Cleaning PolyMesh...");
    filterFragments(*mesh, 0.00001);
    // Corners of dropped specks are left over.
    for (Vertex* v : mesh->getVertices()) {
        if (v->getPolyCount() == 0 && mesh->remVertex(v))
            delete v;
    }
    if (mesh->getPolyCount() == 0) {
        StatusMessage("Ready");
        return nullptr;
    }

    StatusMessage("Finalising PolyMesh...");
    mesh->shiftToCenter();
    SceneObj* outermost = this;
    while (outermost->getParent())
        outermost = outermost->getParent();
    // A surface outside any scene hands the detached mesh to the caller.
    if (outermost != this)
        mesh->setParent(outermost);
    mesh->translate(getWorldTransform() * Sorvex::M3d(0, 0, 0));
    StatusMessage("Ready");
    return mesh.release();
}

SceneObj* MetaSurface::doDefaultAction() {
    PolyMesh* mesh = generatePolyMesh();
    if (!mesh)
        return nullptr;
    const std::string wanted = GetRegistryString("Settings", "DefaultUnfolder", DefaultStrategy);
    auto buildStrategy = [](const std::string& name) -> SceneObj* {
        Factory* factory = Factory::GetFactory(name);
        if (!factory || !factory->isListedUnder("Unfolder"))
            return nullptr;
        std::unique_ptr<Factorable> built(factory->newInstance());
        auto* obj = dynamic_cast<SceneObj*>(built.get());
        if (obj)
            built.release();
        return obj;
    };
    std::unique_ptr<SceneObj> strategy(buildStrategy(wanted));
    if (!strategy) {
        strategy.reset(buildStrategy(FallbackStrategy));
        if (strategy)
            StatusMessage("%s is not available; unfolding with %s", wanted.c_str(),
                          FallbackStrategy);
        else
            StatusMessage("%s is not available; the mesh was not unfolded", wanted.c_str());
    }
    if (!strategy)
        return mesh;
    XML values(strategy->getClassName());
    values.add("AutoAnimateUnfolding", "true");
    try {
        strategy->read(values);
    } catch (const SceneReadError&) {
        return mesh;
    }
    if (!strategy->setParent(mesh))
        return mesh;
    return strategy.release();
}
