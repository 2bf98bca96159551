#include "blobby/Octree.h"

#include "blobby/Force.h"
#include "blobby/OctreeCases.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

// Offset of corner k in units of the half-sizes; child k sits in the same octant.
constexpr int Corner[8][3] = {{-1, -1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, -1, -1},
                              {1, 1, -1},   {1, 1, 1},   {-1, 1, 1}, {-1, 1, -1}};
// Corner pairs of the twelve edges; the first corner is where interpolation starts.
constexpr int Edge[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {0, 7}, {1, 6},
                             {2, 5}, {3, 4}, {7, 6}, {6, 5}, {5, 4}, {4, 7}};
constexpr int Opposite[6] = {1, 0, 4, 5, 2, 3};
// The lattice point of each corner.
constexpr int CornerLattice[8] = {0, 2, 8, 6, 24, 26, 20, 18};

// For child k and direction d: where its same-level neighbour lives (-1: a sibling, else
// this cell's neighbour in that direction) and which child it is there.
struct ChildLink {
    int cell;
    int child;
};
constexpr ChildLink ChildNeighbor[8][6] = {
    {{0, 7}, {-1, 7}, {2, 1}, {3, 3}, {-1, 1}, {-1, 3}},
    {{0, 6}, {-1, 6}, {-1, 0}, {3, 2}, {4, 0}, {-1, 2}},
    {{0, 5}, {-1, 5}, {-1, 3}, {-1, 1}, {4, 3}, {5, 1}},
    {{0, 4}, {-1, 4}, {2, 2}, {-1, 0}, {-1, 2}, {5, 0}},
    {{-1, 3}, {1, 3}, {2, 5}, {-1, 7}, {-1, 5}, {5, 7}},
    {{-1, 2}, {1, 2}, {-1, 4}, {-1, 6}, {4, 4}, {5, 6}},
    {{-1, 1}, {1, 1}, {-1, 7}, {3, 5}, {4, 7}, {-1, 5}},
    {{-1, 0}, {1, 0}, {2, 6}, {3, 4}, {-1, 6}, {-1, 4}},
};

// For edge e: the two face neighbours that share it (direction, their edge index).
struct EdgeShare {
    int dir;
    int edge;
};
constexpr EdgeShare SharedEdge[12][2] = {
    {{0, 8}, {3, 2}},  {{0, 9}, {4, 3}},  {{0, 10}, {5, 0}}, {{0, 11}, {2, 1}},
    {{2, 5}, {3, 7}},  {{3, 6}, {4, 4}},  {{4, 7}, {5, 5}},  {{5, 4}, {2, 6}},
    {{1, 0}, {3, 10}}, {{1, 1}, {4, 11}}, {{1, 2}, {5, 8}},  {{1, 3}, {2, 9}},
};

// Lattice points are numbered 9(y+1) + 3(x+1) + (z+1).
int latticeIndex(int x, int y, int z) {
    return 9 * (y + 1) + 3 * (x + 1) + (z + 1);
}
void latticeOffset(int i, int o[3]) {
    o[0] = (i / 3) % 3 - 1;
    o[1] = i / 9 - 1;
    o[2] = i % 3 - 1;
}
int cornerOf(const int o[3]) {
    for (int k = 0; k < 8; ++k)
        if (Corner[k][0] == o[0] && Corner[k][1] == o[1] && Corner[k][2] == o[2])
            return k;
    return -1;
}
// The face-neighbour direction along axis a (0 x, 1 y, 2 z) towards sign s.
int directionOf(int axis, int sign) {
    constexpr int Dir[3][2] = {{3, 5}, {0, 1}, {2, 4}};
    return Dir[axis][sign > 0 ? 1 : 0];
}

std::atomic<long> g_evaluations{0};

} // namespace

int Octree::g_defaultMinLevel = 0;

long Octree::GetEvaluationCount() {
    return g_evaluations.load(std::memory_order_relaxed);
}

void Octree::ResetEvaluationCount() {
    g_evaluations.store(0, std::memory_order_relaxed);
}

Octree::Octree(const Sorvex::M3d& centre, const Sorvex::M3d& extents, Octree* parent)
    : m_parent(parent), m_centre(centre), m_extents(extents),
      m_level(parent ? parent->m_level + 1 : 0) {
    OctreeFaceVertices();
}

Octree::~Octree() {
    for (Octree*& child : m_children) {
        delete child;
        child = nullptr;
    }
    for (RefCountedVector* v : m_edges)
        if (v)
            v->removeUser(this);
    for (RefCountedVector* v : m_goals)
        v->removeUser(this);
}

