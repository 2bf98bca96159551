#pragma once

#include "unfolders/engine/Unfolder.h"

/// Peels the surface off as one chain of faces winding downwards round the mesh:
/// from the current face it attaches the unplaced neighbour lying furthest in the
/// preferred direction (support/UnravelDirection.h) and moves on to it. The run
/// ends at a dead end or at the first refused face, which is then shown in the
/// net as a conflict (placed, untwinned, with its overlaps recorded). Gaps are
/// not filled: the chain is the answer. Up to 100 steps per call.
class FastUnravelUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(FastUnravelUnfolder)

    FastUnravelUnfolder() = default;

    void unfold() override;
    /// The chain has ended (or the unfolder was never bound).
    bool isDone() override { return current == nullptr; }
    bool allowAutoComplete() override { return false; }

    /// The source face the chain continues from; null once it has ended.
    Poly* getCurrentFace() const { return current; }

protected:
    /// A fresh overlap index over x and z from -10000 to 10000, then the base
    /// placement; `f` becomes the current face.
    Poly* setStartingFace(Poly* f) override;

    Poly* current = nullptr;
};
