#include "unfolders/strategies/BreadthFirstUnfolder.h"

VORN_DEFINE_OFFERED_FACTORY(BreadthFirstUnfolder, "Unfolder")
VORN_DEFINE_OFFERED_FACTORY(BreadthFirstWithoutErrorCorrectionUnfolder, "Unfolder")

namespace {

/// Queue entries processed per call of unfold().
constexpr int QueueBudget = 10;

/// The height of the face's centre: what Poly::getCenter().y() gives, to the bit (the
/// same sum in the same order), without the other two coordinates.
double centerHeight(const Poly& f) {
    const auto ring = f.getVertices();
    if (ring.empty())
        return 0;
    double sum = 0;
    for (const Vertex* v : ring)
        if (v)
            sum += v->y();
    return sum / double(ring.size());
}

} // namespace

int BreadthFirstUnfolder::findLowestNeighbor(Poly& f) {
    int lowest = -1;
    double lowestY = 0;
    for (int i = 0; i < f.getVertexCount(); ++i) {
        Poly* n = f.getNeighbor(i);
        if (!n)
            continue;
        const double y = centerHeight(*n);
        if (lowest == -1 || y < lowestY) {
            lowest = i;
            lowestY = y;
        }
    }
    return lowest;
}

Poly* BreadthFirstUnfolder::setStartingFace(Poly* p) {
    if (!Unfolder::setStartingFace(p))
        return nullptr;
    queue.push_back(p);
    return p;
}

Poly* BreadthFirstUnfolder::attach(Poly* n, Poly& f) {
    if (!n || n->getTwin())
        return nullptr;
    const int k = n->getNeighborIndex(&f);
    if (k == -1)
        return nullptr;
    return unfoldToEdge(*n, k);
}

void BreadthFirstUnfolder::unfold() {
    for (int step = 0; step < QueueBudget && !queue.empty(); ++step) {
        Poly* f = queue.front();
        queue.pop_front();
        const int lowest = findLowestNeighbor(*f);
        for (int k = 0; k < f->getVertexCount(); ++k)
            if (Poly* placed = attach(f->getNeighbor(lowest + k), *f))
                enqueue(placed);
    }
}
