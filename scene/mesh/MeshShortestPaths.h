#pragma once

#include "sorvex/DjikstraDistance.h"

#include <cstdint>
#include <vector>

class PolyMesh;
class Vertex;

/// Shortest paths along a mesh's edges between all its vertices, each edge weighted by its
/// length: the state behind PolyMesh::getShortestPaths, shared by whatever needs geodesic
/// distances over the edge graph (the path display, star-shaped cut graphs).
///
/// Nodes are the vertices in list order, so node i is the mesh's vertex i. The all-pairs
/// relaxation runs one pivot per step: callers spread it over idle ticks with advance()
/// and may read the distances and paths found so far at any time. Memory is n² floats and
/// n² paths for n vertices, so the state is built only when asked for.
class MeshShortestPaths {
public:
    /// Starts over for `mesh` as it is now. False (and an empty state) when the tables for
    /// its vertices cannot be allocated.
    bool reset(const PolyMesh& mesh);

    /// Up to `pivots` pivot steps; returns isDone().
    bool advance(int pivots);
    bool isDone() const { return m_paths.done(); }
    /// False when the last reset could not allocate the tables: nothing is known then.
    bool isReady() const { return m_ready; }
    /// Fraction of the pivot steps done; 1 for a mesh without vertices.
    float getProgress() const { return m_paths.getProgress(); }
    /// The mesh revision the state describes (PolyMesh::getRevision at reset).
    std::uint64_t getRevision() const { return m_revision; }
    int getVertexCount() const { return m_paths.getSize(); }

    /// Length of the shortest known edge path; DjikstraDistance::NoPath when none is known.
    float getDistance(const Vertex* a, const Vertex* b) const;
    /// The shortest known path from a to b, both ends included; empty when none is known.
    std::vector<Vertex*> getPath(const Vertex* a, const Vertex* b) const;
    /// The underlying all-pairs table (nodes are Vertex pointers).
    const Sorvex::DjikstraDistance& getTable() const { return m_paths; }

private:
    Sorvex::DjikstraDistance m_paths;
    std::uint64_t m_revision = 0;
    bool m_ready = false;
};
