#pragma once

#include <list>

class Octree;

/// Drives the refinement of an octree: subdivision hands it every interesting new cell.
/// The lists keep the order the polygoniser defines (a linked list: cells leave from the
/// middle and enter before the first cell of a greater level).
class OctreeTracker {
public:
    using CellList = std::list<Octree*>;

    virtual ~OctreeTracker() = default;
    /// A cell worth refining further (crossed by the surface or holding a goal).
    virtual void track(Octree* cell) { (void)cell; }

    int getMinLevel() const { return m_minLevel; }
    int getMaxLevel() const { return m_maxLevel; }
    CellList& getRefinedOctrees() { return m_finished; }
    CellList& getOctreesInProgress() { return m_inProgress; }

protected:
    int m_minLevel = 3;
    int m_maxLevel = 5;
    CellList m_finished;
    CellList m_inProgress;
};
