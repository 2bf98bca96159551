#include "scene/PolyMesh.h"

#include "sorvex/PointSorter.h"

// The sorter holds vertex positions: a Vertex is an M3d, so the points it finds are the
// position parts of this mesh's vertices.
Vertex* PolyMesh::findBestVertex(const Sorvex::M3d& p, Sorvex::PointSorter& sorter) {
    if (Sorvex::M3d* found = sorter.findNear(p))
        return static_cast<Vertex*>(found);
    Vertex* v = addVertexAt(p);
    sorter.add(v);
    return v;
}
