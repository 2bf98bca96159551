#include "unfolders/strategies/TracerUnfolder.h"

#include <algorithm>

#include "scene/mesh/CurvatureArmature.h"

using Sorvex::M3d;

VORN_DEFINE_OFFERED_FACTORY(TracerUnfolder, "Unfolder")

namespace {

/// The scalar product in single precision, as the trace ordering is defined.
float dotFloat(const M3d& a, const M3d& b) {
    return float(a.x()) * float(b.x()) + float(a.y()) * float(b.y()) + float(a.z()) * float(b.z());
}

} // namespace

Poly* TracerUnfolder::setStartingFace(Poly* f) {
    Poly* placed = CurvatureOrderingUnfolder::setStartingFace(f);
    tips.clear();
    flow.clear();
    if (!placed || !source)
        return placed;
    // chooseStartingFace has just computed the field; the values are looked up here.
    CurvatureArmature& field = source->getCurvature(false);
    flow.reserve(source->getPolyCount());
    for (Poly* face : source->getPolys()) {
        M3d sum;
        for (Vertex* v : face->getVertices())
            sum += field.getCurvatureFlow(v);
        M3d across;
        across.cross(face->getNormal(), sum.normalized());
        flow[face] = across.normalized();
    }
    tips.push_back(placed);
    return placed;
}

M3d TracerUnfolder::getTraceDirection(Poly* f) const {
    auto it = flow.find(f);
    return it == flow.end() ? M3d() : it->second;
}

bool TracerUnfolder::findNext(Candidate& next) {
    bool found = false;
    float bestScore = 0;
    // A tip without candidates stays without them (placed faces stay placed and
    // blocked edges blocked), so it is dropped on the way.
    std::size_t kept = 0;
    for (Poly* tip : tips) {
        bool offers = false;
        const M3d direction = getTraceDirection(tip);
        const bool hasDirection = direction.squared() > 0;
        for (int i = 0; i < tip->getVertexCount(); ++i) {
            Candidate c;
            if (!candidateAcross(*tip, i, c))
                continue;
            offers = true;
            if (!hasDirection)
                continue;
            const float score = dotFloat(c.first->getCenter() - tip->getCenter(), direction);
            // Only a strictly better agreement replaces the kept candidate.
            if (!found || score > bestScore) {
                found = true;
                bestScore = score;
                next = c;
            }
        }
        if (offers)
            tips[kept++] = tip;
    }
    tips.resize(kept);
    if (found)
        return true;
    return CurvatureOrderingUnfolder::findNext(next);
}

void TracerUnfolder::onPolyAdded(Candidate& c) {
    CurvatureOrderingUnfolder::onPolyAdded(c);
    if (Poly* from = c.first->getNeighbor(c.second)) {
        auto it = std::find(tips.begin(), tips.end(), from);
        if (it != tips.end())
            tips.erase(it);
    }
    tips.push_back(c.first);
}