double Octree::GetMinExtent() const {
    return std::min({m_extents.x(), m_extents.y(), m_extents.z()});
}

const Sorvex::M3d& Octree::GetVertex(int t, int i) const {
    return *m_edges[OctreeFaceVertices()[m_cornerFlags][t][i]];
}

Sorvex::M3d Octree::cornerPosition(int k) const {
    return m_centre + (Sorvex::M3d(Corner[k][0], Corner[k][1], Corner[k][2]) & m_extents);
}

void Octree::SetNeighbor(int d, Octree* cell, bool reciprocal) {
    m_neighbors[d] = cell;
    if (reciprocal && cell)
        cell->m_neighbors[Opposite[d]] = this;
}

void Octree::SetEdge(int e, RefCountedVector* vertex) {
    m_edges[e] = vertex;
    vertex->addUser(this);
}

Octree* Octree::GetNeighborChild(int k, int d) const {
    const ChildLink link = ChildNeighbor[k][d];
    const Octree* cell = link.cell < 0 ? this : m_neighbors[link.cell];
    return cell ? cell->m_children[link.child] : nullptr;
}

bool Octree::GetValExpanded(int i, double& out) const {
    int o[3];
    latticeOffset(i, o);
    const int k = cornerOf(o);
    if (k >= 0 && m_valid[k]) {
        out = m_values[k];
        return true;
    }
    // Child c holds the point as its corner j where offset(c) + offset(j) = 2·o.
    for (int c = 0; c < 8; ++c) {
        const Octree* child = m_children[c];
        if (!child)
            continue;
        const int j[3] = {2 * o[0] - Corner[c][0], 2 * o[1] - Corner[c][1],
                          2 * o[2] - Corner[c][2]};
        const int corner = cornerOf(j);
        if (corner >= 0 && child->m_valid[corner]) {
            out = child->m_values[corner];
            return true;
        }
    }
    return false;
}

Octree* Octree::FindNearestNeighbor(int d) {
    if (d < 0)
        return this;
    for (Octree* cell = this; cell; cell = cell->m_parent)
        if (cell->m_neighbors[d])
            return cell->m_neighbors[d];
    return nullptr;
}

void Octree::ListThyself(OctreeTracker::CellList& list) {
    if (m_listed)
        return;
    if (m_level < g_defaultMinLevel) {
        m_listPos = list.insert(list.begin(), this);
    } else {
        // The cells at or above the minimum level are in ascending level order behind the
        // coarse ones, so "before the first cell of a greater level" is found from the back.
        auto pos = list.end();
        while (pos != list.begin() && (*std::prev(pos))->m_level > m_level)
            --pos;
        m_listPos = list.insert(pos, this);
    }
    m_listed = true;
}

void Octree::ListAtEnd(OctreeTracker::CellList& list) {
    if (m_listed)
        return;
    m_listPos = list.insert(list.end(), this);
    m_listed = true;
}

void Octree::UnlistThyself(OctreeTracker::CellList& list) {
    if (m_listed)
        list.erase(m_listPos);
    m_listed = false;
}

bool Octree::PerhapsAddGoal(RefCountedVector* vertex) {
    for (int a = 0; a < 3; ++a)
        if (std::fabs((*vertex)[a] - m_centre[a]) > m_extents[a])
            return false;
    m_goals.push_back(vertex);
    vertex->addUser(this);
    return true;
}

bool Octree::IsInteresting() const {
    if (!m_goals.empty())
        return true;
    bool below = false, above = false;
    for (double v : m_values)
        (v < 0.5 ? below : above) = true;
    return below && above;
}

