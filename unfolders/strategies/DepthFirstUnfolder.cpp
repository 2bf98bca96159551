#include "unfolders/strategies/DepthFirstUnfolder.h"

VORN_DEFINE_OFFERED_FACTORY(DepthFirstUnfolder, "Unfolder")
VORN_DEFINE_OFFERED_FACTORY(DepthFirstWithoutErrorCorrectionUnfolder, "Unfolder")

namespace {

/// Iterations (one attach or one removal each) per call of unfold().
constexpr int IterationBudget = 10;

} // namespace

void DepthFirstUnfolder::unfold() {
    for (int step = 0; step < IterationBudget && !queue.empty(); ++step) {
        Poly* f = queue.front();
        const int lowest = findLowestNeighbor(*f);
        Poly* placed = nullptr;
        for (int k = 0; k < f->getVertexCount() && !placed; ++k)
            placed = attach(f->getNeighbor(lowest + k), *f);
        if (placed)
            queue.push_front(placed);
        else
            queue.pop_front();
    }
}
