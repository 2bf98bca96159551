#include <algorithm>
#include <cstdint>
#include <cmath>
#include <deque>
#include <set>
#include <utility>
#include <vector>

#include "scene/mesh/CurvatureArmature.h"
#include "sorvex/MBoundingBox.h"
#include "unfolders/engine/FaceBox.h"
#include "unfolders/engine/Unfolder.h"

using Sorvex::M3d;
using Sorvex::MBoundingBox;

Graph<Vertex*>& Unfolder::getCutGraph() {
    if (cutGraphProbe) {
        cutGraphProbe = false;
        return cutGraph;
    }
    if (cutGraphValid || !source)
        return cutGraph;
    // Faces added since the graph was last made are taken in rather than the whole graph
    // built again: a growing net may be asked on every repaint.
    if (!growCutGraph())
        rebuildCutGraph();
    cutGraphValid = true;
    return cutGraph;
}

bool Unfolder::isCutEdge(Poly& f, int i) {
    // Net faces share vertices exactly along fold edges, so an edge
    // without a net neighbour but with a source neighbour is cut.
    Poly* placed = f.getTwin();
    return placed && !hasNeighbor(f, i) && source->hasNeighbor(*placed, i);
}

Poly* Unfolder::otherCut(Poly& f, int i, int* j) {
    Poly* placed = f.getTwin();
    Poly* across = placed ? placed->getNeighbor(i) : nullptr;
    Poly* other = across ? across->getTwin() : nullptr;
    if (!other || other->getMesh() != this || other->getTwin() != across)
        return nullptr;
    *j = across->getNeighborIndex(placed);
    return *j >= 0 && isCutEdge(*other, *j) ? other : nullptr;
}

Unfolder::NetCounts Unfolder::getNetCounts() const {
    NetCounts counts;
    counts.revision = getRevision();
    counts.faces = getPolyCount();
    counts.vertices = getVertexCount();
    counts.structural = getStructuralChanges();
    counts.inPlace = getInPlaceStamp();
    counts.sourceRevision = source ? source->getRevision() : 0;
    return counts;
}

bool Unfolder::onlyAddedSince(const NetCounts& then) const {
    // Every face or vertex added or removed and every change report moves the revision on
    // by one: when it moved by exactly what was gained, faces and vertices were only
    // added, so the faces past the old count are the new ones, in the order they came.
    const NetCounts now = getNetCounts();
    return now.sourceRevision == then.sourceRevision && now.faces >= then.faces &&
           now.vertices >= then.vertices && now.structural >= then.structural &&
           now.inPlace == then.inPlace &&
           now.revision - then.revision == (now.faces - then.faces) +
                                               (now.vertices - then.vertices) +
                                               (now.structural - then.structural);
}

void Unfolder::addCutEdgesOf(Poly& f) {
    Poly* placed = f.getTwin();
    for (int i = 0; placed && i < f.getVertexCount(); ++i)
        if (isCutEdge(f, i))
            cutGraph.addEdge(placed->getVertex(i), placed->getVertex(i + 1));
}

void Unfolder::rebuildCutGraph() {
    cutGraph.clear();
    for (Poly* f : getPolys())
        addCutEdgesOf(*f);
    cutGraphAtValid = true;
    cutGraphAt = getNetCounts();
    cutGraphVertices = cutGraph.getVertexCount();
}

