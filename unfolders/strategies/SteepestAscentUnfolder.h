#pragma once

#include <list>
#include <unordered_map>

#include "unfolders/engine/Unfolder.h"

/// Cuts every vertex to its highest-scored neighbour and lays out the whole
/// net from that cut graph in one step. Scores rank the vertices by `isLess`
/// (y, then x, then z); a vertex with no higher neighbour starts no cut. The
/// cut graph is a forest, so on a closed surface of genus 0 the net is one
/// piece. The overlap check is off: overlaps are found when done.
class SteepestAscentUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(SteepestAscentUnfolder)

    SteepestAscentUnfolder() { checkIntersections = false; }

    /// Binds as the base does, then scores the source's vertices.
    bool setParent(SceneObj* parent) override;
    /// Builds the steepest-ascent cut graph and lays the whole net from it.
    void unfold() override;
    bool allowAutoComplete() override { return false; }
    /// Every source face is in the net, or the net was laid and some face
    /// could not be placed (a degenerate face), so the run still ends.
    bool isDone() override;

    /// The vertices to score: the source's vertex list.
    virtual std::list<Vertex*>& getSortTarget();
    /// Lexicographic on the position: y, then x, then z.
    virtual bool isLess(Vertex* a, Vertex* b);
    /// Stable insertion sort of getSortTarget() by isLess, then scores 1, 2, ...
    virtual void sortVertices();

    /// The vertex's score (0 for a vertex that was not scored).
    int score(Vertex* v) const;
    /// The edge neighbour with the largest score above v's own; null when v
    /// is a local maximum. The first of equal scores wins.
    Vertex* findHighestNeighbor(Vertex* v) const;

    const std::list<Vertex*>& getSortedVertices() const { return sortedVertices; }

protected:
    /// Whether unfold() has laid a net since binding.
    bool laidOut = false;
    std::list<Vertex*> sortedVertices;
    std::unordered_map<Vertex*, int> scores;
    std::list<Vertex*> sortTarget;
};
