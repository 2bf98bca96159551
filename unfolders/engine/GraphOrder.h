#pragma once

#include <functional>

#include "scene/mesh/Poly.h"
#include "scene/mesh/PolyMesh.h"

/// The order in which a `Graph` visits its vertices and a `Tree` keeps its index: ascending
/// value, as `std::less` gives it.
template <typename T> struct GraphOrder : std::less<T> {};

/// Faces go in their mesh's face order instead of by address, so that whatever is laid out
/// from a face graph (the numbering of the spanning-tree enumeration, the order of overlap
/// components, a tree's index) comes out the same wherever the heap put the faces.
///
/// A face's place in its mesh keeps its rank among the others while faces are added and
/// removed, so the order stays consistent as long as each face in a graph stays alive and
/// in the mesh it had when it joined. A face that is in no mesh yet (one about to be
/// placed) ranks after every face of a mesh, just as it will when it is added; faces
/// outside any mesh go by address among themselves, as do the meshes of a graph that mixes
/// faces of several. A null face comes first.
template <> struct GraphOrder<Poly*> {
    bool operator()(const Poly* a, const Poly* b) const {
        if (a == b)
            return false;
        const int groupA = group(a), groupB = group(b);
        if (groupA != groupB)
            return groupA < groupB;
        if (groupA == InMesh) {
            const PolyMesh* mesh = a->getMesh();
            if (mesh != b->getMesh())
                return std::less<const PolyMesh*>()(mesh, b->getMesh());
            return mesh->getPolyIndex(a) < mesh->getPolyIndex(b);
        }
        return std::less<const Poly*>()(a, b);
    }

private:
    enum { Null, InMesh, Loose };
    static int group(const Poly* f) { return !f ? Null : f->getMesh() ? InMesh : Loose; }
};
