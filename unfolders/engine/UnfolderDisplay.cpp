#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "scene/mesh/CurvatureArmature.h"
#include "unfolders/engine/Unfolder.h"

using Sorvex::M3d;
using Sorvex::M4x4;

namespace {

constexpr double CutTubeRadius = 0.005;
constexpr double ConvexityOffset = 0.05;
constexpr double LineRadius = 0.01;
constexpr double OutlineRadius = 0.006;
constexpr double SplineReach = 0.66666;
/// The part of the drawing a renderer may keep for the cut edges (the mesh's own parts
/// come first, see PolyMesh::renderSelf).
constexpr int CutEdgesPart = 2;

/// A cut edge's tube, from the vertex at the lower address as the graph's drawing has it.
void cutTube(Renderer* r, const Vertex* a, const Vertex* b) {
    if (b < a)
        std::swap(a, b);
    r->renderTube(*a, *b, CutTubeRadius);
}

/// Height of the net plane: the first net vertex's, or 0 for an empty net.
double netHeight(const Unfolder& u) {
    const Poly* root = u.getUnfoldingRoot();
    if (!root && u.getPolyCount() > 0)
        root = u.getPoly(0);
    return root ? root->getVertex(0)->y() : 0.0;
}

/// Maps points of the source's frame into this object's frame (the
/// unfolder is the source's child).
M4x4 fromSourceFrame(const SceneObj& obj) {
    M4x4 m = obj.getTransform();
    if (!m.inv())
        m.identity();
    return m;
}

M3d averageNormal(const Vertex* v) {
    M3d sum;
    for (const Poly* f : v->getPolys())
        sum += f->getNormal();
    return sum.normalize();
}

} // namespace

void Unfolder::renderSelf(Renderer* r) {
    if (drawBSP)
        faceBoxTree->draw(r, netHeight(*this));
    if (drawHull) {
        const double width = r->getLineWidth();
        r->color(0.1, 0.6, 0.1);
        r->setLineWidth(3);
        renderHull(r, hull());
        r->setLineWidth(width);
    }
    if (drawHeightBands) {
        r->color(0.2, 0.3, 0.8);
        for (PlanarConvexHull& band : heightBands)
            renderHull(r, band);
    }
    if (drawCutGraph && source)
        renderCutGraph(r);
    if (drawArcs && source)
        renderArcs(r);
    if (drawLocalConvexity && source)
        renderLocalConvexity(r);
    if (showUnfoldingInScene) {
        r->pushTransform(M4x4::Translation(-getTranslation()));
        PolyMesh::renderSelf(r);
        r->popTransform();
    }
}

void Unfolder::renderHull(Renderer* r, PlanarConvexHull& hull) {
    const double y = netHeight(*this);
    const PlanarConvexHull::Node* node = hull.getHead();
    if (!node)
        return;
    r->beginLineLoop();
    for (int i = 0; i < hull.getLength(); ++i, node = node->next)
        r->vertex(M3d(node->x, y, node->y));
    r->end();
}

void Unfolder::renderCutGraph(Renderer* r) {
    r->pushTransform(fromSourceFrame(*this));
    r->color(0.9, 0.6, 0.1);
    // The drawing needs the rim alone, not the graph: this class's getCutGraph is only
    // probed, so that the graph of a strategy that keeps its own is drawn as it stands.
    cutGraphProbe = true;
    Graph<Vertex*>& cut = getCutGraph();
    if (cutGraphProbe) {
        cutGraphProbe = false;
        for (const auto& [v, neighbors] : cut)
            for (Vertex* w : neighbors)
                if (v < w) // each undirected edge once
                    r->renderTube(*v, *w, CutTubeRadius);
        r->popTransform();
        return;
    }
    updateCutRim();
    // Each cut edge is drawn once: by the later of the two faces that cut it, which closes
    // it for good while faces are only added, so that a renderer keeps those drawings as
    // the net grows; the rim, cut from one side only so far, is drawn anew every time.
    const bool keep = !r->isPicking();
    if (keep) {
        // The part starts from a fixed normal as well, so that it is kept whatever was
        // drawn before it (an earlier part that stopped part-way).
        r->normal(M3d(0, 0, 1));
    }
    const std::uint64_t stamp =
        keep ? cutDrawStamp.update(*this, {source->getRevision(), source->getInPlaceStamp(), 0,
                                           0, 0, 0})
             : 0;
    const std::size_t faces = getPolyCount();
    const std::size_t from = keep ? r->beginPart(*this, CutEdgesPart, stamp, faces) : 0;
    for (std::size_t k = from; k < faces; ++k) {
        if (keep && !r->markItem())
            break;
        renderClosedCuts(r, *getPoly(k));
    }
    if (keep)
        r->endPart();
    for (const auto& [f, i] : cutRim) {
        const Poly* placed = f->getTwin();
        cutTube(r, placed->getVertex(i), placed->getVertex(i + 1));
    }
    r->popTransform();
}

