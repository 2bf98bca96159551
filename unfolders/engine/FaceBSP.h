#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "unfolders/engine/FaceBox.h"

class OverlapQuery;
class Poly;
class Renderer;

/// A node of the two-dimensional k-d tree over the net plane that indexes the
/// boxes of the net's faces, so that an overlap test only looks at faces whose
/// boxes reach the query's box.
///
/// The tree deepens lazily: every insertion that reaches a leaf splits it in
/// half along its axis, and a box is kept at the deepest node whose region
/// wholly contains it (a box straddling a split line stays above it). Boxes
/// outside the root's region must be brought in with `grow` first.
///
/// The boxes of a node keep their insertion order for every answer; inside,
/// they are sorted along the axis the node does not split, so that a query
/// tests only the few that can reach its box.
class FaceBSP {
public:
    /// Nodes no wider than this along their axis do not split.
    static constexpr double MinSplitWidth = 0.0001;
    /// Height offset of each level below its parent when the tree is drawn.
    static constexpr float DrawDepthStep = 0.2f;

    /// A fresh root: empty region, splitting on z, no boxes.
    FaceBSP();
    /// A root with the given region.
    FaceBSP(double minX, double maxX, double minZ, double maxZ, bool splitOnX, float drawDepth);
    FaceBSP(const FaceBSP&) = delete;
    FaceBSP& operator=(const FaceBSP&) = delete;
    ~FaceBSP();

    /// Stores a box at the deepest node whose region contains it.
    void insert(const FaceBox& box);
    /// Rebuilds the tree from this root (call it on a root only) with a region
    /// widened to take in `box`: on each side the box reaches beyond, the
    /// bound moves to the box's bound plus ten times the box's extent on that
    /// axis. The stored boxes are inserted again in `collectBoxes` order.
    void grow(const FaceBox& box);
    /// Whether the region wholly contains the box (bounds may touch).
    bool contains(const FaceBox& box) const {
        return minX <= box.minX && minZ <= box.minZ && box.maxX <= maxX && box.maxZ <= maxZ;
    }
    /// Removes the first box of `box.face` at the node that the box's extent
    /// leads to; false when it is not stored there.
    bool remove(const FaceBox& box);
    /// Takes back the most recent insert exactly: its box, the nodes it split, the
    /// node's extent and the insertion count, so that a face added on trial and taken
    /// out again leaves the tree as it was. O(depth + boxes at the node). False,
    /// changing nothing, when `box.face` is not the face last inserted or the tree
    /// changed since (a removal, a grow, a shift). Call it on a root.
    bool undoLastInsert(const FaceBox& box);
    /// Boxes stored in the whole tree, counted as they come and go. O(1).
    std::size_t getStoredCount() const { return shared->storedCount; }
    /// Whether no two stored faces can overlap because each box was stored right after
    /// `findFirst` found its face clear of every face stored then. The overlap test is
    /// symmetric and only a fold edge shared later makes it more lenient, so the faces'
    /// pairwise overlaps are then known to be none. Boxes stored without that check
    /// (or a `shift`, which rounds every box anew) make it false until the tree is new.
    bool isPairwiseClear() const { return shared->pairwiseClear; }
    /// Whether a stored face overlaps the box's face (see FacesOverlap). With
    /// a list, every such face is appended: this node's boxes in insertion
    /// order, then the low subtree, then the high one; without one the search
    /// stops at the first overlap.
    bool query(const FaceBox& box, std::vector<Poly*>* overlapping = nullptr) const;
    /// The first stored face, in the order `query` lists them, that overlaps
    /// the box's face; null when none does (remembered for `isPairwiseClear`).
    Poly* findFirst(const FaceBox& box) const;
    /// Moves every region and stored box by (dx, dz).
    void shift(double dx, double dz);
    /// Draws the regions as lines, each level lowered by its draw depth.
    void draw(Renderer* renderer, double height) const;

