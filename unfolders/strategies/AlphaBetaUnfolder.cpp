#include "unfolders/strategies/AlphaBetaUnfolder.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "common/StatusLine.h"
#include "scene/Renderer.h"
#include "scene/mesh/CurvatureArmature.h"
#include "sorvex/M4x4.h"

using Sorvex::M3d;

VORN_DEFINE_OFFERED_FACTORY(AlphaBetaUnfolder, "Unfolder")

namespace {

/// Deficits below this are rounding: the faces round the vertex close flat.
constexpr double FlatDeficit = 1e-9;
constexpr double ExpansionTubeRadius = 0.008;
constexpr double NoCutDotRadius = 0.015;
constexpr double PlacedOutlineRadius = 0.004;

} // namespace

bool AlphaBetaUnfolder::setParent(SceneObj* parent) {
    expansion.clear();
    expandedChildren.clear();
    expandedCount = 0;
    frontier.clear();
    onFrontier.clear();
    lastPlaced.clear();
    failed = false;
    const bool bound = FanCutUnfolder::setParent(parent);
    if (source)
        for (Vertex* v : source->getVertices())
            expansion[v] = nullptr;
    return bound;
}

int AlphaBetaUnfolder::numExpanded() const {
    return expandedCount;
}

Vertex* AlphaBetaUnfolder::expandedFrom(Vertex* v) const {
    const auto it = expansion.find(v);
    return it == expansion.end() ? nullptr : it->second;
}

float AlphaBetaUnfolder::getProgress() {
    if (!source || source->getVertexCount() == 0)
        return 0;
    return float(numExpanded()) / float(source->getVertexCount());
}

bool AlphaBetaUnfolder::isDone() {
    if (!source)
        return false;
    return failed || numExpanded() >= int(source->getVertexCount());
}

bool AlphaBetaUnfolder::isSuccesful() {
    if (!source || failed || !isDone())
        return false;
    return getPolyCount() == source->getPolyCount() && getConflicts().isEmpty();
}

double AlphaBetaUnfolder::alpha(Vertex* v, Vertex* from) {
    double sum = from ? CurvatureArmature::AngleDeficit(v) : 0.0;
    const auto it = expandedChildren.find(v);
    if (it != expandedChildren.end())
        for (Vertex* child : it->second)
            if (child != from)
                sum += alpha(child, v);
    return sum;
}

double AlphaBetaUnfolder::beta(Vertex* v, Vertex* w) {
    if (!unfoldingRoot)
        return M_PI;
    // The image of v nearest the centre, and the faces along (v, w) that meet there.
    const Sorvex::M3d centre = unfoldingRoot->getCenter();
    Vertex* at = nullptr;
    std::vector<Vertex*> images;
    netImages(v, images);
    for (Vertex* image : images)
        if (!at || (*image - centre).length() < (*at - centre).length())
            at = image;
    if (!at)
        return M_PI;
    // A cut opens a gap between w's images on either side of it: its bisector is where
    // the cut points in the net.
    M3d along;
    for (Poly* f : v->getPolys()) {
        Poly* placed = f->getTwin();
        const int kv = f->getVertexIndex(v), kw = f->getVertexIndex(w);
        if (!placed || kv < 0 || kw < 0 || placed->getVertex(kv) != at)
            continue;
        M3d side = *placed->getVertex(kw) - *at;
        along += side.normalize();
    }
    M3d outward = *at - centre;
    if (along.length() < 1e-12)
        return M_PI;
    // A vertex at the very centre has every direction outward.
    if (outward.length() == 0)
        return 0;
    const double cosine = outward.dot(along) / (outward.length() * along.length());
    return std::acos(std::clamp(cosine, -1.0, 1.0));
}

Vertex* AlphaBetaUnfolder::findBestOutbound(Vertex* v) {
    // Nothing gathers at a flat vertex with no cuts below it: the faces round it close.
    if (std::abs(alpha(v, nullptr) + CurvatureArmature::AngleDeficit(v)) < FlatDeficit)
        return nullptr;
    std::vector<Vertex*> neighbours;
    v->collectOtherVertices(neighbours);
    Vertex* best = nullptr;
    double bestBeta = 0;
    float bestRadius = 0;
    trying = true;
    for (Vertex* w : neighbours) {
        if (cuts.hasEdge(v, w) || joinedByCuts(v, w))
            continue;
        std::list<Poly*> placed;
        cut(v, w, &placed);
        const double b = beta(v, w);
        const float r = radius(w);
        uncut(v, w, placed);
        if (r == NoImage)
            continue;
        if (!best || b < bestBeta || (b == bestBeta && r > bestRadius)) {
            best = w;
            bestBeta = b;
            bestRadius = r;
        }
    }
    trying = false;
    return best;
}

