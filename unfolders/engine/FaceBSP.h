#pragma once

#include <cmath>
#include <cstdint>
#include <deque>
#include <limits>
#include <unordered_map>
#include <vector>

#include "unfolders/engine/FaceBox.h"
#include "unfolders/engine/FaceBoxTreeOrder.h"

class OverlapQuery;
class Poly;
class Renderer;

/// The index of the boxes of a net's faces in the net plane, so that an overlap test
/// only looks at faces whose boxes reach the query's box.
///
/// Two things make it up. The region (`getMinX` ... `getMaxZ`) grows tenfold round
/// each box that falls outside it (`grow`) and defines the order every answer lists
/// faces in (FaceBoxTreeOrder): the order of the k-d tree over the region. The search
/// itself runs on a k-d tree of its own (`getIndexRoot`) that never rebuilds: it
/// deepens lazily (every insertion reaching a leaf splits it in half along its axis,
/// and a box stays at the deepest node wholly containing it), and when the region
/// grows beyond it, the tree doubles upwards, keeping every node it had. So a net of
/// n faces costs O(n log n) however often its region grows.
///
/// A small index also keeps its boxes in one flat list, and `findFirst` scans that
/// instead of walking the tree: on a net of a few hundred faces the walk costs more
/// than testing every box. Both find the same faces (every box the tree could answer
/// overlaps the query's box with positive area, and the scan tests exactly that), and
/// the first in answer order is picked the same way, so the answer is the same.
class FaceBSP {
public:
    /// Nodes no wider than this along their axis do not split.
    static constexpr double MinSplitWidth = FaceBoxTreeOrder::MinSplitWidth;
    /// Up to this many boxes `findFirst` scans the flat list (see above); the scan
    /// stays cheaper than the walk well past a 200-face net.
    static constexpr std::size_t FlatScanLimit = 512;
    /// Height offset of each level below its parent when the tree is drawn.
    static constexpr float DrawDepthStep = 0.2f;

    /// A node of the search tree. Its boxes are sorted along the axis it does not
    /// split, so that a query tests only the few that can reach its box, and their span
    /// along the split axis is kept, so that a query beside it (as at most nodes on its
    /// way down) tests none.
    class Node {
    public:
        double getMinX() const { return minX; }
        double getMaxX() const { return maxX; }
        double getMinZ() const { return minZ; }
        double getMaxZ() const { return maxZ; }
        bool getSplitOnX() const { return splitOnX; }
        float getDrawDepth() const { return drawDepth; }
        const Node* getLow() const { return low; }
        const Node* getHigh() const { return high; }
        /// Boxes kept at this node itself.
        std::size_t getLocalBoxCount() const { return entries.size(); }

    private:
        friend class FaceBSP;
        /// 48 bytes: a huge net stores one per face.
        struct Entry {
            FaceBox box;
            std::uint64_t sequence : 63;
            std::uint64_t checked : 1; // stored right after findFirst found it clear (isPairwiseClear)
        };
        bool contains(const FaceBox& box) const {
            return minX <= box.minX && minZ <= box.minZ && box.maxX <= maxX && box.maxZ <= maxZ;
        }
        bool reaches(const FaceBox& box) const {
            return !(maxX < box.minX || maxZ < box.minZ || minX > box.maxX || minZ > box.maxZ);
        }
        /// The sort key of a box here: its minimum on the unsplit axis. Inline: the
        /// searches read it at every step.
        double keyOf(const FaceBox& box) const {
            const double key = splitOnX ? box.minZ : box.minX;
            // A NaN would break the sorted order; such a box overlaps nothing anyway.
            return std::isnan(key) ? -std::numeric_limits<double>::infinity() : key;
        }
        double extentOf(const FaceBox& box) const;
        void store(const Entry& entry);
        /// Removes entry `at` and its key.
        void erase(std::size_t at);
        void clearEntries();
        /// Calls `visit` with every local entry whose face overlaps the query's while
        /// it returns true; false when it stopped.
        template <typename Visit> bool forCandidates(OverlapQuery& query, Visit&& visit) const;

