#pragma once

#include <deque>

#include "unfolders/engine/Unfolder.h"

/// Grows the net breadth first from the starting face: each expanded face
/// tries its neighbours cyclically from its lowest one, and every face
/// attached joins the back of the queue. Ten queue entries per call.
class BreadthFirstUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(BreadthFirstUnfolder)

    BreadthFirstUnfolder() = default;

    void unfold() override;
    bool isDone() override { return queue.empty(); }

    /// Index of the neighbour whose centre is lowest (smallest y); the first
    /// such index on ties; -1 when the face has no neighbour.
    static int findLowestNeighbor(Poly& f);

    const std::deque<Poly*>& getQueue() const { return queue; }

protected:
    /// Places `f` as the first net face and queues it; null on failure.
    Poly* setStartingFace(Poly* p) override;
    /// Attaches unplaced source face `n` to placed face `f` across their
    /// shared edge; returns `n` when it was placed, else null.
    Poly* attach(Poly* n, Poly& f);
    /// Queues a face just attached by unfold() for expansion: at the back here,
    /// so faces are expanded in the order they were placed.
    virtual void enqueue(Poly* placed) { queue.push_back(placed); }

    /// Source faces still to be expanded, front first. A deque, not a list: a huge
    /// net queues hundreds of thousands of faces, and a batch millions, and a list
    /// allocates and frees each entry on its own.
    std::deque<Poly*> queue;
};

/// Breadth first with the overlap check off: every face is placed.
class BreadthFirstWithoutErrorCorrectionUnfolder : public BreadthFirstUnfolder {
    VORN_DECLARE_FACTORY(BreadthFirstWithoutErrorCorrectionUnfolder)

    BreadthFirstWithoutErrorCorrectionUnfolder() { setCheckIntersections(false); }
};
