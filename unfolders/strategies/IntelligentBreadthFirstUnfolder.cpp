#include "unfolders/strategies/IntelligentBreadthFirstUnfolder.h"

#include <cstdint>

VORN_DEFINE_OFFERED_FACTORY(IntelligentBreadthFirstUnfolder, "Unfolder")

namespace {

constexpr int QueueBudget = 10;
/// The user data key of a net face's depth in the face tree.
const char* const DepthKey = "isu";

} // namespace

int IntelligentBreadthFirstUnfolder::getDepth(const Poly* f) {
    if (!f)
        return 0;
    return int(reinterpret_cast<std::intptr_t>(f->getUserData(DepthKey)));
}

void IntelligentBreadthFirstUnfolder::setDepth(Poly* f, int depth) {
    // The integer is stored in the pointer itself: nothing to destroy.
    f->setUserData(DepthKey, reinterpret_cast<void*>(std::intptr_t(depth)));
}

Poly* IntelligentBreadthFirstUnfolder::setStartingFace(Poly* p) {
    if (!BreadthFirstUnfolder::setStartingFace(p))
        return nullptr;
    setDepth(p->getTwin(), 0);
    return p;
}

void IntelligentBreadthFirstUnfolder::unfold() {
    for (int step = 0; step < QueueBudget && !queue.empty(); ++step) {
        Poly* f = queue.front();
        queue.pop_front();
        const int d = getDepth(f->getTwin());
        for (int i = 0; i < f->getVertexCount() && f->getTwin(); ++i) {
            Poly* n = f->getNeighbor(i);
            if (!n || n->getTwin())
                continue;
            const int k = n->getNeighborIndex(f);
            if (k == -1)
                continue;
            for (;;) {
                Poly* blocker = nullptr;
                if (Poly* copy = copyAndFlatten(*n, k, &blocker)) {
                    addTwin(*n, *copy);
                    queue.push_back(n);
                    setDepth(copy, d + 1);
                    break;
                }
                Poly* blockerNet = blocker ? blocker->getTwin() : nullptr;
                const int b = getDepth(blockerNet);
                if (!blockerNet || b <= 0 || b <= d + 1)
                    break;
                if (Poly* parent = pruneTree(blockerNet))
                    if (parent->getTwin())
                        queue.push_back(parent->getTwin());
            }
        }
    }
}

Poly* IntelligentBreadthFirstUnfolder::pruneTree(Poly* p) {
    const int depth = getDepth(p);
    Poly* parent = nullptr;
    for (int i = 0; i < p->getVertexCount(); ++i) {
        Poly* q = p->getNeighbor(i);
        if (!q)
            continue;
        if (getDepth(q) <= depth)
            parent = q;
        else
            pruneTree(q);
    }
    if (Poly* src = p->getTwin())
        std::erase(queue, src);
    // Deleting the net face also clears its source face's twin link, so the
    // source face can be placed again; vertices no other face uses go too.
    remPolyClean(p);
    return parent;
}