bool Unfolder::growCutGraph() {
    if (!cutGraphAtValid || cutGraph.getVertexCount() != cutGraphVertices ||
        !onlyAddedSince(cutGraphAt))
        return false;
    const std::size_t old = cutGraphAt.faces, faces = getPolyCount();
    auto isOld = [&](const Poly* f) { return std::size_t(getPolyIndex(f)) < old; };

    // A cut edge of an earlier face that a new face folds is no longer cut from that side.
    // A fresh build lists an edge where the first face that cuts it comes: when a new face
    // cuts it from the other side, it goes and comes back below, in that face's place.
    // An earlier face still cutting it would keep it where neither tells: built afresh.
    std::vector<std::pair<Vertex*, Vertex*>> folded;
    for (std::size_t k = old; k < faces; ++k) {
        Poly* f = getPoly(k);
        for (int i = 0; i < f->getVertexCount(); ++i) {
            Poly* g = hasNeighbor(*f, i) ? f->getNeighbor(i) : nullptr;
            if (!g || !isOld(g))
                continue;
            const int j = g->getNeighborIndex(f);
            Poly* placed = g->getTwin();
            if (j < 0 || !placed)
                return false;
            if (!source->hasNeighbor(*placed, j))
                continue;
            int otherSide = 0;
            if (Poly* other = otherCut(*g, j, &otherSide); other && isOld(other))
                return false;
            folded.emplace_back(placed->getVertex(j), placed->getVertex(j + 1));
        }
    }
    for (const auto& [a, b] : folded)
        cutGraph.removeEdge(a, b);
    for (std::size_t k = old; k < faces; ++k)
        addCutEdgesOf(*getPoly(k));
    cutGraphAt = getNetCounts();
    cutGraphVertices = cutGraph.getVertexCount();
    return true;
}

void Unfolder::updateCutRim() {
    std::size_t first = 0;
    if (cutRimAtValid && onlyAddedSince(cutRimAt)) {
        // What no face has cut from the other side since stays, then come the new faces'.
        first = cutRimAt.faces;
        std::erase_if(cutRim, [&](const std::pair<Poly*, int>& cut) {
            int j = 0;
            return !isCutEdge(*cut.first, cut.second) || otherCut(*cut.first, cut.second, &j);
        });
    } else {
        cutRim.clear();
    }
    const std::size_t faces = getPolyCount();
    for (std::size_t k = first; k < faces; ++k) {
        Poly* f = getPoly(k);
        for (int i = 0; i < f->getVertexCount(); ++i) {
            int j = 0;
            if (isCutEdge(*f, i) && !otherCut(*f, i, &j))
                cutRim.emplace_back(f, i);
        }
    }
    cutRimAtValid = true;
    cutRimAt = getNetCounts();
}

void Unfolder::getNet(Graph<Poly*>& net) {
    net.clear();
    for (Poly* f : getPolys()) {
        for (int i = 0; i < f->getVertexCount(); ++i) {
            Poly* g = f->getNeighbor(i);
            if (g && f->getTwin() && g->getTwin())
                net.addEdge(f->getTwin(), g->getTwin());
        }
    }
}

void Unfolder::unfoldedNet2cutGraph(Graph<Poly*>& net, Graph<Vertex*>& cut) {
    for (const auto& [f, folded] : net) {
        for (int i = 0; i < f->getVertexCount(); ++i) {
            Poly* g = f->getNeighbor(i);
            if (std::find(folded.begin(), folded.end(), g) == folded.end())
                cut.addEdge(f->getVertex(i), f->getVertex(i + 1));
        }
    }
}

void Unfolder::cutGraph2unfoldedNet(std::list<Poly*>& faces, Graph<Vertex*>& cut,
                                    Graph<Poly*>& net) {
    for (Poly* f : faces) {
        for (int i = 0; i < f->getVertexCount(); ++i) {
            Poly* g = f->getNeighbor(i);
            // An open boundary edge joins nothing.
            if (g && !cut.hasEdge(f->getVertex(i), f->getVertex(i + 1)))
                net.addEdge(f, g);
        }
    }
}

bool Unfolder::touchedByAnAngle(Graph<Vertex*>& cut, Poly* f, bool anyVertex) {
    for (Vertex* v : f->getVertices()) {
        if (!cut.hasVertex(v))
            continue;
        if (anyVertex || cut.getDegree(v) > 1)
            return true;
    }
    return false;
}

