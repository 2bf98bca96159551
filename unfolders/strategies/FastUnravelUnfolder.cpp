#include "unfolders/strategies/FastUnravelUnfolder.h"

#include <memory>

#include "unfolders/strategies/support/UnravelDirection.h"

VORN_DEFINE_OFFERED_FACTORY(FastUnravelUnfolder, "Unfolder")

namespace {

constexpr int StepBudget = 100;
/// The square the chain's overlap index starts with; a net reaching beyond it
/// grows the index as any net does.
constexpr double IndexHalfWidth = 10000;

} // namespace

Poly* FastUnravelUnfolder::setStartingFace(Poly* f) {
    faceBoxTree = std::make_unique<FaceBSP>(-IndexHalfWidth, IndexHalfWidth, -IndexHalfWidth,
                                            IndexHalfWidth, false, 0.0f);
    current = Unfolder::setStartingFace(f);
    return current;
}

void FastUnravelUnfolder::unfold() {
    for (int step = 0; step < StepBudget && current; ++step) {
        const Sorvex::M3d d = UnravelDirection(*current);
        Poly* best = nullptr;
        double bestPreference = 0;
        for (int i = 0; i < current->getVertexCount(); ++i) {
            Poly* n = current->getNeighbor(i);
            if (!n || n->getTwin())
                continue;
            const double preference = UnravelPreference(*current, *n, d);
            // Only a strictly greater preference replaces the kept neighbour.
            if (!best || preference > bestPreference) {
                best = n;
                bestPreference = preference;
            }
        }
        if (!best) {
            current = nullptr;
            break;
        }
        const int k = best->getNeighborIndex(current);
        if (k != -1 && unfoldToEdge(*best, k)) {
            current = best;
            continue;
        }
        // The chain stops here; the refused face is shown with its overlaps.
        if (k != -1)
            onConflict(*best, k);
        current = nullptr;
    }
}