        // What a search reads at every node it passes comes first: the span of the local
        // boxes, where the children meet and the children themselves.
        /// The span of the local boxes along the split axis (an empty span without any):
        /// a query outside it meets none of them, so the search passes most nodes without
        /// touching their entries.
        double spanLow = std::numeric_limits<double>::infinity();
        double spanHigh = -std::numeric_limits<double>::infinity();
        /// Where the children meet on the split axis: low ends and high starts there, and
        /// both share this node's bounds elsewhere, so a search tells which child reaches
        /// its box without reading the child.
        double splitAt = 0;
        Node* low = nullptr;
        Node* high = nullptr;
        bool splitOnX = false;
        float drawDepth = 0;
        /// The largest extent of a local box along the unsplit axis (never shrinks).
        double maxExtent = 0;
        /// Sorted by key (keyOf), equal keys in the order they came in. A query that
        /// meets the span searches the keys in the entries themselves: a separate key
        /// array would cost every node a second allocation.
        std::vector<Entry> entries;
        double minX = 0, maxX = 0, minZ = 0, maxZ = 0;
    };

    /// An empty region (it takes the first box in with `grow`), splitting on z.
    FaceBSP();
    /// The given region, its root split on x or z, drawn `drawDepth` above the net.
    FaceBSP(double minX, double maxX, double minZ, double maxZ, bool splitOnX, float drawDepth);
    FaceBSP(const FaceBSP&) = delete;
    FaceBSP& operator=(const FaceBSP&) = delete;
    ~FaceBSP();

    /// Stores a box (one outside the search tree stays at its root).
    void insert(const FaceBox& box);
    /// Widens the region to take in `box`: on each side the box reaches beyond, the
    /// bound moves to the box's bound plus ten times the box's extent on that axis.
    void grow(const FaceBox& box);
    /// The region `grow(box)` makes of `region`: a bound the box reaches beyond moves
    /// to the box's bound plus ten times the box's extent on that axis. The tenfold
    /// margin keeps growth rare while a net spreads outwards.
    static FaceBox GrownRegion(FaceBox region, const FaceBox& box);
    /// Whether the region wholly contains the box (bounds may touch).
    bool contains(const FaceBox& box) const { return order.getRegion().contains(box); }
    /// Removes the first box of `box.face`, in the order answers list them, among
    /// those where the box's extent leads; false when none is stored there.
    bool remove(const FaceBox& box);
    /// Takes back the most recent insert exactly: its box, the nodes it split, the
    /// node's extent and the insertion count, so that a face added on trial and taken
    /// out again leaves the index as it was. O(depth + boxes at the node). False,
    /// changing nothing, when `box.face` is not the face last inserted or the index
    /// changed since (a removal, a grow, a shift).
    bool undoLastInsert(const FaceBox& box);
    /// Boxes stored in the index, counted as they come and go. O(1).
    std::size_t getStoredCount() const { return boxCount; }
    /// Whether no two stored faces can overlap because each box was stored right after
    /// `findFirst` found its face clear of every face stored then. The overlap test is
    /// symmetric and only a fold edge shared later makes it more lenient, so the faces'
    /// pairwise overlaps are then known to be none. Boxes stored without that check
    /// (or a `shift`, which rounds every box anew) make it false until the index is new.
    bool isPairwiseClear() const { return uncheckedKnown && unchecked.empty(); }
    /// What `query` with a list answers for each stored box, for the faces whose answer is
    /// not empty, found by asking only about the boxes stored without the check: two
    /// checked faces never overlap (see isPairwiseClear), so every overlap has an
    /// unchecked face on one side. False, finding nothing, when the index no longer knows
    /// which boxes those are (too many to be worth it, or a shift); then ask `query` for
    /// each. O(u log n) for u unchecked boxes.
    bool findAllOverlaps(std::unordered_map<Poly*, std::vector<Poly*>>& answers) const;
    /// Whether a stored face overlaps the box's face (see FacesOverlap). With a list,
    /// every such face is appended in the region's tree order (FaceBoxTreeOrder);
    /// without one the search stops at the first overlap.
    bool query(const FaceBox& box, std::vector<Poly*>* overlapping = nullptr) const;
    /// The first stored face, in the order `query` lists them, that overlaps the
    /// box's face; null when none does (remembered for `isPairwiseClear`).
    Poly* findFirst(const FaceBox& box) const;
    /// Moves the region, the search tree and every stored box by (dx, dz).
    void shift(double dx, double dz);
    /// Draws the search tree's regions as lines, each level lowered by its draw depth.
    void draw(Renderer* renderer, double height) const;

