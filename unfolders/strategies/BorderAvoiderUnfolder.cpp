#include "unfolders/strategies/BorderAvoiderUnfolder.h"

#include <unordered_set>
#include <vector>

using Sorvex::M3d;

VORN_DEFINE_OFFERED_FACTORY(BorderAvoiderUnfolder, "Unfolder")

namespace {

/// The largest single-precision float: the distance before any border
/// vertex was measured.
constexpr double FarAway = 3.4028234663852886e38;

/// Vertex i of every face edge i without a neighbour, each vertex once, in
/// face order.
std::vector<Vertex*> findBorderVertices(PolyMesh& mesh) {
    std::vector<Vertex*> border;
    std::unordered_set<Vertex*> seen;
    for (Poly* f : mesh.getPolys())
        for (int i = 0; i < f->getVertexCount(); ++i)
            if (!f->getNeighbor(i) && seen.insert(f->getVertex(i)).second)
                border.push_back(f->getVertex(i));
    return border;
}

} // namespace

Poly* BorderAvoiderUnfolder::chooseStartingFace() {
    distances.clear();
    largestBorderDistance = 0;
    if (!source)
        return nullptr;
    const std::vector<Vertex*> border = findBorderVertices(*source);
    Poly* start = nullptr;
    if (!border.empty()) {
        for (Poly* f : source->getPolys()) {
            const M3d centre = f->getCenter();
            double dist = FarAway;
            for (Vertex* v : border)
                dist = std::min(dist, (*v - centre).length());
            distances[f] = dist;
            if (dist > largestBorderDistance) {
                largestBorderDistance = dist;
                start = f;
            }
        }
        // When every face touches the border no distance beats 0: start at
        // the first face rather than leave the net empty.
        if (!start && source->getPolyCount() > 0)
            start = source->getPoly(0);
    } else {
        double lowest = 0;
        for (Poly* f : source->getPolys()) {
            const double y = f->getCenter().y();
            distances[f] = -y;
            if (!start || y < lowest) {
                lowest = y;
                start = f;
            }
        }
    }
    return setStartingFace(start);
}

double BorderAvoiderUnfolder::scoreUnfolding(Poly& t, Poly& n) {
    auto distance = [this](Poly& f) {
        auto it = distances.find(&f);
        return it == distances.end() ? 0.0 : it->second;
    };
    return (largestBorderDistance - distance(t)) + (largestBorderDistance - distance(n));
}
