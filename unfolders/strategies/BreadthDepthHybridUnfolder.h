#pragma once

#include "unfolders/strategies/BreadthFirstUnfolder.h"

/// Pops like breadth first but pushes attached faces at the front, so the
/// last neighbour attached is expanded next.
class BreadthDepthHybridUnfolder : public BreadthFirstUnfolder {
    VORN_DECLARE_FACTORY(BreadthDepthHybridUnfolder)

    BreadthDepthHybridUnfolder() = default;

protected:
    void enqueue(Poly* placed) override { queue.push_front(placed); }
};