void Unfolder::unfoldToCutGraph(Graph<Vertex*>& cut, Poly* seed, int mode,
                                std::list<Poly*>* placed) {
    if (!seed->getTwin()) {
        // A new piece starts on top of the first face of the net.
        if (!unfoldingRoot)
            return;
        Poly* copy = copyToCenter(*seed, unfoldingRoot->getCenter());
        addTwinUnindexed(*seed, *copy);
        if (placed)
            placed->push_back(copy);
    }
    std::deque<Poly*> queue{seed};
    while (!queue.empty()) {
        Poly* f = queue.front();
        queue.pop_front();
        for (int i = 0; i < f->getVertexCount(); ++i) {
            Poly* g = f->getNeighbor(i);
            if (!g || g->getTwin())
                continue;
            if (mode != 0 && !touchedByAnAngle(cut, g, mode == 1))
                continue;
            if (cut.hasEdge(f->getVertex(i), f->getVertex(i + 1)))
                continue;
            Poly* copy = copyAndFlatten(*g, g->getNeighborIndex(f), nullptr);
            if (!copy)
                continue;
            addTwinUnindexed(*g, *copy);
            queue.push_back(g);
            if (placed)
                placed->push_back(copy);
        }
    }
}

void Unfolder::addTwinUnindexed(Poly& src, Poly& net) {
    src.setTwin(&net);
    net.setTwin(&src);
    net.setNormal(M3d(0, -1, 0));
    PolyMesh::addPoly(&net, false);
}

namespace {

/// The most face boxes whose buffer a thread keeps between layouts (a few MB).
constexpr size_t KeptBoxes = size_t(1) << 16;

} // namespace

void Unfolder::indexWholeNet(bool hull) {
    // Growing the index face by face rebuilds it every time the net reaches past its
    // region; the boxes are known, so the index starts at the region it would end
    // with and takes every box once. A manual unfolder lays its net out at every click:
    // the boxes' buffer is kept between layouts of ordinary size rather than allocated
    // again just after the old net's faces were freed, when a large allocation is slowest.
    thread_local std::vector<FaceBox> scratch;
    std::vector<FaceBox>& boxes = scratch;
    boxes.clear();
    boxes.reserve(getPolyCount());
    for (Poly* f : getPolys())
        boxes.emplace_back(f);
    // The region the index reaches when the boxes go in one by one, each growing it.
    FaceBox region;
    for (const FaceBox& box : boxes)
        region = FaceBSP::GrownRegion(region, box);
    if (boxes.empty())
        resetFaceBoxTree();
    else
        faceBoxTree = std::make_unique<FaceBSP>(region.minX, region.maxX, region.minZ,
                                                region.maxZ, false, 0.0f);
    for (const FaceBox& box : boxes)
        faceBoxTree->insert(box);
    Poly* last = boxes.empty() ? nullptr : boxes.back().face;
    if (boxes.capacity() > KeptBoxes)
        std::vector<FaceBox>().swap(boxes);

    // The hull takes the points in the order addPoly would give them, with the last
    // face journaled so that remPoly can take it back out cheaply. A click of the manual
    // unfolder lays a net nobody measures, so the hull is built when first read.
    PlanarConvexHull& netHull = Unfolder::hull();
    lastHullFace = nullptr;
    if (!hull || !last) {
        netHull.reset();
        return;
    }
    std::vector<PlanarConvexHull::Point> points;
    points.reserve(getPolyCount() * 3);
    size_t lastStart = 0;
    for (Poly* f : getPolys()) {
        if (f == last)
            lastStart = points.size();
        for (Vertex* v : f->getVertices())
            points.push_back({v->x(), v->z(), v});
    }
    netHull.resetDeferred(std::move(points), lastStart);
    lastHullFace = last;
    lastHullRevision = netHull.getRevision();
}

namespace {

MBoundingBox boundsOf(const std::list<Poly*>& faces) {
    MBoundingBox box;
    for (const Poly* f : faces)
        for (const Vertex* v : f->getVertices())
            box.extend(*v);
    return box;
}

} // namespace