void Unfolder::renderClosedCuts(Renderer* r, Poly& f) {
    const Poly* placed = f.getTwin();
    if (!placed)
        return;
    for (int i = 0; i < f.getVertexCount(); ++i) {
        int j = 0;
        if (!isCutEdge(f, i))
            continue;
        if (Poly* other = otherCut(f, i, &j); other && getPolyIndex(other) < getPolyIndex(&f))
            cutTube(r, placed->getVertex(i), placed->getVertex(i + 1));
    }
}

void Unfolder::renderArcs(Renderer* r) {
    r->pushTransform(M4x4::Translation(-getTranslation()));
    r->color(0.8, 0.1, 0.1);
    for (const auto& [v, neighbors] : getCutGraph()) {
        Vertex *centre = nullptr, *end1 = nullptr, *end2 = nullptr;
        if (neighbors.size() == 1 && FindArc(v, neighbors.front(), &centre, &end1, &end2))
            RenderArc(r, centre, end1, end2);
    }
    r->popTransform();
}

void Unfolder::renderLocalConvexity(Renderer* r) {
    r->pushTransform(fromSourceFrame(*this));
    for (Vertex* v : source->getVertices()) {
        if (v->getPolyCount() == 0)
            continue;
        // The faces' angles at v, counter-clockwise round it.
        const double faceAngles = 2 * M_PI - CurvatureArmature::AngleDeficit(v);
        if (faceAngles > M_PI)
            r->color(0.1, 0.7, 0.1);
        else
            r->color(0.8, 0.1, 0.1);
        r->renderSphere(*v + averageNormal(v) * ConvexityOffset, 0.01);
    }
    r->popTransform();
}

bool Unfolder::FindArc(Vertex* leaf, Vertex* next, Vertex** centre, Vertex** end1, Vertex** end2) {
    Poly* a = leaf->findOtherPoly(nullptr, next);
    Poly* b = a ? leaf->findOtherPoly(a, next) : nullptr;
    if (!a || !b || !a->getTwin() || !b->getTwin())
        return false;
    Vertex* ends[2] = {a->getTwin()->getVertex(a->getVertexIndex(next)),
                       b->getTwin()->getVertex(b->getVertexIndex(next))};
    // A folded edge has one image of `next`: there is no gap to show.
    if (ends[0] == ends[1])
        return false;
    *centre = a->getTwin()->getVertex(a->getVertexIndex(leaf));
    *end1 = ends[0];
    *end2 = ends[1];
    return true;
}

void Unfolder::RenderArc(Renderer* r, const Vertex* centre, const Vertex* end1,
                         const Vertex* end2) {
    const M3d a = *end1 - *centre;
    const M3d b = *end2 - *centre;
    const double radius = 0.3 * std::min(std::hypot(a.x(), a.z()), std::hypot(b.x(), b.z()));
    double from = std::atan2(a.z(), a.x());
    double sweep = std::atan2(b.z(), b.x()) - from;
    // The gap at the end of a cut is the shorter way round.
    if (sweep > M_PI)
        sweep -= 2 * M_PI;
    if (sweep < -M_PI)
        sweep += 2 * M_PI;
    const int steps = 16;
    r->beginLines();
    for (int i = 0; i < steps; ++i) {
        for (int k : {i, i + 1}) {
            const double angle = from + sweep * k / steps;
            r->vertex(*centre + M3d(radius * std::cos(angle), 0, radius * std::sin(angle)));
        }
    }
    r->end();
}

MeshDrawStamp::Inputs Unfolder::faceDrawingInputs() {
    MeshDrawStamp::Inputs inputs = PolyMesh::faceDrawingInputs();
    inputs[1] = std::uint64_t(reinterpret_cast<std::uintptr_t>(getHighlightedPoly()));
    inputs[2] = std::uint64_t(reinterpret_cast<std::uintptr_t>(source ? source->getHighlightedPoly()
                                                                         : nullptr));
    inputs[3] = (showUnfoldingInScene ? 1u : 0u) | (autoAnimate ? 2u : 0u);
    // The link is drawn to the source face where the source is now.
    inputs[4] = source ? source->getRevision() : 0;
    inputs[5] = source ? source->getInPlaceStamp() : 0;
    return inputs;
}

void Unfolder::limnFace(Renderer* r, Poly& face) {
    Poly* twin = face.getTwin();
    const bool hovered =
        twin && source && (getHighlightedPoly() == &face || source->getHighlightedPoly() == twin);
    if (!r->isPicking() && hovered && showUnfoldingInScene && !autoAnimate) {
        // The net is drawn with this object's translation cancelled; the
        // source face is brought into that same frame.
        const M4x4 toHere = M4x4::Translation(getTranslation()) * fromSourceFrame(*this);
        const M3d netCentre = face.getCenter();
        const M3d sourceCentre = toHere * twin->getCenter();
        M3d sourceNormal = toHere * twin->getNormal() - toHere * M3d(0, 0, 0);
        const double reach = SplineReach * (sourceCentre - netCentre).length();
        r->renderSpline(netCentre, face.getNormal() * reach, sourceCentre,
                        sourceNormal.normalize() * reach, LineRadius);
        for (int i = 0; i < twin->getVertexCount(); ++i)
            r->renderTube(toHere * *twin->getVertex(i), toHere * *twin->getVertex(i + 1),
                          OutlineRadius);
    }
    PolyMesh::limnFace(r, face);
}
