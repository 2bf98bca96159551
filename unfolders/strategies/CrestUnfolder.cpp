#include "unfolders/strategies/CrestUnfolder.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/StatusLine.h"
#include "scene/Renderer.h"

VORN_DEFINE_OFFERED_FACTORY(CrestUnfolder, "Unfolder")

namespace {

constexpr double TwoPi = 6.283185307179586;
/// What a candidate that cannot be placed scores: beyond any concavity.
constexpr double Refused = 12.566370614359172;
/// Attempts per call of unfold().
constexpr int AttemptBudget = 50;
/// The start of the search for the least cavity: the largest single-precision value.
constexpr double NoScore = 3.4028234663852886e38;
/// A kept slot that offers no candidate.
constexpr double NoCandidate = -std::numeric_limits<double>::infinity();

/// Twice the signed area of a net face in the net plane's (x, z).
double signedArea(const Poly& f) {
    double sum = 0;
    const int n = f.getVertexCount();
    for (int i = 0; i < n; ++i) {
        const Vertex* a = f.getVertex(i);
        const Vertex* b = f.getVertex(i + 1);
        sum += a->x() * b->z() - b->x() * a->z();
    }
    return sum;
}

} // namespace

void CrestUnfolder::clear() {
    done = false;
    refused.clear();
    frontier.reset();
    forgetScores();
    Unfolder::clear();
}

void CrestUnfolder::forgetScores() {
    scores.clear();
    slotEdges.clear();
    scoredFaces = 0;
    lastScoredFace = nullptr;
    stale.clear();
    lookedAt.clear();
    slotsOffering.clear();
}

bool CrestUnfolder::isDone() {
    return done || (source && getPolyCount() >= source->getPolyCount());
}

bool CrestUnfolder::isDeveloped(Vertex* v) {
    for (Poly* f : v->getPolys())
        if (!f->getTwin())
            return false;
    return true;
}

int CrestUnfolder::countDevelopments(Vertex* v) {
    // A vertex touches a handful of faces: a small list beats a set.
    std::vector<const Vertex*> images;
    for (Poly* f : v->getPolys()) {
        if (Poly* net = f->getTwin()) {
            const Vertex* image = net->getVertex(f->getVertexIndex(v));
            if (std::find(images.begin(), images.end(), image) == images.end())
                images.push_back(image);
        }
    }
    return int(images.size());
}

Vertex* CrestUnfolder::sourceOf(Vertex* image) {
    for (Poly* g : image->getPolys())
        if (Poly* src = g->getTwin())
            return src->getVertex(g->getVertexIndex(image));
    return nullptr;
}

Vertex* CrestUnfolder::outlineStep(Vertex* image, bool forward) {
    // Net faces keep their source's winding, so every border edge runs the same way
    // round the net: the outline follows them in the faces' own direction.
    for (Poly* g : image->getPolys()) {
        const int j = g->getVertexIndex(image);
        const int edge = forward ? j : j - 1;
        if (!g->getNeighbor(edge))
            return g->getVertex(forward ? j + 1 : j - 1);
    }
    return nullptr;
}

bool CrestUnfolder::isOpenCorner(Vertex* v) {
    if (looking && v)
        looking->push_back(v);
    return v && (!isDeveloped(v) || countDevelopments(v) > 1);
}

Vertex* CrestUnfolder::nearestOpenCorner(Vertex* image, bool forward) {
    // Corners where a cut ends (developed once, all faces placed) are passed over: the
    // outline doubles back there and says nothing about the net's shape.
    Vertex* q = outlineStep(image, forward);
    for (std::size_t steps = 0; q && q != image && steps < getVertexCount(); ++steps) {
        if (isOpenCorner(sourceOf(q)))
            return q;
        q = outlineStep(q, forward);
    }
    return nullptr;
}

void CrestUnfolder::getCoast(std::vector<Vertex*>& out) {
    out.clear();
    Vertex* start = nullptr;
    for (Poly* g : getPolys()) {
        for (int j = 0; j < g->getVertexCount() && !start; ++j)
            if (!g->getNeighbor(j))
                start = g->getVertex(j);
        if (start)
            break;
    }
    for (Vertex* q = start; q && out.size() < getVertexCount();) {
        out.push_back(q);
        q = outlineStep(q, true);
        if (q == start)
            break;
    }
}

double CrestUnfolder::getGlobalConcavity(Vertex* v, Poly* n) {
    Poly* net = n ? n->getTwin() : nullptr;
    const int index = n ? n->getVertexIndex(v) : -1;
    if (!net || index < 0)
        return 0;
    Vertex* p = net->getVertex(index);
    Vertex* after = nearestOpenCorner(p, true);
    Vertex* before = nearestOpenCorner(p, false);
    if (!after || !before)
        return 0;
    const double toAfter = std::atan2(after->z() - p->z(), after->x() - p->x());
    const double toBefore = std::atan2(before->z() - p->z(), before->x() - p->x());
    // Counter-clockwise from the way out to the way in sweeps the net's side when the
    // faces run counter-clockwise in (x, z), the outside otherwise.
    double sweep = std::fmod(toBefore - toAfter + 2 * TwoPi, TwoPi);
    if (signedArea(*net) < 0)
        sweep = std::fmod(TwoPi - sweep, TwoPi);
    return sweep;
}

double CrestUnfolder::findWorstCavity(Poly* n, int k) {
    if (!n || k == -1)
        return Refused;
    Poly* trial = copyAndFlatten(*n, k, nullptr);
    if (!trial)
        return Refused;
    addTwin(*n, *trial);
    ++trialCount;
    double worst = 0;
    for (Vertex* v : n->getVertices())
        if (isOpenCorner(v))
            worst = std::max(worst, getGlobalConcavity(v, n));
    remPolyClean(trial);
    return worst;
}

