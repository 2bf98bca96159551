// The end of the carving: the cut tree of the carved solid, which now is the mesh, carried
// over to the mesh's vertices, and the mesh's own net laid from it.
#include <cmath>
#include <vector>

#include "common/StatusLine.h"
#include "unfolders/strategies/CarvedSolid.h"
#include "unfolders/strategies/TruncationUnfolder.h"

using Sorvex::M3d;

std::string TruncationUnfolder::mapCutsToMesh(Graph<Vertex*>& meshCuts) {
    for (Vertex* v : carved->getVertices())
        if (!vertexMap.count(v))
            return "Truncation failed: the carved solid has a corner the mesh does not have";
    // A cut edge of the carved solid runs along one or more mesh edges: the mesh may have
    // corners on it where the surface does not bend (a vertex of zero curvature).
    const double onLine = 1e-7 * modelSize;
    std::vector<Vertex*> around;
    for (const auto& [a, next] : carvedCuts)
        for (Vertex* b : next) {
            if (b < a)
                continue; // each edge once
            Vertex* from = vertexMap.at(a);
            Vertex* to = vertexMap.at(b);
            M3d along = *to - *from;
            const double length = along.length();
            along = along / length;
            Vertex* at = from;
            for (std::size_t steps = 0; at != to; ++steps) {
                if (steps > source->getVertexCount())
                    return "Truncation failed: a cut of the carved solid is no edge of the mesh";
                at->collectOtherVertices(around);
                Vertex* best = nullptr;
                double bestT = length + onLine;
                const double atT = along.dot(*at - *from);
                for (Vertex* w : around) {
                    const M3d d = *w - *from;
                    const double t = along.dot(d);
                    if (t <= atT + onLine || t >= bestT)
                        continue;
                    if ((d - along * t).length() > onLine)
                        continue;
                    best = w;
                    bestT = t;
                }
                if (!best)
                    return "Truncation failed: a cut of the carved solid is no edge of the mesh";
                meshCuts.addEdge(at, best);
                at = best;
            }
        }
    return {};
}

void TruncationUnfolder::finish() {
    Graph<Vertex*> meshCuts;
    if (const std::string why = mapCutsToMesh(meshCuts); !why.empty()) {
        refuse(why);
        return;
    }
    // The net's twins become the mesh's own faces; the carved solid's placements go.
    faceTransforms.clear();
    finished = true;
    unfoldToCutGraph(meshCuts, 0);
}
