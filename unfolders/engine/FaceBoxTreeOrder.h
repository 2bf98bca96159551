#pragma once

#include <cstdint>
#include <vector>

#include "unfolders/engine/FaceBox.h"

/// The order in which the face-box index answers: the order of the k-d tree its
/// region defines, the way a net has always met it.
///
/// The tree over a region splits each node in half along its axis (z at the root
/// unless told otherwise, then alternating) while the node is wider than
/// `MinSplitWidth`, and a box belongs to the deepest node whose region wholly
/// contains it. Tree order lists a node's boxes, then the low subtree's, then the
/// high one's. Within a node, boxes stored since the region last grew keep their
/// insertion order and follow the older ones, which keep the tree order of the
/// region before (growing used to insert every box again in tree order).
///
/// Nothing is stored per box: the order compares two boxes by descending the trees
/// of the current and, where needed, the earlier regions, so a net that grows its
/// region a hundred times pays only on the queries that find several overlaps.
/// Cost per comparison: O(depth) per region looked at, usually only the current.
class FaceBoxTreeOrder {
public:
    /// Nodes no wider than this along their axis do not split.
    static constexpr double MinSplitWidth = 0.0001;

    /// An axis-aligned region of the net plane with the axis its root splits.
    struct Region {
        double minX, maxX, minZ, maxZ;
        bool splitOnX;
        bool contains(const FaceBox& box) const {
            return minX <= box.minX && minZ <= box.minZ && box.maxX <= maxX && box.maxZ <= maxZ;
        }
    };

    /// An order over `region` in which no box has been inserted yet.
    explicit FaceBoxTreeOrder(const Region& region);

    const Region& getRegion() const { return generations.back().region; }
    /// Makes `region` the current one; boxes inserted from `nextSequence` on are new
    /// to it. Nothing happens when the region does not change.
    void setRegion(const Region& region, std::uint64_t nextSequence);
    /// Forgets the earlier regions: call it when no box is stored any more.
    void forgetHistory(std::uint64_t nextSequence);
    /// Moves every region by (dx, dz), as the stored boxes move.
    void shift(double dx, double dz);
    /// How many regions the order remembers (1 until the region first grows).
    std::size_t getGenerationCount() const { return generations.size(); }

    /// Whether box `a` (inserted as number `seqA`) comes before box `b` (`seqB`).
    bool precedes(const FaceBox& a, std::uint64_t seqA, const FaceBox& b,
                  std::uint64_t seqB) const;

private:
    struct Generation {
        Region region;
        std::uint64_t firstSequence; // boxes numbered from here on came in this generation
    };
    /// Tree order of generation `g`.
    bool precedesInTree(std::size_t g, const FaceBox& a, std::uint64_t seqA, const FaceBox& b,
                        std::uint64_t seqB) const;
    /// Order within one node of generation `g`.
    bool precedesInNode(std::size_t g, const FaceBox& a, std::uint64_t seqA, const FaceBox& b,
                        std::uint64_t seqB) const;

    std::vector<Generation> generations;
};
