#pragma once

#include "unfolders/strategies/BreadthFirstUnfolder.h"

/// Breadth first with depth labels: every net face carries its tree depth
/// (user data "isu"). When a face is refused because it would overlap a net
/// face deeper than the current depth plus one, that deeper face's subtree
/// is pruned and the face is tried again.
class IntelligentBreadthFirstUnfolder : public BreadthFirstUnfolder {
    VORN_DECLARE_FACTORY(IntelligentBreadthFirstUnfolder)

    IntelligentBreadthFirstUnfolder() = default;

    void unfold() override;

    /// Removes net face `p` and the subtree below it (net neighbours with a
    /// greater depth), dequeuing their source faces. Returns p's parent (the
    /// last net neighbour not deeper than p), or null.
    Poly* pruneTree(Poly* p);

    /// The depth label of net face `f`; 0 when it has none.
    static int getDepth(const Poly* f);

protected:
    Poly* setStartingFace(Poly* p) override;

private:
    static void setDepth(Poly* f, int depth);
};
