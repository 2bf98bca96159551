#pragma once

#include <utility>
#include <vector>

class Poly;
class Vertex;

/// Keeps face adjacency current through shared vertices. The face across
/// edge i of f is another face that has the edge {vertex i, vertex i+1} in
/// either direction. Links are always mutual: where more than two faces share
/// an edge, each face links to at most one other, the first in incidence order
/// whose matching edge is still free; removing a face frees its partners'
/// edges and links them again when another candidate is waiting.
/// Cost per face: O(sides x faces per vertex), independent of the mesh size.
class MeshLinks {
public:
    /// Registers f with its vertices and links each of its edges.
    static void attach(Poly& f);
    /// Unlinks f from its neighbours (relinking them where possible) and from
    /// its vertices. f keeps its ring.
    static void detach(Poly& f);

    /// Replaces ring positions [first, first + count) of f (cyclic) by `inserted`, keeping
    /// f registered: only the count + 1 edges the span touches are unlinked and the edges
    /// around the inserted vertices linked again. When the span runs past the ring's end the
    /// inserted vertices are appended, so the ring then starts after the span. The caller
    /// has checked that the result is a valid ring.
    static void splice(Poly& f, int first, int count, const std::vector<Vertex*>& inserted);

    /// Ring index j such that edge j of f joins a and b (either direction)
    /// and, when `requireFree`, has no neighbour yet; -1 when there is none.
    static int findEdge(const Poly& f, const Vertex* a, const Vertex* b, bool requireFree);

private:
    /// Links edge i of f to a free matching edge of another face, if any.
    static void linkEdge(Poly& f, int i);
    /// Clears edge i of f and the partner edge pointing back at it; returns the partner
    /// (face and edge index) so that it can be offered to other faces afterwards.
    static std::pair<Poly*, int> unlinkEdge(Poly& f, int i);
    /// Takes f out of v's incident faces.
    static void leave(Vertex& v, const Poly& f);
};
