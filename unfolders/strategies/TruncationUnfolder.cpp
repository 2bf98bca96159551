#include "unfolders/strategies/TruncationUnfolder.h"

#include <algorithm>
#include <deque>
#include <limits>
#include <map>
#include <numeric>

#include "common/StatusLine.h"
#include "scene/mesh/MeshTruncate.h"
#include "unfolders/strategies/CarvedSolid.h"

using Sorvex::M3d;
using Sorvex::MPlane;

VORN_DEFINE_OFFERED_FACTORY(TruncationUnfolder, "Unfolder")

namespace {

/// A vertex at most this far above a plane (relative to the model's size) is on it.
constexpr double OnPlaneShare = 1e-9;

} // namespace

TruncationUnfolder::TruncationUnfolder() {
    // Whole nets are laid from the cut tree and judged afterwards.
    checkIntersections = false;
}

TruncationUnfolder::~TruncationUnfolder() = default;

PolyMesh* TruncationUnfolder::getCarvedSolid() const {
    return carved.get();
}

void TruncationUnfolder::reset() {
    carved.reset();
    bottomFace = nullptr;
    carvedCuts.clear();
    vertexMap.clear();
    faceMap.clear();
    meshPoints.clear();
    pending.clear();
    seen.clear();
    applied.clear();
    climbStart = nullptr;
    modelSize = 1;
    finished = false;
    refusal.clear();
}

bool TruncationUnfolder::setParent(SceneObj* parent) {
    reset();
    if (!Unfolder::setParent(parent))
        return false;
    if (!source)
        return true;
    buildTetrahedron(); // throws the errors of an empty, flat or unusable model
    return true;
}

void TruncationUnfolder::refuse(const std::string& why) {
    refusal = why;
    pending.clear();
    clear();
    cutGraph.clear();
    cutGraphValid = false;
    StatusMessage("%s", why.c_str());
}

bool TruncationUnfolder::isDone() {
    return pending.empty();
}

Vertex* TruncationUnfolder::getMeshVertex(Vertex* carvedVertex) const {
    auto it = vertexMap.find(carvedVertex);
    return it == vertexMap.end() ? nullptr : it->second;
}

Poly* TruncationUnfolder::getMeshFace(Poly* carvedFace) const {
    auto it = faceMap.find(carvedFace);
    return it == faceMap.end() ? nullptr : it->second;
}

// ----- Pending faces -----

void TruncationUnfolder::queue(Poly* meshFace) {
    if (meshFace && seen.insert(meshFace).second)
        pending.push_back(meshFace);
}

void TruncationUnfolder::queueNeighbours(Poly& meshFace) {
    for (int i = 0; i < meshFace.getVertexCount(); ++i)
        queue(meshFace.getNeighbor(i));
}

Poly* TruncationUnfolder::takeBestPending() {
    // Carving runs from the top down: the face facing most nearly upwards goes first, the
    // first queued of equal ones.
    auto best = pending.begin();
    for (auto it = pending.begin(); it != pending.end(); ++it)
        if ((*it)->getNormal().y() > (*best)->getNormal().y())
            best = it;
    Poly* face = *best;
    pending.erase(best);
    return face;
}

// ----- One carving step -----

void TruncationUnfolder::unfold() {
    if (pending.empty() || !carved)
        return;
    Poly* face = takeBestPending();
    applied.insert(face);
    const bool cut = applyFacePlane(*face);
    if (!refusal.empty())
        return;
    queueNeighbours(*face);
    if (pending.empty()) {
        // Faces no applied face leads to (past the tetrahedron's own faces) still count.
        for (Poly* f : source->getPolys())
            queue(f);
    }
    if (pending.empty())
        finish();
    else if (cut)
        layCarvedNet();
}

Vertex* TruncationUnfolder::farthestCarvedVertex(const M3d& direction) {
    // The carved solid is convex, so a climb along edges to ever higher vertices ends at
    // the highest one; it starts at the last cut, which is usually close.
    Vertex* at = climbStart && climbStart->getMesh() == carved.get()
                     ? climbStart
                     : carved->getVertex(0);
    std::vector<Vertex*> around;
    for (bool climbed = true; climbed;) {
        climbed = false;
        at->collectOtherVertices(around);
        for (Vertex* w : around)
            if (direction.dot(*w) > direction.dot(*at)) {
                at = w;
                climbed = true;
            }
    }
    return at;
}

bool TruncationUnfolder::applyFacePlane(Poly& meshFace) {
    // A face without area has no plane of its own; its neighbours' planes carve its place.
    if (meshFace.hasNoArea() || carved->getVertexCount() == 0)
        return false;
    cutting = MPlane(meshFace.getCenter(), meshFace.getNormal());
    Vertex* top = farthestCarvedVertex(cutting.getNormal());
    // The truncation leaves vertices within 1e-9 of the plane; this test is at least as
    // lenient, so that a plane it lets through always cuts something off.
    const double onPlane = OnPlaneShare * std::max(1.0, modelSize);
    if (cutting.getNormal().dot(*top) - cutting.getDist() <= onPlane) {
        // The plane is already a face of the carved solid (a face coplanar with one
        // applied before): nothing to cut.
        return false;
    }
    Poly* cap = TruncateMesh(*carved, cutting, top);
    if (!cap) {
        refuse("Truncation failed: the plane of a face did not cut the carved solid cleanly");
        return false;
    }
    faceMap[cap] = &meshFace;
    for (Vertex* v : cap->getVertices()) {
        if (vertexMap.count(v))
            continue;
        if (Sorvex::M3d* near = meshPoints.findNear(*v))
            vertexMap[v] = static_cast<Vertex*>(near);
    }
    reconnectAlong(*cap);
    climbStart = cap->getVertex(0);
    return true;
}

