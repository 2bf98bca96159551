#pragma once

#include <vector>

#include "scene/mesh/Poly.h"
#include "scene/mesh/PolyMesh.h"
#include "unfolders/engine/Unfolder.h"

// What a strategy's net says about the order and shape of its unfolding.
namespace netinspection {

/// Source face indices of the net faces, in net order (-1 for an untwinned face).
inline std::vector<int> placementOrder(Unfolder& u) {
    std::vector<int> order;
    for (Poly* f : u.getPolys())
        order.push_back(u.getSource()->getPolyIndex(f->getTwin()));
    return order;
}

/// The source face of the net face that `sourceFace`'s net face is folded to
/// across an edge, when there is exactly one; else null.
inline Poly* foldedTo(Poly* sourceFace) {
    Poly* found = nullptr;
    Poly* net = sourceFace->getTwin();
    for (int i = 0; i < net->getVertexCount(); ++i)
        if (Poly* g = net->getNeighbor(i)) {
            if (found)
                return nullptr;
            found = g->getTwin();
        }
    return found;
}

} // namespace netinspection
