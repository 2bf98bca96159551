#include "blobby/MeshFragments.h"

#include "scene/mesh/PolyMesh.h"

#include <unordered_map>
#include <vector>

int filterFragments(PolyMesh& mesh, double minArea) {
    std::unordered_map<const Poly*, int> piece;
    std::vector<std::vector<Poly*>> pieces;
    for (Poly* start : mesh.getPolys()) {
        if (piece.count(start))
            continue;
        const int id = int(pieces.size());
        pieces.emplace_back();
        std::vector<Poly*> stack{start};
        piece[start] = id;
        while (!stack.empty()) {
            Poly* f = stack.back();
            stack.pop_back();
            pieces[id].push_back(f);
            for (int e = 0; e < f->getVertexCount(); ++e) {
                Poly* n = f->getNeighbor(e);
                if (n && piece.emplace(n, id).second)
                    stack.push_back(n);
            }
        }
    }
    int removed = 0;
    for (const std::vector<Poly*>& faces : pieces) {
        if (PolyMesh::getPolyListArea(faces) >= minArea)
            continue;
        for (Poly* f : faces)
            removed += mesh.remPolyClean(f) ? 1 : 0;
    }
    if (removed)
        mesh.onChanged(true);
    return removed;
}