    /// All stored boxes: this node's in insertion order, then the low
    /// subtree's, then the high one's.
    void collectBoxes(std::vector<FaceBox>& out) const;
    /// Boxes in the whole subtree. Warning: O(nodes).
    size_t getBoxCount() const;
    /// Boxes kept at this node itself.
    size_t getLocalBoxCount() const { return entries.size(); }

    double getMinX() const { return minX; }
    double getMaxX() const { return maxX; }
    double getMinZ() const { return minZ; }
    double getMaxZ() const { return maxZ; }
    bool getSplitOnX() const { return splitOnX; }
    float getDrawDepth() const { return drawDepth; }
    const FaceBSP* getLow() const { return low; }
    const FaceBSP* getHigh() const { return high; }

private:
    /// What the most recent insert changed.
    struct LastInsert {
        bool valid = false;
        Poly* face = nullptr;
        FaceBSP* storedAt = nullptr;
        FaceBSP* firstSplit = nullptr; // null when the insert split no node
        std::size_t nodesBefore = 0;
        double extentBefore = 0;
        std::uint64_t sequence = 0;
    };
    struct Entry {
        double key; // see keyOf
        FaceBox box;
        std::uint64_t sequence;
    };
    /// What the nodes of one tree share: the node pool, the insertion count that
    /// orders the boxes of each node, and the scratch space of rebuilds.
    ///
    /// A rebuild hands the pool's nodes out again instead of freeing them: their
    /// entry lists keep their capacity, so that a net that grows its tree a hundred
    /// times does not allocate its nodes a hundred times.
    struct Shared {
        std::deque<FaceBSP> nodes; // nodes[0, used) are in the tree; the rest wait
        std::size_t used = 0;
        std::uint64_t nextSequence = 0;
        LastInsert last;
        std::size_t storedCount = 0;
        bool pairwiseClear = true;
        /// The box `findFirst` last found clear; valid until the next insert or shift.
        bool hasClearBox = false;
        FaceBox clearBox;
        std::vector<Entry> rebuildEntries;          // the stored boxes, collect order
        std::vector<std::uint32_t> rebuildOrder;    // indices into rebuildEntries
        std::vector<std::uint32_t> rebuildScratch;
    };

public:
    /// A node below a root (the tag type is private: only the tree makes them).
    struct ChildTag {
    private:
        friend class FaceBSP;
        ChildTag() = default;
    };
    FaceBSP(ChildTag, Shared* shared, double minX, double maxX, double minZ, double maxZ,
            bool splitOnX, float drawDepth);

private:
    /// A node of the pool (reused when one waits), split on `splitOnX`.
    FaceBSP* makeChild(double minX, double maxX, double minZ, double maxZ, bool splitOnX);
    void split();
    /// Appends this subtree's entries in `collectBoxes` order.
    void collectEntries(std::vector<Entry>& out) const;
    /// Stores the boxes `order[begin, end)` of `shared->rebuildEntries` in this empty
    /// subtree exactly where inserting them one by one in that order would, splitting
    /// the nodes they reach; each node's entries end sorted as `store` keeps them.
    void placeAll(std::size_t begin, std::size_t end);
    void store(const FaceBox& box);
    bool reaches(const FaceBox& box) const {
        return !(maxX < box.minX || maxZ < box.minZ || minX > box.maxX || minZ > box.maxZ);
    }
    /// The sort key of a box at this node: its minimum on the unsplit axis.
    double keyOf(const FaceBox& box) const;
    /// Calls `visit` with every local entry whose face overlaps the query's.
    template <typename Visit> void forCandidates(OverlapQuery& query, Visit&& visit) const;
    bool queryFrom(OverlapQuery& query, std::vector<Poly*>* overlapping) const;
    Poly* findFirstFrom(OverlapQuery& query) const;

    std::vector<Entry> entries; // sorted by keyOf
    /// The largest extent of a local box along the unsplit axis (never shrinks).
    double maxExtent = 0;
    FaceBSP* low = nullptr;
    FaceBSP* high = nullptr;
    double minX, maxX, minZ, maxZ;
    bool splitOnX;
    float drawDepth;
    std::unique_ptr<Shared> ownShared; // set at a root only
    Shared* shared;
};
