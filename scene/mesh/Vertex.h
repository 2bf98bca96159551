#pragma once

#include "scene/mesh/InlineArray.h"
#include "sorvex/M3d.h"

#include <cstddef>
#include <span>
#include <vector>

class Poly;
class PolyMesh;

/// A mesh vertex: a position (the vertex is an M3d, so it takes part in vector
/// arithmetic directly) and the faces of its mesh that use it, in the order
/// they were added to the mesh. A mesh owns its vertices.
class Vertex : public Sorvex::M3d {
public:
    Vertex() = default;
    explicit Vertex(const Sorvex::M3d& position) : Sorvex::M3d(position) {}
    /// Copies the position only: the copy belongs to no mesh and no face.
    Vertex(const Vertex& other) : Sorvex::M3d(other) {}
    /// Assignment moves the vertex; its faces and mesh stay as they are.
    Vertex& operator=(const Vertex& other) {
        setPosition(other);
        return *this;
    }
    Vertex& operator=(const Sorvex::M3d& p) {
        setPosition(p);
        return *this;
    }

    /// Vertices come from and go back to a list of free blocks per thread
    /// (BlockRecycler), as faces do.
    static void* operator new(std::size_t size);
    static void operator delete(void* p, std::size_t size) noexcept;
    static void* operator new(std::size_t, void* where) noexcept { return where; }

    Sorvex::M3d& getPosition() { return *this; }
    const Sorvex::M3d& getPosition() const { return *this; }
    void setPosition(const Sorvex::M3d& p) { Sorvex::M3d::operator=(p); }

    /// Faces of the owning mesh that use this vertex, in incidence order.
    std::span<Poly* const> getPolys() const { return m_polys.view(); }
    std::size_t getPolyCount() const { return m_polys.size(); }
    Poly* getPoly(std::size_t i) const { return m_polys[i]; }

    /// A face other than `exclude` that has the edge between this vertex and
    /// `other` (in either direction); the first in incidence order, or null.
    Poly* findOtherPoly(const Poly* exclude, const Vertex* other) const;

    /// Number of distinct vertices joined to this one by an edge of its faces.
    /// O(f^2) in the number of incident faces f (small on real meshes).
    int getEdgeCount() const;
    /// The i-th distinct vertex joined to this one by an edge, in incidence
    /// order (per face: the next vertex of the ring, then the previous one);
    /// null when i is out of range.
    Vertex* findOtherVertex(int i) const;

    /// Replaces `out` with the distinct vertices joined to this one by an edge,
    /// in findOtherVertex order.
    void collectOtherVertices(std::vector<Vertex*>& out) const;

    /// The mesh whose vertex list holds this vertex, or null.
    PolyMesh* getMesh() const { return m_mesh; }

private:
    friend class PolyMesh;
    friend class MeshLinks;
    template <typename> friend class SlotList;

    /// Room for eight faces inside: a corner of a triangle mesh has six on average.
    InlineArray<Poly*, 8> m_polys;
    PolyMesh* m_mesh = nullptr;
    /// Position in the owning mesh's vertex list (see SlotList).
    std::size_t m_slot = 0;
};