std::pair<Poly*, int> CrestUnfolder::findLeastCavity() {
    return keptScores ? keptLeastCavity() : scanLeastCavity();
}

std::pair<Poly*, int> CrestUnfolder::scanLeastCavity() {
    frontier.sync(*this);
    frontier.prune([](Poly* g) {
        Poly* t = g->getTwin();
        for (int i = 0; t && i < t->getVertexCount(); ++i)
            if (Poly* n = t->getNeighbor(i); n && !n->getTwin())
                return true;
        return false;
    });
    std::pair<Poly*, int> best{nullptr, 0};
    double least = NoScore;
    for (Poly* g : frontier.faces()) {
        Poly* t = g->getTwin();
        for (int i = 0; i < t->getVertexCount(); ++i) {
            Poly* n = t->getNeighbor(i);
            if (!n || n->getTwin())
                continue;
            const int k = n->getNeighborIndex(t);
            if (k < 0)
                continue;
            // A copy refused once stays refused: the net only grows.
            double cavity = Refused;
            if (!refused.count({n, k})) {
                cavity = findWorstCavity(n, k);
                if (cavity == Refused)
                    refused.insert({n, k});
            }
            if (cavity < least) {
                least = cavity;
                best = {n, k};
            }
        }
    }
    return best;
}

void CrestUnfolder::syncScores() {
    const std::size_t count = getPolyCount();
    // The net only grows between attempts; anything else starts the scores afresh.
    if (count < scoredFaces || (scoredFaces > 0 && getPoly(scoredFaces - 1) != lastScoredFace))
        forgetScores();
    for (std::size_t j = scoredFaces; j < count; ++j) {
        Poly* t = getPoly(j)->getTwin();
        if (!t)
            continue;
        for (Vertex* v : t->getVertices()) {
            auto it = lookedAt.find(v);
            if (it == lookedAt.end())
                continue;
            stale.insert(stale.end(), it->second.begin(), it->second.end());
            lookedAt.erase(it);
        }
        if (auto it = slotsOffering.find(t); it != slotsOffering.end()) {
            for (std::size_t slot : it->second)
                scores.set(slot, NoCandidate);
            slotsOffering.erase(it);
        }
        for (int i = 0; i < t->getVertexCount(); ++i) {
            Poly* n = t->getNeighbor(i);
            const bool offered = n && !n->getTwin() && n->getNeighborIndex(t) >= 0;
            const std::size_t slot = scores.push(NoCandidate);
            slotEdges.emplace_back(t, i);
            if (offered) {
                slotsOffering[n].push_back(slot);
                stale.push_back(slot);
            }
        }
    }
    scoredFaces = count;
    lastScoredFace = count > 0 ? getPoly(count - 1) : nullptr;
}

double CrestUnfolder::rescore(std::size_t slot) {
    auto [t, i] = slotEdges[slot];
    Poly* n = t->getNeighbor(i);
    const int k = n ? n->getNeighborIndex(t) : -1;
    if (!t->getTwin() || !n || n->getTwin() || k < 0) {
        scores.set(slot, NoCandidate);
        return Refused;
    }
    double cavity = Refused;
    if (!refused.count({n, k})) {
        std::vector<Vertex*> seen;
        looking = &seen;
        cavity = findWorstCavity(n, k);
        looking = nullptr;
        if (cavity == Refused)
            refused.insert({n, k});
        for (Vertex* v : seen) {
            std::vector<std::size_t>& slots = lookedAt[v];
            if (slots.empty() || slots.back() != slot)
                slots.push_back(slot);
        }
    }
    scores.set(slot, -cavity);
    return cavity;
}

std::pair<Poly*, int> CrestUnfolder::keptLeastCavity() {
    syncScores();
    std::sort(stale.begin(), stale.end());
    stale.erase(std::unique(stale.begin(), stale.end()), stale.end());
    for (std::size_t slot : stale)
        rescore(slot);
    stale.clear();
    for (;;) {
        const std::size_t none = scores.size();
        const std::size_t first = scores.findFirst(0, [](double x) { return x > NoCandidate; });
        if (first == none)
            return {nullptr, 0};
        // The first slot holding the best kept score ...
        double best = scores.get(first);
        std::size_t chosen = first;
        for (std::size_t better = first;;) {
            better = scores.findFirst(chosen + 1, [best](double x) { return x > best; });
            if (better == none)
                break;
            chosen = better;
            best = scores.get(chosen);
        }
        // ... measured afresh: the net may have grown over its copy since, which only
        // raises a score. If it still holds, no kept score below it can be stale.
        if (-rescore(chosen) == best) {
            auto [t, i] = slotEdges[chosen];
            Poly* n = t->getNeighbor(i);
            return {n, n->getNeighborIndex(t)};
        }
    }
}

void CrestUnfolder::unfold() {
    for (int attempt = 0; attempt < AttemptBudget && !isDone(); ++attempt) {
        auto [n, k] = findLeastCavity();
        if (n && k != -1 && unfoldToEdge(*n, k))
            continue;
        // The first candidate that cannot be placed ends the run: it is placed over
        // the net and its overlaps are recorded.
        checkIntersections = false;
        if (n && k != -1)
            unfoldToEdge(*n, k);
        checkIntersections = true;
        findConflicts();
        done = true;
    }
    if (isDone())
        StatusMessage("Ready");
    onChanged(true);
}

void CrestUnfolder::renderSelf(Renderer* r) {
    Unfolder::renderSelf(r);
    std::vector<Vertex*> coast;
    getCoast(coast);
    if (coast.size() < 2)
        return;
    r->color(1.0, 0.55, 0.0);
    r->beginLineLoop();
    for (const Vertex* q : coast)
        r->vertex(*q);
    r->end();
}
