#include "unfolders/strategies/CrossSectionUnfolder.h"

using Sorvex::M3d;

VORN_DEFINE_OFFERED_FACTORY(CrossSectionUnfolder, "Unfolder")

bool CrossSectionUnfolder::testPolyPlane(Poly& f, const M3d& point, const M3d& normal) {
    const int n = f.getVertexCount();
    for (int i = 0; i < n; ++i) {
        const bool aBelow = (*f.getVertex(i) - point).dot(normal) < 0;
        const bool bBelow = (*f.getVertex(i + 1) - point).dot(normal) < 0;
        if (aBelow != bBelow)
            return true;
    }
    return false;
}

Poly* CrossSectionUnfolder::chooseStartingFace() {
    if (!source)
        return nullptr;
    const M3d point = source->getCenter();
    const M3d normal(0, 1, 0);
    planeNormal = normal;
    currentFace = nullptr;
    Poly* start = nullptr;
    double startY = 0;
    for (Poly* f : source->getPolys()) {
        if (!testPolyPlane(*f, point, normal))
            continue;
        const double y = f->getCenter().y();
        if (!start || y < startY) {
            start = f;
            startY = y;
        }
    }
    if (!start)
        return Unfolder::chooseStartingFace();
    // The start is queued here and again by setStartingFace; the second copy
    // only costs one depth-first iteration when it reaches the front.
    queue.push_back(start);
    currentFace = start;
    planePoint = point;
    return setStartingFace(start);
}

void CrossSectionUnfolder::unfold() {
    if (!currentFace) {
        DepthFirstUnfolder::unfold();
        return;
    }
    Poly& g = *currentFace;
    for (int i = 0; i < g.getVertexCount(); ++i) {
        Poly* n = g.getNeighbor(i);
        if (!n || n->getTwin() || !testPolyPlane(*n, planePoint, planeNormal))
            continue;
        if (unfoldToEdge(*n, n->getNeighborIndex(&g))) {
            queue.push_back(n);
            currentFace = n;
            return;
        }
    }
    currentFace = nullptr;
}
