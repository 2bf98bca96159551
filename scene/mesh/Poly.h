#pragma once

#include "scene/mesh/InlineArray.h"
#include "sorvex/M3d.h"

#include <atomic>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace Sorvex {
class M4x4;
}
class PolyMesh;
class Vertex;

/// A polygon face: an ordered ring of vertices. Edge i runs from vertex i to
/// vertex i+1; vertex and edge indices are taken modulo the side count, so -1
/// is the last one. Inside a mesh each edge knows the face across it.
///
/// A face stores a normal and a scalar, the face's area; both are recomputed
/// together (computeNormal). A face may be twinned with a face of another mesh
/// (a net face with its source face) and carries keyed user data.
class Poly {
public:
    using UserDataDeleter = void (*)(void*);

    Poly() = default;
    /// A face on the given ring (copied); the normal and area are computed at once.
    explicit Poly(std::span<Vertex* const> ring);
    /// Marks the constructor that leaves the normal and area at zero, for a caller that
    /// moves the corners at once (transform computes them).
    struct NormalLater {};
    Poly(std::span<Vertex* const> ring, NormalLater);
    Poly(std::initializer_list<Vertex*> ring)
        : Poly(std::span<Vertex* const>(ring.begin(), ring.size())) {}
    /// A copy of `source` for `mesh`: new vertices at the same positions, added
    /// to `mesh` in ring order, and the source's normal and scalar. The face
    /// itself is not added to the mesh; twin and user data are not copied.
    /// With a null mesh the new vertices belong to no mesh until the face is
    /// added to one.
    Poly(const Poly& source, PolyMesh* mesh);
    Poly(const Poly&) = delete;
    Poly& operator=(const Poly&) = delete;
    /// Leaves its mesh (if any), runs the user-data deleters and clears the twin
    /// link of every face that points at this one.
    virtual ~Poly();

    /// Faces come from and go back to a list of free blocks per thread (BlockRecycler):
    /// meshes are built and dropped by the thousand in a batch.
    static void* operator new(std::size_t size);
    static void operator delete(void* p, std::size_t size) noexcept;
    static void* operator new(std::size_t, void* where) noexcept { return where; }

    int getVertexCount() const { return int(m_vertices.size()); }
    /// Vertex i, index taken modulo the side count; null for an empty ring. Inline: the
    /// layouts ask for vertices and neighbours millions of times.
    Vertex* getVertex(int i) const { return m_vertices.empty() ? nullptr : m_vertices[wrap(i)]; }
    std::span<Vertex* const> getVertices() const { return m_vertices.view(); }
    /// Ring index of `v`, or -1. Looks near the last answer first, so walking a long ring
    /// (a polygon of thousands of sides) costs O(1) per step instead of O(n).
    int getVertexIndex(const Vertex* v) const;

    /// The face across edge i (modulo the side count), or null. O(1).
    Poly* getNeighbor(int i) const { return m_neighbors.empty() ? nullptr : m_neighbors[wrap(i)]; }
    /// Index of the first edge whose neighbour is `p`, or -1.
    int getNeighborIndex(const Poly* p) const;

    const Sorvex::M3d& getNormal() const { return m_normal; }
    void setNormal(const Sorvex::M3d& n) { m_normal = n; }
    /// The face scalar: the area, as of the last computeNormal().
    double getScalar() const { return m_scalar; }
    void setScalar(double s) { m_scalar = s; }
    double getArea() const { return m_scalar; }
    /// True when the face has no area to speak of (its corners lie on one line, or it
    /// folds back onto itself): its area is at most MeshData::kFlatFaceShare times the
    /// square of its longest side. Such a face has no direction of its own.
    bool hasNoArea() const;
    /// Mean of the vertex positions; (0, 0, 0) for an empty ring.
    Sorvex::M3d getCenter() const;

    /// Recomputes the unit normal (Newell's method, so slightly non-planar
    /// rings get a fair average; counter-clockwise rings face the viewer) and
    /// the area. A degenerate ring gets the normal (0, 0, 0) and area 0.
    void computeNormal();
    /// Call after moving vertices: refreshes the normal and area.
    void onVerticesChanged() { computeNormal(); }
    /// Applies `m` to every vertex except those at ring indices skipA and skipB
    /// (taken modulo the side count; -1 for none), then refreshes the normal
    /// and area. Vertices shared with other faces move for them too.
    void transform(const Sorvex::M4x4& m, int skipA = -1, int skipB = -1);

    /// Links this face to `twin` (one direction; the caller twins both ways).
    /// When a face is destroyed, every face pointing at it loses that link.
    void setTwin(Poly* twin);
    Poly* getTwin() const { return m_twin; }

    /// Stores data under `key` (compared as text). Replacing data runs the old
    /// deleter; destruction runs the deleters of all data. Storing null with no
    /// deleter removes the key.
    void setUserData(const char* key, void* data, UserDataDeleter deleter = nullptr);
    /// The data stored under `key`, or null.
    void* getUserData(const char* key) const;

    /// The mesh whose face list holds this face, or null.
    PolyMesh* getMesh() const { return m_mesh; }

private:
    friend class PolyMesh;
    friend class MeshLinks;
    template <typename> friend class SlotList;

    struct UserDatum {
        std::string key;
        void* data;
        UserDataDeleter deleter;
    };

    /// What few faces need, kept out of line so that a face stays small and a huge
    /// mesh's faces cost one allocation less each.
    struct Extras {
        std::vector<Poly*> moreTwinnedBy;
        std::vector<UserDatum> userData;
    };

    int wrap(int i) const {
        const int n = int(m_vertices.size());
        // Most callers pass an index in range: spare them the division.
        if (unsigned(i) < unsigned(n))
            return i;
        const int r = i % n;
        return r < 0 ? r + n : r;
    }
    void dropUserDatum(std::size_t index);
    Extras& extras();
    void addTwinnedBy(Poly* p);
    void removeTwinnedBy(Poly* p);

    InlineArray<Vertex*, 4> m_vertices;
    /// Parallel to m_vertices: the face across edge i; kept by the mesh.
    InlineArray<Poly*, 4> m_neighbors;
    Sorvex::M3d m_normal;
    double m_scalar = 0;
    Poly* m_twin = nullptr;
    /// Faces whose twin is this face, so their links can be cleared on destruction:
    /// almost always none or one, held here; further ones wait in the extras.
    Poly* m_twinnedBy = nullptr;
    std::unique_ptr<Extras> m_extras;
    PolyMesh* m_mesh = nullptr;
    std::size_t m_slot = 0;
    /// Where getVertexIndex last found a vertex. Only a hint, checked before use; atomic
    /// because several threads may read one mesh.
    mutable std::atomic<int> m_indexHint{0};
};
