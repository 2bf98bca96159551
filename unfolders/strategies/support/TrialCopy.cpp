#include "unfolders/strategies/support/TrialCopy.h"

#include "unfolders/engine/Unfolder.h"

void DiscardTrialCopy(Unfolder& net, Poly* copy) {
    for (Vertex* v : copy->getVertices())
        if (v->getPolys().empty() && net.remVertex(v))
            delete v;
    delete copy;
}
