#include "unfolders/strategies/StarUnfolder.h"

#include "common/StatusLine.h"
#include "scene/ShortestPathViz.h"
#include "scene/mesh/MeshShortestPaths.h"
#include "sorvex/DjikstraDistance.h"

using Sorvex::M3d;

VORN_DEFINE_OFFERED_FACTORY(StarUnfolder, "Unfolder")

bool StarUnfolder::setParent(SceneObj* parent) {
    const bool bound = Unfolder::setParent(parent);
    initialised = false;
    laidOut = false;
    sourceFromViz = false;
    anchors.clear();
    if (!source)
        return bound;
    if (!unfoldingRoot || !unfoldingRoot->getTwin()) {
        // Nothing to unfold from: the run ends at once with what there is.
        initialised = true;
        laidOut = true;
        return bound;
    }
    chooseSourcePoint();
    MeshShortestPaths& state = source->getShortestPaths();
    initialised = state.isReady();
    if (!initialised)
        StatusMessage("Not enough memory for the shortest paths between %i vertices",
                      int(source->getVertexCount()));
    return bound;
}

void StarUnfolder::chooseSourcePoint() {
    for (SceneObj* child : source->getChildren()) {
        auto* viz = dynamic_cast<ShortestPathViz*>(child);
        if (!viz)
            continue;
        sourcePoint = viz->getPoint();
        sourceFromViz = true;
        // The display draws the paths from the vertex nearest to its point: the cuts
        // follow the very tree it shows.
        if (Vertex* nearest = viz->getSourceVertex())
            anchors.push_back(nearest);
        return;
    }
    const Poly* highest = nullptr;
    for (const Poly* f : source->getPolys())
        if (!highest || f->getCenter().y() > highest->getCenter().y())
            highest = f;
    if (!highest)
        return;
    sourcePoint = highest->getCenter();
    anchors.assign(highest->getVertices().begin(), highest->getVertices().end());
}

MeshShortestPaths* StarUnfolder::paths() {
    return source ? &source->getShortestPaths() : nullptr;
}

float StarUnfolder::getPathProgress() {
    MeshShortestPaths* state = paths();
    return state ? state->getProgress() : 0.0f;
}

bool StarUnfolder::isDone() {
    // Without memory for the paths nothing more can happen: the run ends unsuccessful.
    return source && (laidOut || !initialised);
}

void StarUnfolder::unfold() {
    if (!initialised || laidOut || !source)
        return;
    MeshShortestPaths& state = source->getShortestPaths();
    if (!state.isReady()) {
        initialised = false;
        return;
    }
    for (int k = 0; k < PivotsPerStep && !state.isDone(); ++k) {
        state.advance(1);
        StatusMessage("Running Dijkstra's algorithm to build shortest edge paths: %4.2f%%",
                      double(100.0f * state.getProgress()));
    }
    if (!state.isDone())
        return;
    StatusMessage("Building cut-graph");
    Graph<Vertex*> cut;
    buildStarCutGraph(cut);
    StatusMessage("Unfolding to cut-graph");
    unfoldToCutGraph(cut, 0);
    laidOut = true;
    int unreachable = 0;
    for (Vertex* v : source->getVertices())
        if (v->getPolyCount() > 0 && getPathToSource(v).empty())
            ++unreachable;
    if (unreachable > 0)
        StatusMessage("Ready: %i vertices have no edge path to the source point; their parts "
                      "are laid out as pieces of their own",
                      unreachable);
    else
        StatusMessage("Ready");
    onChanged(true);
}

std::vector<Vertex*> StarUnfolder::getPathToSource(Vertex* v) {
    MeshShortestPaths* state = paths();
    if (!state || !state->isReady() || !v)
        return {};
    // The point joins its anchors by straight hops: the path to the point is the best
    // edge path to an anchor plus that anchor's hop (the first anchor wins ties).
    Vertex* best = nullptr;
    double bestLength = 0;
    for (Vertex* a : anchors) {
        const float edgeLength = state->getDistance(v, a);
        if (edgeLength == Sorvex::DjikstraDistance::NoPath)
            continue;
        const double length = double(edgeLength) + (*a - sourcePoint).length();
        if (!best || length < bestLength) {
            best = a;
            bestLength = length;
        }
    }
    if (best == v)
        return {v}; // the table keeps no path from a node to itself
    return best ? state->getPath(v, best) : std::vector<Vertex*>{};
}

void StarUnfolder::buildStarCutGraph(Graph<Vertex*>& cut) {
    cut.clear();
    if (!source)
        return;
    for (Vertex* v : source->getVertices()) {
        if (cut.hasVertex(v))
            continue;
        // The path to the point has one more element than the edge path (the point);
        // its last hop is no edge and is left out.
        const std::vector<Vertex*> path = getPathToSource(v);
        for (size_t k = 0; k + 1 < path.size(); ++k) {
            // Joining the graph ends the walk: the rest of the way is there already,
            // and stopping keeps the graph free of cycles even where equally short
            // paths part ways.
            const bool joins = cut.hasVertex(path[k + 1]);
            cut.addEdge(path[k], path[k + 1]);
            if (joins)
                break;
        }
    }
}