void AlphaBetaUnfolder::addPoly(Poly* f) {
    FanCutUnfolder::addPoly(f);
    // The corners of a placed face become net vertices; a face tried and taken back
    // leaves them listed, and the search skips those without an image.
    if (Poly* placed = f->getTwin())
        for (Vertex* v : placed->getVertices())
            if (onFrontier.insert(v).second)
                frontier.push_back(v);
}

std::pair<Vertex*, Vertex*> AlphaBetaUnfolder::findNearest() {
    Vertex* nearest = nullptr;
    float nearestRadius = NoImage;
    // Expanded vertices leave the list as it is scanned, so each step looks only at the
    // vertices on the net still waiting, in the order they reached it.
    size_t kept = 0;
    for (Vertex* v : frontier) {
        if (expandedFrom(v)) {
            onFrontier.erase(v);
            continue;
        }
        frontier[kept++] = v;
        const float r = radius(v);
        if (r != NoImage && (!nearest || r < nearestRadius)) {
            nearest = v;
            nearestRadius = r;
        }
    }
    frontier.resize(kept);
    if (!nearest)
        return {nullptr, nullptr};
    return {nearest, findBestOutbound(nearest)};
}

void AlphaBetaUnfolder::finalizeCut(Vertex* v, Vertex* w) {
    if (!expansion[v])
        ++expandedCount;
    expansion[v] = w;
    if (w != v) {
        expandedChildren[w].push_back(v);
        commitCut(v, w);
    }
}

void AlphaBetaUnfolder::unfold() {
    if (!source || isDone())
        return;
    std::list<Poly*> placed;
    const auto [v, w] = findNearest();
    if (!v) {
        // No expandable vertex: place what the uncut edges still reach, and fail when
        // that is nothing (faces refused for overlaps, or another part of the mesh).
        const size_t before = getPolyCount();
        if (floodAcrossUncut() == 0) {
            failed = true;
            StatusMessage("No vertex left to expand: %i of %i vertices expanded",
                          numExpanded(), int(source->getVertexCount()));
        }
        lastPlaced.clear();
        size_t index = 0;
        for (Poly* f : getPolys())
            if (index++ >= before)
                lastPlaced.insert(f);
        onChanged(true);
        return;
    }
    cut(v, w, &placed);
    // With the overlap check on no placed face overlaps: the overlaps need finding only
    // when the user switched the check off.
    if (w && !checkIntersections)
        findConflicts();
    finalizeCut(v, w ? w : v);
    lastPlaced = std::unordered_set<Poly*>(placed.begin(), placed.end());
    if (getPolyCount() == source->getPolyCount() && getConflicts().isEmpty()) {
        // A complete net needs no more cuts: the rest are expanded from themselves.
        for (auto& [vertex, from] : expansion)
            if (!from) {
                from = vertex;
                ++expandedCount;
            }
    }
    if (isDone()) {
        // Finished: no step to show any more (the outline would be in pictures too).
        lastPlaced.clear();
        if (getPolyCount() < source->getPolyCount())
            StatusMessage("Every vertex is expanded; %i faces could not be placed without "
                          "overlap",
                          int(source->getPolyCount() - getPolyCount()));
    }
    onChanged(true);
}

void AlphaBetaUnfolder::renderSelf(Renderer* r) {
    Unfolder::renderSelf(r);
    if (!source)
        return;
    Sorvex::M4x4 toSource = getTransform();
    if (!toSource.inv())
        toSource.identity();
    r->pushTransform(toSource);
    // Each vertex's subtree sum once, children before parents, rather than a walk down
    // the subtree for every cut drawn.
    std::unordered_map<Vertex*, double> subtree;
    std::function<double(Vertex*)> sumBelow = [&](Vertex* v) {
        if (auto it = subtree.find(v); it != subtree.end())
            return it->second;
        double sum = CurvatureArmature::AngleDeficit(v);
        if (auto it = expandedChildren.find(v); it != expandedChildren.end())
            for (Vertex* child : it->second)
                sum += sumBelow(child);
        return subtree[v] = sum;
    };
    for (const auto& [v, from] : expansion) {
        if (!from)
            continue;
        if (from == v) {
            r->color(0.2, 0.7, 0.2);
            r->renderSphere(*v, NoCutDotRadius);
            continue;
        }
        // Red grows with the deficit the cut carries: a full turn is full red.
        const double share = std::min(1.0, std::abs(sumBelow(v)) / (2 * M_PI));
        r->color(0.3 + 0.7 * share, 0.3, 0.8 - 0.6 * share);
        r->renderTube(*v, *from, ExpansionTubeRadius);
    }
    r->popTransform();
}

void AlphaBetaUnfolder::limnFace(Renderer* r, Poly& face) {
    Unfolder::limnFace(r, face);
    if (r->isPicking() || !lastPlaced.count(&face))
        return;
    r->color(0.1, 0.5, 0.9);
    for (int i = 0; i < face.getVertexCount(); ++i)
        r->renderTube(*face.getVertex(i), *face.getVertex(i + 1), PlacedOutlineRadius);
}