    /// All stored boxes in the region's tree order. Warning: O(n log n) comparisons.
    void collectBoxes(std::vector<FaceBox>& out) const;
    std::size_t getBoxCount() const { return boxCount; }

    double getMinX() const { return order.getRegion().minX; }
    double getMaxX() const { return order.getRegion().maxX; }
    double getMinZ() const { return order.getRegion().minZ; }
    double getMaxZ() const { return order.getRegion().maxZ; }
    /// The axis the region's root splits.
    bool getSplitOnX() const { return order.getRegion().splitOnX; }
    float getDrawDepth() const { return root->drawDepth; }
    /// The root of the search tree; its region contains the region above unless that
    /// could not be reached by doubling (not finite).
    const Node& getIndexRoot() const { return *root; }
    /// How many regions the answer order remembers (see FaceBoxTreeOrder).
    std::size_t getRegionGenerations() const { return order.getGenerationCount(); }
    /// Whether `findFirst` scans the flat list rather than walking the tree.
    bool isFlatScan() const { return flatKnown; }

private:
    /// What the most recent insert changed.
    struct LastInsert {
        bool valid = false;
        Poly* face = nullptr;
        Node* storedAt = nullptr;
        Node* firstSplit = nullptr; // null when the insert split no node
        std::size_t nodesBefore = 0;
        double extentBefore = 0;
        double spanBefore[2] = {0, 0};
        std::uint64_t sequence = 0;
        bool checked = false;
    };
    using Entry = Node::Entry;

    /// Stores an entry at the deepest node containing its box, splitting leaves on the
    /// way, and records what that changed in `last`.
    void place(const Entry& entry);
    /// Remembers an entry stored without the check, while they are few enough.
    void noteUnchecked(const Entry& entry);
    /// Forgets which entries were stored without the check: they count as all of them.
    void forgetUnchecked();
    /// Drops the entry numbered `sequence` from the flat list.
    void eraseFlat(std::uint64_t sequence);

    /// A node of the pool (reused when one waits).
    Node* makeNode(double minX, double maxX, double minZ, double maxZ, bool splitOnX,
                   float drawDepth);
    void split(Node& node);
    /// The deepest existing node whose region contains the box.
    Node* nodeFor(const FaceBox& box) const;
    /// The child of `node` whose region wholly contains `box`, or null; `box` lies within
    /// `node`. Tells it from splitAt alone, without reading the children.
    static Node* childHolding(const Node& node, const FaceBox& box);
    /// Doubles the search tree upwards until its root contains the region; when the
    /// region cannot be reached that way, rebuilds the tree over the region itself.
    void coverRegion();
    void rebuildOver(const FaceBoxTreeOrder::Region& region);
    void collectEntries(const Node* node, std::vector<const Entry*>& out) const;
    /// Calls `visit` with every stored entry whose face overlaps the query's, node
    /// by node, while it returns true; false when it stopped the walk.
    template <typename Visit>
    static bool visitOverlaps(const Node& node, OverlapQuery& query, Visit& visit);
    /// visitOverlaps below a node known to reach the query's box.
    template <typename Visit>
    static bool visitReached(const Node& node, OverlapQuery& query, Visit& visit);
    bool before(const Entry& a, const Entry& b) const {
        return order.precedes(a.box, a.sequence, b.box, b.sequence);
    }

    FaceBoxTreeOrder order;
    /// The search tree's nodes; nodes[0, used) are in the tree, the rest wait. A deque
    /// keeps them in place as it grows.
    std::deque<Node> nodes;
    std::size_t used = 0;
    Node* root;
    std::size_t boxCount = 0;
    std::uint64_t nextSequence = 0;
    LastInsert last;
    /// The entries stored without the check, in insertion order, while `uncheckedKnown`.
    std::vector<Entry> unchecked;
    bool uncheckedKnown = true;
    /// Every stored entry in insertion order, while `flatKnown` (at most FlatScanLimit).
    std::vector<Entry> flat;
    bool flatKnown = true;
    /// The box `findFirst` last found clear; valid until the next insert or shift.
    mutable bool hasClearBox = false;
    mutable FaceBox clearBox;
};
