#pragma once

#include "unfolders/strategies/BreadthFirstUnfolder.h"

/// Grows the net depth first: the face at the front of the queue attaches
/// its first attachable neighbour (cyclically from its lowest), which goes
/// to the front; a face with nothing left to attach leaves the queue. Ten
/// iterations per call.
class DepthFirstUnfolder : public BreadthFirstUnfolder {
    VORN_DECLARE_FACTORY(DepthFirstUnfolder)

    DepthFirstUnfolder() = default;

    void unfold() override;
};

/// Depth first with the overlap check off: every face is placed.
class DepthFirstWithoutErrorCorrectionUnfolder : public DepthFirstUnfolder {
    VORN_DECLARE_FACTORY(DepthFirstWithoutErrorCorrectionUnfolder)

    DepthFirstWithoutErrorCorrectionUnfolder() { setCheckIntersections(false); }
};
