#include "unfolders/strategies/TruncationUnfolder.h"

#include <algorithm>
#include <vector>

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
    ascent.clear();
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
    // The corners on the plane are the new face's: their edges changed.
    for (Vertex* v : cap->getVertices())
        chooseAscent(v);
    climbStart = cap->getVertex(0);
    return true;
}

// ----- The cut tree -----
//
// The cut tree is the carved solid's steepest-ascent tree: every corner but the highest is
// cut along its steepest edge upwards. On a convex solid every other corner has an edge
// upwards, so these edges form a spanning tree, and the nets they give rarely overlap. A
// cut changes the edges of the corners on its plane only (an edge it shortens keeps its
// direction), so only they need their edge chosen again.

namespace {

/// Upwards, tilted a little so that the level edges of modelled solids are not level.
const M3d AscentDirection = M3d(0.13, 1, 0.07).normalized();

/// Corners ordered by height along the ascent direction, ties broken by position, so that
/// no two distinct corners are level.
bool isHigher(const M3d& a, const M3d& b) {
    const double ha = AscentDirection.dot(a), hb = AscentDirection.dot(b);
    if (ha != hb)
        return ha > hb;
    if (a.x() != b.x())
        return a.x() > b.x();
    if (a.y() != b.y())
        return a.y() > b.y();
    return a.z() > b.z();
}

} // namespace

void TruncationUnfolder::chooseAscent(Vertex* v) {
    if (auto old = ascent.find(v); old != ascent.end()) {
        carvedCuts.removeEdge(v, old->second);
        ascent.erase(old);
    }
    std::vector<Vertex*> around;
    v->collectOtherVertices(around);
    Vertex* best = nullptr;
    double steepest = 0;
    for (Vertex* w : around) {
        if (!isHigher(*w, *v))
            continue;
        const M3d d = *w - *v;
        const double slope = AscentDirection.dot(d) / d.length();
        if (!best || slope > steepest) {
            best = w;
            steepest = slope;
        }
    }
    if (best) {
        ascent[v] = best;
        carvedCuts.addEdge(v, best);
    }
}

void TruncationUnfolder::onEdgeTruncation(Vertex* a, Vertex* b, Vertex* created) {
    // The end that stays keeps its edge upwards, now ending where the plane crosses it.
    const double sideA = cutting.getNormal().dot(*a) - cutting.getDist();
    const double sideB = cutting.getNormal().dot(*b) - cutting.getDist();
    Vertex* kept = sideA < sideB ? a : b;
    Vertex* gone = kept == a ? b : a;
    auto up = ascent.find(kept);
    if (up == ascent.end() || up->second != gone)
        return;
    carvedCuts.removeEdge(kept, gone);
    carvedCuts.addEdge(kept, created);
    up->second = created;
}

void TruncationUnfolder::onVertexDestroyedInTruncation(Vertex* v) {
    vertexMap.erase(v);
    // Its cut edges go with it; the corners on the plane choose theirs again (applyFacePlane).
    carvedCuts.removeVertex(v);
    ascent.erase(v);
    if (climbStart == v)
        climbStart = nullptr;
}

void TruncationUnfolder::onFaceDestroyedInTruncation(Poly* face) {
    if (face == bottomFace)
        bottomFace = nullptr;
    faceMap.erase(face);
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
    // Every face is placed afresh; the placements of faces cut away need not be kept.
    faceTransforms.clear();
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
