#include "unfolders/strategies/regions/Region.h"

#include <algorithm>
#include <cstddef>
#include <unordered_set>

#include "common/IdleLoop.h"
#include "unfolders/strategies/BorderAvoiderUnfolder.h"
#include "unfolders/strategies/RegionUnfolder.h"

using Sorvex::M3d;

// ----- Region -----

Vertex* Region::copyOf(Vertex* sourceVertex) const {
    auto it = vertexCopies.find(sourceVertex);
    return it == vertexCopies.end() ? nullptr : it->second;
}

bool Region::accepts(Poly* sourceFace) {
    return owner.getRegionOf(sourceFace) == nullptr;
}

void Region::gather(Poly* seed) {
    std::deque<Poly*> queue{seed};
    std::unordered_set<Poly*> marked{seed};
    while (!queue.empty()) {
        Poly* f = nextFromQueue(queue);
        if (!accepts(f))
            continue;
        std::vector<Vertex*> ring;
        for (Vertex* v : f->getVertices()) {
            Vertex*& copy = vertexCopies[v];
            if (!copy)
                copy = addVertexAt(*v);
            ring.push_back(copy);
        }
        auto* copy = new Poly(ring);
        if (!addPoly(copy)) {
            delete copy;
            continue;
        }
        owner.recordCopy(f, copy, this);
        for (int i = 0; i < f->getVertexCount(); ++i) {
            Poly* g = f->getNeighbor(i);
            if (g && marked.insert(g).second)
                queue.push_back(g);
        }
    }
}

// ----- PositiveRegion -----

bool PositiveRegion::accepts(Poly* sourceFace) {
    if (!Region::accepts(sourceFace))
        return false;
    for (Vertex* v : sourceFace->getVertices())
        if (getOwner().isNonNegative(v))
            return true;
    for (int i = 0; i < sourceFace->getVertexCount(); ++i)
        if (Poly* g = sourceFace->getNeighbor(i); g && getOwner().getRegionOf(g) == this)
            return false;
    return true;
}

Poly* PositiveRegion::nextFromQueue(std::deque<Poly*>& queue) {
    Poly* f = queue.front();
    queue.pop_front();
    return f;
}

bool PositiveRegion::isReady() {
    return unfolder && unfolder->isDone();
}

void PositiveRegion::start() {
    if (unfolder)
        return;
    unfolder = new BorderAvoiderUnfolder;
    // The region strategy steps this net itself, so that it runs wherever the strategy
    // runs (the workbench, a batch worker thread, a test) and at the same pace.
    UnregisterSystemIdleHandler(unfolder);
    if (!unfolder->setParent(this)) {
        delete unfolder;
        unfolder = nullptr;
    }
}

double PositiveRegion::heightOf(const M3d& p) const {
    // The y of R p, R turning the direction d onto (0, 1, 0), is p . d; the two turns the
    // layout uses near the poles (none, and a half turn about x) are kept as they are.
    if (direction.y() > 0.9999)
        return p.y();
    if (direction.y() < -0.99999)
        return -p.y();
    return p.dot(direction);
}

double PositiveRegion::score(const Candidate& c) const {
    const double a = heightOf(*c.first->getVertex(c.second));
    const double b = heightOf(*c.first->getVertex(c.second + 1));
    return (std::min(a, b) + heightOf(c.first->getCenter())) * 0.5;
}

void PositiveRegion::addCandidate(Poly* face, int edge) {
    if (face && edge >= 0 && listed.insert({face, edge}).second)
        candidates.emplace_back(face, edge);
}

void PositiveRegion::computeHeights() {
    if (heightsComputed)
        return;
    candidates.clear();
    listed.clear();
    for (Poly* copy : getPolys())
        for (int i = 0; i < copy->getVertexCount(); ++i) {
            if (copy->getNeighbor(i))
                continue;
            Poly* s = getOwner().getSourceOf(copy);
            Poly* n = s ? s->getNeighbor(i) : nullptr;
            if (n)
                addCandidate(n, n->getNeighborIndex(s));
        }
    const M3d centre = getCenter();
    M3d sum;
    for (const Candidate& c : candidates)
        sum += c.first->getCenter() - centre;
    // A region without a rim (the whole surface) keeps the upward direction.
    if (sum.length() > 0)
        direction = sum / sum.length();
    heightsComputed = true;
}

PositiveRegion::Candidate PositiveRegion::takeBest() {
    std::size_t best = candidates.size();
    double bestScore = 0;
    std::size_t kept = 0;
    // Candidates already placed are dropped as the scan passes them; ties keep the first.
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (candidates[i].first->getTwin()) {
            listed.erase(candidates[i]);
            continue;
        }
        candidates[kept] = candidates[i];
        const double s = score(candidates[kept]);
        if (best == candidates.size() || s < bestScore) {
            best = kept;
            bestScore = s;
        }
        ++kept;
    }
    candidates.resize(kept);
    if (best >= candidates.size())
        return {nullptr, -1};
    const Candidate chosen = candidates[best];
    candidates.erase(candidates.begin() + std::ptrdiff_t(best));
    listed.erase(chosen);
    return chosen;
}

// ----- NegativeRegion -----

Poly* NegativeRegion::nextFromQueue(std::deque<Poly*>& queue) {
    Poly* f = queue.front();
    queue.pop_front();
    return f;
}
