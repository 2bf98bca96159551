#pragma once

#include "blobby/OctreeTracker.h"
#include "blobby/RefCountedVector.h"
#include "sorvex/M3d.h"

#include <vector>

class Force;

/// One cell of the adaptive octree that polygonises the 0.5 level set of a Force.
///
/// A cell samples the field at its eight corners (values copied from its parent's 3x3x3
/// lattice, so each is evaluated once), places one vertex on each crossed edge, shared with
/// the face neighbours that meet at the edge, and looks its triangles up in the case table.
/// Corners, children, edges and the 27-point lattice follow the fixed numbering in
/// Octree.cpp; directions are 0 -y, 1 +y, 2 -z, 3 -x, 4 +z, 5 +x (-1: the cell itself).
///
/// Ownership: a cell owns its children; the root's owner deletes the root. Vertices and
/// goals are shared (RefCountedVector) and die with their last user.
class Octree {
public:
    Octree(const Sorvex::M3d& centre, const Sorvex::M3d& extents, Octree* parent);
    ~Octree();
    Octree(const Octree&) = delete;
    Octree& operator=(const Octree&) = delete;

    Octree* GetParent() const { return m_parent; }
    Octree* GetChild(int k) const { return m_children[k]; }
    Octree* GetNeighbor(int d) const { return d < 0 ? const_cast<Octree*>(this) : m_neighbors[d]; }
    RefCountedVector* GetEdge(int e) const { return m_edges[e]; }
    const std::vector<RefCountedVector*>& GetGoals() const { return m_goals; }
    const Sorvex::M3d& GetCenter() const { return m_centre; }
    /// Half-sizes per axis.
    const Sorvex::M3d& GetExtents() const { return m_extents; }
    double GetMinExtent() const;
    int GetLevel() const { return m_level; }
    double GetVal(int k) const { return m_values[k]; }
    bool GetValValid(int k) const { return m_valid[k]; }
    void SetVal(int k, double v) {
        m_values[k] = v;
        m_valid[k] = true;
    }
    bool isReduced() const { return m_reduced; }
    int GetCornerFlags() const { return m_cornerFlags; }
    int GetNumFaces() const { return m_faceCount; }
    const Sorvex::M3d& GetNormal(int t) const { return m_normals[t]; }
    /// Vertex i (0..2) of triangle t.
    const Sorvex::M3d& GetVertex(int t, int i) const;
    bool isListed() const { return m_listed; }

    void SetNeighbor(int d, Octree* cell, bool reciprocal);
    void SetEdge(int e, RefCountedVector* vertex);
    /// The same-level cell next to child k in direction d, or null.
    Octree* GetNeighborChild(int k, int d) const;
    /// The value at lattice point i from this cell's corners or its children's.
    bool GetValExpanded(int i, double& out) const;
    /// This cell's neighbour d, else its parent's, and so on up; null above the root.
    Octree* FindNearestNeighbor(int d);

    /// Enters the list (once): coarse cells below the default minimum level at the front,
    /// others before the first cell of a greater level.
    void ListThyself(OctreeTracker::CellList& list);
    void UnlistThyself(OctreeTracker::CellList& list);
    /// Enters the list at its end (once), whatever the level.
    void ListAtEnd(OctreeTracker::CellList& list);
    /// Takes `vertex` as a goal when it lies in the closed box of the cell.
    bool PerhapsAddGoal(RefCountedVector* vertex);
    /// Has a goal, or corner values on both sides of 0.5.
    bool IsInteresting() const;

    /// Creates the missing children with their corner values, vertices and triangles and
    /// hands the interesting ones to `tracker`. Evaluates `force` only at lattice points no
    /// cell nearby knows.
    void Reduce(Force& force, OctreeTracker& tracker);
    void CalculateEdges(OctreeTracker& tracker);

    static void SetDefaultMinLevel(int level) { g_defaultMinLevel = level; }
    static int GetDefaultMinLevel() { return g_defaultMinLevel; }
    /// Number of field evaluations made by Reduce since the last reset (for measurements).
    static long GetEvaluationCount();
    static void ResetEvaluationCount();

private:
    Sorvex::M3d cornerPosition(int k) const;

    Octree* m_parent;
    Octree* m_children[8] = {};
    Octree* m_neighbors[6] = {};
    RefCountedVector* m_edges[12] = {};
    std::vector<RefCountedVector*> m_goals;
    double m_values[8] = {};
    bool m_valid[8] = {};
    bool m_reduced = false;
    Sorvex::M3d m_centre;
    Sorvex::M3d m_extents;
    Sorvex::M3d m_normals[5];
    int m_cornerFlags = 0;
    int m_faceCount = 0;
    bool m_listed = false;
    int m_level;
    /// Position in the tracker list the cell is in, valid while listed.
    OctreeTracker::CellList::iterator m_listPos;

    static int g_defaultMinLevel;
};