// ----- The cut tree -----

void TruncationUnfolder::onEdgeTruncation(Vertex* a, Vertex* b, Vertex* created) {
    if (!carvedCuts.hasEdge(a, b))
        return;
    // The cut runs on from the end that stays to the point where the plane crosses it.
    carvedCuts.removeEdge(a, b);
    const double sideA = cutting.getNormal().dot(*a) - cutting.getDist();
    const double sideB = cutting.getNormal().dot(*b) - cutting.getDist();
    carvedCuts.addEdge(sideA < sideB ? a : b, created);
}

void TruncationUnfolder::onVertexDestroyedInTruncation(Vertex* v) {
    vertexMap.erase(v);
    // Every cut edge of a vertex that goes goes with it; the forest left is joined again
    // along the new face (reconnectAlong).
    carvedCuts.removeVertex(v);
    if (climbStart == v)
        climbStart = nullptr;
}

void TruncationUnfolder::onFaceDestroyedInTruncation(Poly* face) {
    if (face == bottomFace)
        bottomFace = nullptr;
    faceMap.erase(face);
}

void TruncationUnfolder::reconnectAlong(Poly& cap) {
    const std::vector<Vertex*>& ring = cap.getVertices();
    const int k = int(ring.size());
    // Label the parts of the cut forest that reach the ring; a ring vertex without cut
    // edges is a part of its own.
    std::map<Vertex*, int> part;
    int parts = 0;
    for (Vertex* start : ring) {
        if (part.count(start))
            continue;
        const int label = parts++;
        part[start] = label;
        std::deque<Vertex*> queue{start};
        while (!queue.empty()) {
            Vertex* v = queue.front();
            queue.pop_front();
            if (const auto* next = carvedCuts.findNeighbors(v))
                for (Vertex* w : *next)
                    if (part.emplace(w, label).second)
                        queue.push_back(w);
        }
    }
    // Ring edges are added nearest the places where cuts arrive first, so the edge left
    // uncut (the one the new face hangs from in the net) is as far from them as the ring
    // allows: the face then lies over the corners it replaced, away from the cuts.
    constexpr int Far = std::numeric_limits<int>::max() / 2;
    std::vector<int> reach(std::size_t(k), Far);
    for (int i = 0; i < k; ++i)
        if (carvedCuts.getDegree(ring[std::size_t(i)]) > 0)
            reach[std::size_t(i)] = 0;
    for (int pass = 0; pass < 2; ++pass)
        for (int step = 0; step < 2 * k; ++step) {
            const int i = pass == 0 ? step % k : (2 * k - 1 - step) % k;
            const int before = pass == 0 ? (i + k - 1) % k : (i + 1) % k;
            reach[std::size_t(i)] =
                std::min(reach[std::size_t(i)], reach[std::size_t(before)] + 1);
        }
    std::vector<int> order(static_cast<std::size_t>(k));
    std::iota(order.begin(), order.end(), 0);
    auto edgeReach = [&](int e) {
        return std::min(reach[std::size_t(e)], reach[std::size_t((e + 1) % k)]);
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return edgeReach(a) < edgeReach(b); });

    std::vector<int> parent(static_cast<std::size_t>(parts));
    std::iota(parent.begin(), parent.end(), 0);
    auto root = [&](int x) {
        while (parent[std::size_t(x)] != x)
            x = parent[std::size_t(x)] = parent[std::size_t(parent[std::size_t(x)])];
        return x;
    };
    for (int e : order) {
        Vertex* a = ring[std::size_t(e)];
        Vertex* b = ring[std::size_t((e + 1) % k)];
        const int ra = root(part[a]), rb = root(part[b]);
        if (ra == rb)
            continue;
        parent[std::size_t(ra)] = rb;
        carvedCuts.addEdge(a, b);
    }
}

// ----- Layout and drawing -----

Poly* TruncationUnfolder::chooseStartingFace() {
    if (carved && source == carved.get() && bottomFace) {
        idleCount = 0;
        conflicts.clear();
        return setStartingFace(bottomFace);
    }
    return Unfolder::chooseStartingFace();
}

void TruncationUnfolder::layCarvedNet() {
    // The carved solid stands in for the source while its net is laid; its faces are the
    // net faces' twins until the mesh's own net replaces them.
    PolyMesh* mesh = source;
    source = carved.get();
    const int ticks = idleCount;
    unfoldToCutGraph(carvedCuts, 0);
    idleCount = ticks;
    source = mesh;
}

double TruncationUnfolder::getTransparency(Renderer* /*r*/) {
    return carved && !finished && refusal.empty() ? 0.7 : 1.0;
}

void TruncationUnfolder::renderSelf(Renderer* r) {
    Unfolder::renderSelf(r);
    if (!carved || finished || !refusal.empty())
        return;
    // The carved solid is drawn where the mesh is, in the source's frame.
    r->pushTransform(Sorvex::M4x4::Translation(-getTranslation()));
    carved->renderSelf(r);
    r->popTransform();
}
