#include "unfolders/strategies/CurvatureOrderingUnfolder.h"

#include <cmath>
#include <typeinfo>
#include <vector>

#include "common/StatusLine.h"
#include "scene/mesh/CurvatureArmature.h"

VORN_DEFINE_OFFERED_FACTORY(CurvatureOrderingUnfolder, "Unfolder")

namespace {

constexpr int AttemptBudget = 10;
/// Curvatures closer than this count as equal.
constexpr double Tie = 1e-6;

} // namespace

Poly* CurvatureOrderingUnfolder::chooseStartingFace() {
    if (!source)
        return nullptr;
    done = false;
    // A new run starts with no refused edges.
    blocked.clear();
    frontier.reset();
    index.reset();
    curvatures.clear();
    curvatureMesh = source;
    // Only the curvatures order the faces: the flows are not computed.
    CurvatureArmature& field = source->getCurvature(true, false);
    // Each vertex's curvature looked up once, in vertex order, and read by index for each
    // of its faces: a huge mesh's faces would look each vertex up six times.
    std::vector<float> vertexCurvature;
    vertexCurvature.reserve(source->getVertexCount());
    for (Vertex* v : source->getVertices())
        vertexCurvature.push_back(float(field.getCurvature(v)));
    curvatures.reserve(source->getPolyCount());
    Poly* start = nullptr;
    float highest = 0;
    std::size_t sides = 0;
    for (Poly* f : source->getPolys()) {
        sides += std::size_t(f->getVertexCount());
        // Summed and divided in single precision, as the ordering is defined.
        float sum = 0;
        for (Vertex* v : f->getVertices()) {
            const int at = source->getIOIndex(v);
            sum += at >= 0 ? vertexCurvature[std::size_t(at)] : float(field.getCurvature(v));
        }
        const float mean = sum / float(f->getVertexCount());
        // The list is walked in order, so the face's position is the next one.
        curvatures.push_back(mean);
        if (!start || mean > highest) {
            start = f;
            highest = mean;
        }
    }
    if (incrementalScan && canUseIndexedSearch())
        index.reserve(source->getPolyCount(), sides);
    // Through the virtual slot, so that the variants set up their own state.
    return setStartingFace(start);
}

float CurvatureOrderingUnfolder::getFaceCurvature(Poly* f) const {
    const int at =
        f && curvatureMesh && f->getMesh() == curvatureMesh ? curvatureMesh->getPolyIndex(f) : -1;
    return at >= 0 && std::size_t(at) < curvatures.size() ? curvatures[std::size_t(at)] : 0.0f;
}

void CurvatureOrderingUnfolder::setFaceCurvature(Poly* f, float c) {
    if (!f || !f->getMesh())
        return;
    if (!curvatureMesh)
        curvatureMesh = f->getMesh();
    const int at = f->getMesh() == curvatureMesh ? curvatureMesh->getPolyIndex(f) : -1;
    if (at < 0)
        return;
    if (std::size_t(at) >= curvatures.size())
        curvatures.resize(std::size_t(at) + 1, 0.0f);
    curvatures[std::size_t(at)] = c;
}

int CurvatureOrderingUnfolder::judge(Candidate& a, Candidate& b) {
    const float ca = getFaceCurvature(a.first);
    const float cb = getFaceCurvature(b.first);
    if (std::fabs(double(ca) - double(cb)) < Tie)
        return 0;
    return cb >= ca ? 1 : -1;
}

bool CurvatureOrderingUnfolder::candidateAcross(Poly& t, int i, Candidate& c) const {
    Poly* n = t.getNeighbor(i);
    if (!n || n->getTwin())
        return false;
    const int k = n->getNeighborIndex(&t);
    if (k == -1 || isBlocked(n, k))
        return false;
    c = {n, k};
    return true;
}

void CurvatureOrderingUnfolder::findBest(std::list<Poly*>& netFaces, std::list<Candidate>& best) {
    for (Poly* g : netFaces) {
        Poly* t = g->getTwin();
        if (!t)
            continue;
        for (int i = 0; i < t->getVertexCount(); ++i) {
            Candidate c;
            if (!candidateAcross(*t, i, c))
                continue;
            if (best.empty()) {
                best.push_back(c);
                continue;
            }
            const int verdict = judge(best.front(), c);
            if (verdict == 1)
                best.clear();
            if (verdict >= 0)
                best.push_back(c);
        }
    }
}

bool CurvatureOrderingUnfolder::canUseIndexedSearch() const {
    return typeid(*this) == typeid(CurvatureOrderingUnfolder);
}

bool CurvatureOrderingUnfolder::findNext(Candidate& next) {
    if (incrementalScan && canUseIndexedSearch())
        return index.findNext(*this, next);
    std::list<Poly*> netFaces;
    if (incrementalScan) {
        frontier.sync(*this);
        frontier.prune([this](Poly* g) {
            Poly* t = g->getTwin();
            if (!t)
                return false;
            Candidate c;
            for (int i = 0; i < t->getVertexCount(); ++i)
                if (candidateAcross(*t, i, c))
                    return true;
            return false;
        });
        netFaces.assign(frontier.faces().begin(), frontier.faces().end());
    } else {
        netFaces.assign(getPolys().begin(), getPolys().end());
    }
    std::list<Candidate> best;
    findBest(netFaces, best);
    if (best.empty())
        return false;
    next = best.front();
    return true;
}

void CurvatureOrderingUnfolder::onPolyAdded(Candidate& /*c*/) {}

void CurvatureOrderingUnfolder::onPolyBlocked(Candidate& c) {
    blocked.insert(c);
    index.refresh(c.first);
    if (Poly* m = c.first->getNeighbor(c.second)) {
        blocked.insert({m, m->getNeighborIndex(c.first)});
        index.refresh(m);
    }
}

void CurvatureOrderingUnfolder::unfold() {
    for (int attempt = 0; attempt < AttemptBudget && !isDone(); ++attempt) {
        Candidate c;
        if (!findNext(c)) {
            done = true;
            StatusMessage("Ready");
            break;
        }
        if (Poly* copy = copyAndFlatten(*c.first, c.second, nullptr)) {
            addTwin(*c.first, *copy);
            onPolyAdded(c);
        } else {
            onPolyBlocked(c);
        }
    }
}