void Unfolder::unfoldToCutGraph(Graph<Vertex*>& cut, int mode) {
    if (!source)
        return;
    const bool wasChecking = checkIntersections;
    std::vector<Poly*> pool;
    for (Poly* f : source->getPolys())
        if (mode == 0 || touchedByAnAngle(cut, f, mode == 1))
            pool.push_back(f);

    checkIntersections = false;
    cutGraphValid = false;
    // The graph becomes the one asked for, which need not be what the net would give.
    cutGraphAtValid = false;
    conflictsValid = false;
    hull().reset();
    translate(-getTranslation());
    clear();
    faceTransforms.reserve(source->getPolyCount());
    chooseStartingFace();
    if (&cut != &cutGraph)
        cutGraph = cut;

    Poly* start = unfoldingRoot ? unfoldingRoot->getTwin() : nullptr;
    if (start)
        unfoldToCutGraph(cutGraph, start, mode, nullptr);
    // One piece keeps the hull only where addPoly would have kept it; several pieces,
    // moved apart after the flood, always get the hull of where they lie.
    const bool severalPieces = start && getPolyCount() != pool.size();
    if (severalPieces) {
        std::vector<std::list<Poly*>> pieces(1);
        for (Poly* f : getPolys())
            pieces[0].push_back(f);
        const MBoundingBox firstBox = boundsOf(pieces[0]);
        const M3d keep = firstBox.getCenter();
        MBoundingBox overall = firstBox;
        std::vector<MBoundingBox> boxes{firstBox};
        for (Poly* f : pool) {
            if (f->getTwin())
                continue;
            std::list<Poly*>& piece = pieces.emplace_back();
            unfoldToCutGraph(cutGraph, f, mode, &piece);
            const MBoundingBox box = boundsOf(piece);
            boxes.push_back(box);
            overall.extend(overall.getMin() + box.getSize());
        }

        // The pieces go into a grid of cells as large as the largest piece.
        const size_t n = pieces.size();
        const size_t cols = size_t(std::ceil(std::sqrt(double(n))));
        const M3d size = overall.getMax() - overall.getMin();
        M3d start = size * (-(double(cols) - 1) / 2);
        start.y() = 0;
        for (size_t k = 0; k < n; ++k) {
            const double row = double(k / cols), column = double(k % cols);
            const M3d offset =
                start + M3d(size.x() * column, 0, size.z() * row) + (keep - boxes[k].getCenter());
            std::set<Vertex*> moved;
            for (Poly* f : pieces[k])
                for (Vertex* v : f->getVertices())
                    if (moved.insert(v).second)
                        v->setPosition(*v + offset);
        }
        markDrawingChanged();
    }
    indexWholeNet(severalPieces || autoUpdateHull());
    checkIntersections = wasChecking;
    cutGraphValid = true;
}

void Unfolder::sumCutGraph(std::map<Vertex*, double>& sums, bool /*unused*/) {
    sums.clear();
    if (!source)
        return;
    CurvatureArmature& armature = source->getCurvature(true);
    Graph<Vertex*>& cut = cutGraphValid ? cutGraph : getCutGraph();
    std::deque<Vertex*> queue;
    for (const auto& [v, neighbors] : cut) {
        if (neighbors.size() == 1) {
            sums[v] = armature.getCurvature(v);
            queue.push_back(v);
        }
    }
    while (!queue.empty()) {
        Vertex* v = queue.front();
        queue.pop_front();
        for (Vertex* w : *cut.findNeighbors(v)) {
            if (sums.count(w))
                continue;
            const auto& around = *cut.findNeighbors(w);
            int unsummed = 0;
            double total = 0;
            for (Vertex* u : around) {
                auto it = sums.find(u);
                if (it == sums.end())
                    ++unsummed;
                else
                    total += it->second;
            }
            // A vertex takes its sum once all but at most one cut neighbour
            // has one, so sums flow inwards from the leaves.
            if (unsummed < 2) {
                sums[w] = total;
                queue.push_back(w);
            }
        }
    }
}
