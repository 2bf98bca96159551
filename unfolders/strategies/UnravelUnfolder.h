#pragma once

#include <deque>

#include "unfolders/engine/Unfolder.h"

/// Peels the surface off in a band winding downwards round the mesh, backing up
/// when it gets stuck: the face at the front of the stack tries its unplaced
/// neighbours in order of preference (support/UnravelDirection.h) until one is
/// placed, which goes on the stack's front; a face leaves the stack once none of
/// its neighbours could be placed, or when the one placed was its only candidate.
/// Refused neighbours are skipped without a trace. One step per call.
class UnravelUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(UnravelUnfolder)

    UnravelUnfolder() = default;

    void unfold() override;
    /// The stack is empty, or holds as many faces as the source mesh.
    bool isDone() override;

    /// The source faces to continue from, the next one first.
    const std::deque<Poly*>& getQueue() const { return queue; }

protected:
    /// The base placement; the stack then holds `f` alone.
    Poly* setStartingFace(Poly* f) override;

    std::deque<Poly*> queue;
};
