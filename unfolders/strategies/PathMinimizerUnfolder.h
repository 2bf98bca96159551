#pragma once

#include <cstddef>
#include <queue>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "unfolders/engine/Unfolder.h"

/// Grows the net like Dijkstra's algorithm over face centres: each call
/// expands the placed face with the shortest centre-to-centre path back to the
/// starting face (the first in net order on ties), attaching every unplaced
/// neighbour it can. A face none of whose neighbours can be attached is never
/// expanded again (its path value becomes -1).
class PathMinimizerUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(PathMinimizerUnfolder)

    PathMinimizerUnfolder() = default;

    void unfold() override;
    bool isDone() override { return done; }
    void clear() override;

    /// The path value of source face `f`: the centre-to-centre length of its path to
    /// the starting face, -1 once it cannot be expanded; 0 when it has none yet.
    double getPathValue(Poly* f) const;

private:
    /// A net face waiting to be expanded, ordered by path value, then net position.
    using Entry = std::tuple<double, std::size_t, Poly*>;
    /// Brings the net faces added since the last call into the queue.
    void syncQueue();
    /// Whether source face `t` has an unplaced neighbour.
    static bool hasUnplacedNeighbor(const Poly& t);

    bool done = false;
    /// Source face -> path value (a missing entry reads as 0). Looked up, never iterated.
    std::unordered_map<Poly*, double> pathValues;
    /// The net faces by (path value, net position): the smallest is the one a scan of
    /// the net in list order keeping only strictly smaller values would choose.
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
    std::size_t queued = 0;     // net faces queued so far
    Poly* lastQueued = nullptr; // the last of them, to notice a net laid afresh
};
