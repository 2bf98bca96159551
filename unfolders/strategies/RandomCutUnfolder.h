#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "unfolders/engine/Unfolder.h"

/// Lays one random spanning tree of the faces per step with the overlap check
/// off and judges the net by its overlaps. Counts the distinct trees drawn and
/// the successful ones (a tree drawn again counts for neither) and keeps the
/// last successful tree so it can be shown again. When repeating, it never
/// reports done and draws a new tree on every step.
class RandomCutUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(RandomCutUnfolder)

    RandomCutUnfolder() { checkIntersections = false; }

    /// Draws a random tree, lays it out, judges and counts it.
    void unfold() override;
    /// Repeating is off and at least two faces are laid (or a source of
    /// one face has had its one draw).
    bool isDone() override;
    int getSuccessCount() override { return int(successCount); }
    /// The number of distinct trees drawn.
    int getNumUnfoldings() override { return int(triedTrees.size()); }

    void setRepeating(bool on) { repeating = on; }
    bool isRepeating() const { return repeating; }
    /// Lays the last successful tree again; false when there is none yet.
    bool lastSuccess();

    /// Fills `tree` with a random spanning tree of the faces of the root's
    /// component, grown by random choice of frontier edges from a random root.
    /// Every draw comes from the thread's generator (common/Random.h).
    static void BuildRandomUnfolding(PolyMesh& mesh, Tree<Poly*>& tree);
    /// The text key of a tree's parent-child edges, as the distinct-tree count uses.
    static std::string TreeKey(const Tree<Poly*>& tree);

protected:
    /// A fresh random tree of the source, laid out; true when every face of
    /// the tree was placed.
    bool layRandomTree(Tree<Poly*>& tree);

    bool repeating = false;
    bool drawn = false;
    /// The parent-child pairs of the last successful tree, over source faces.
    std::vector<std::pair<Poly*, Poly*>> lastSuccessTree;
    long successCount = 0;
    std::map<std::string, int> triedTrees;
};

/// The random cut with the overlap check on: a tree fails when a face is
/// refused. The net is left as laid when done.
class QuickRandomCutUnfolder : public RandomCutUnfolder {
    VORN_DECLARE_FACTORY(QuickRandomCutUnfolder)

    QuickRandomCutUnfolder() { checkIntersections = true; }
    void onDone() override {}
};

/// Draws up to 25 random trees per step, with the overlap check on, until one
/// lays out completely; nothing is counted and the last tree laid is shown.
class QuickRandomCutUnfolder25 : public RandomCutUnfolder {
    VORN_DECLARE_FACTORY(QuickRandomCutUnfolder25)

    QuickRandomCutUnfolder25() { checkIntersections = true; }
    void onDone() override {}
    void unfold() override;
};