void Octree::Reduce(Force& force, OctreeTracker& tracker) {
    m_reduced = true;
    double lattice[27];
    for (int i = 0; i < 27; ++i) {
        int o[3];
        latticeOffset(i, o);
        bool known = GetValExpanded(i, lattice[i]);
        // The same point seen from the face neighbours that contain it (x, y, z order).
        for (int a = 0; a < 3 && !known; ++a) {
            if (o[a] == 0)
                continue;
            const Octree* n = m_neighbors[directionOf(a, o[a])];
            if (!n)
                continue;
            int p[3] = {o[0], o[1], o[2]};
            p[a] = -p[a];
            known = n->GetValExpanded(latticeIndex(p[0], p[1], p[2]), lattice[i]);
        }
        // A point on an edge of the cell is also known to the cell diagonally across that
        // edge, reached through either face neighbour's link.
        for (int a = 0; a < 3 && !known; ++a)
            for (int b = a + 1; b < 3 && !known; ++b) {
                if (o[a] == 0 || o[b] == 0)
                    continue;
                const int da = directionOf(a, o[a]), db = directionOf(b, o[b]);
                const Octree* n = m_neighbors[da] ? m_neighbors[da]->m_neighbors[db] : nullptr;
                if (!n && m_neighbors[db])
                    n = m_neighbors[db]->m_neighbors[da];
                if (!n)
                    continue;
                int p[3] = {o[0], o[1], o[2]};
                p[a] = -p[a];
                p[b] = -p[b];
                known = n->GetValExpanded(latticeIndex(p[0], p[1], p[2]), lattice[i]);
            }
        if (!known) {
            Sorvex::M3d at = m_centre + (Sorvex::M3d(o[0], o[1], o[2]) & m_extents);
            lattice[i] = force(at);
            g_evaluations.fetch_add(1, std::memory_order_relaxed);
        }
    }

    const Sorvex::M3d half = m_extents * 0.5;
    for (int k = 0; k < 8; ++k) {
        if (m_children[k])
            continue;
        const Sorvex::M3d offset(Corner[k][0], Corner[k][1], Corner[k][2]);
        auto* child = new Octree(m_centre + (offset & half), half, this);
        m_children[k] = child;
        for (int d = 0; d < 6; ++d)
            if (Octree* n = GetNeighborChild(k, d))
                child->SetNeighbor(d, n, true);
        for (RefCountedVector* goal : m_goals)
            child->PerhapsAddGoal(goal);
        for (int j = 0; j < 8; ++j)
            child->SetVal(j, lattice[latticeIndex((Corner[k][0] + Corner[j][0]) / 2,
                                                  (Corner[k][1] + Corner[j][1]) / 2,
                                                  (Corner[k][2] + Corner[j][2]) / 2)]);
        child->CalculateEdges(tracker);
    }
    for (Octree* child : m_children)
        if (child->IsInteresting())
            tracker.track(child);
}

void Octree::CalculateEdges(OctreeTracker& tracker) {
    m_cornerFlags = 0;
    for (int k = 0; k < 8; ++k)
        if (!(m_values[k] < 0.5))
            m_cornerFlags |= 1 << k;

    for (int e = 0; e < 12; ++e) {
        if (m_edges[e])
            continue;
        const double va = m_values[Edge[e][0]], vb = m_values[Edge[e][1]];
        if ((va < 0.5) == (vb < 0.5))
            continue;
        RefCountedVector* vertex = nullptr;
        for (const EdgeShare& share : SharedEdge[e]) {
            const Octree* n = m_neighbors[share.dir];
            if (n && n->m_edges[share.edge]) {
                vertex = n->m_edges[share.edge];
                break;
            }
        }
        if (!vertex) {
            const Sorvex::M3d pa = cornerPosition(Edge[e][0]);
            const Sorvex::M3d pb = cornerPosition(Edge[e][1]);
            vertex = new RefCountedVector(pa + (pb - pa) * ((0.5 - va) / (vb - va)));
            // Hold the vertex while it is handed out, so no neighbour's refusal frees it.
            SetEdge(e, vertex);
            for (const EdgeShare& share : SharedEdge[e]) {
                if (Octree* n = m_neighbors[share.dir]) {
                    n->SetEdge(share.edge, vertex);
                } else if (m_parent) {
                    // A coarser cell there takes the vertex as a goal, which pulls it down
                    // to this level so the surface closes across the level change.
                    Octree* near = m_parent->FindNearestNeighbor(share.dir);
                    if (near && near->PerhapsAddGoal(vertex))
                        tracker.track(near);
                }
            }
            continue;
        }
        SetEdge(e, vertex);
    }

    const auto& table = OctreeFaceVertices()[m_cornerFlags];
    m_faceCount = 0;
    while (m_faceCount < 5 && table[m_faceCount][0] >= 0)
        ++m_faceCount;
    for (int t = 0; t < m_faceCount; ++t) {
        const Sorvex::M3d& p = GetVertex(t, 0);
        const Sorvex::M3d& q = GetVertex(t, 1);
        const Sorvex::M3d& r = GetVertex(t, 2);
        Sorvex::M3d n;
        n.cross(q - p, r - p);
        const double len = n.length();
        m_normals[t] = len > 0 ? n / len : Sorvex::M3d(0, 0, 0);
    }
}
