#include "unfolders/engine/FaceBox.h"

#include "scene/mesh/Poly.h"
#include "scene/mesh/Vertex.h"

FaceBox::FaceBox(Poly* face) : face(face) {
    if (!face)
        return;
    for (const Vertex* v : face->getVertices()) {
        if (v->x() < minX)
            minX = v->x();
        if (v->x() > maxX)
            maxX = v->x();
        if (v->z() < minZ)
            minZ = v->z();
        if (v->z() > maxZ)
            maxZ = v->z();
    }
}
