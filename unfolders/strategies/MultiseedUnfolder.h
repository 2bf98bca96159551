#pragma once

#include <deque>
#include <list>
#include <unordered_map>
#include <utility>
#include <vector>

#include "unfolders/strategies/CurvatureOrderingUnfolder.h"

/// A node of the net tree a MultiseedUnfolder grows: one placed source face and
/// the node it was laid against.
struct UnfoldingTree {
    Poly* face = nullptr;
    UnfoldingTree* parent = nullptr;
    std::vector<UnfoldingTree*> children;
};

/// Unfolds towards the most curved faces first: it takes the most curved unplaced
/// faces (those within 0.0001 of the most curved) as seeds, finds the cheapest
/// path of unplaced faces from the net to one of them, and places the path face
/// by face from the net outwards. A refused face drops the path, which is planned
/// again around the refused edge; seeds that no path reaches are given up.
class MultiseedUnfolder : public CurvatureOrderingUnfolder {
    VORN_DECLARE_FACTORY(MultiseedUnfolder)

    /// A step of a planned path: (source face to place, its edge to the face before).
    using Step = Candidate;

    MultiseedUnfolder() = default;

    void renderSelf(Renderer* r) override;
    /// The next step of the current path, planning a new path when it is empty.
    bool findNext(Candidate& next) override;
    /// Hangs the placed face in the net tree and moves along the path.
    void onPolyAdded(Candidate& c) override;
    /// Blocks the edge from both sides and drops the path.
    void onPolyBlocked(Candidate& c) override;

    /// Inserts `f` into the sorted faces before the first entry whose curvature is
    /// not larger than its own (descending; equal ones go before earlier ones).
    void sortFace(Poly* f);
    /// Fills `set` with the leading sorted faces whose curvature differs from the
    /// first one's by less than 0.0001.
    void getFirstSet(std::list<Poly*>& set);
    /// The cost of stepping between adjacent faces a and b: 1 plus the mean absolute
    /// curvature of the two corners of their shared edge, so paths keep away from
    /// sharp corners (which are better cut) and every step costs at least 1.
    float metric(Poly* a, Poly* b);
    /// The cheapest path (summing `metric`) of unplaced faces from a face in the net
    /// to one of `seeds`, over edges not blocked; `path` receives its steps from the
    /// net outwards and the node of the net face it starts from is returned. Null
    /// (and `path` left empty) when no seed reaches the net.
    UnfoldingTree* findShortestPathToGraph(std::list<Poly*>& seeds, std::list<Step>& path);

    /// The unplaced faces still sorted, most curved first.
    std::vector<Poly*> getSortedFaces() const;
    const UnfoldingTree* getTreeRoot() const { return treeRoot; }
    const UnfoldingTree* getTreeNode(Poly* f) const;
    const std::list<Step>& getPath() const { return path; }
    /// Whether path searches are bounded by the costs to the net (the default) or
    /// visit every face they can; both give the same paths (for tests and benchmarks).
    void setBoundedSearch(bool on) { boundedSearch = on; }

protected:
    /// The base placement, the net tree's root, and the other faces sorted.
    Poly* setStartingFace(Poly* f) override;
    void renderGraph(Renderer* r, UnfoldingTree& node);

    std::deque<UnfoldingTree> treeNodes;
    std::unordered_map<Poly*, UnfoldingTree*> nodeOf;
    UnfoldingTree* treeRoot = nullptr;
    /// Descending curvature; entries before `sortedFront` have left the list and
    /// placed faces (those with a twin) are passed over.
    std::vector<Poly*> sortedFaces;
    std::size_t sortedFront = 0;
    std::list<Step> path;
    UnfoldingTree* pathNode = nullptr;

private:
    UnfoldingTree* addNode(Poly* f, UnfoldingTree* parent);
    /// Moves `sortedFront` past placed faces; false when the list is empty.
    bool skipPlaced();

    /// The source's face graph with the step costs, numbered once when the run starts
    /// so that path searches look nothing up by hash: face slot s has its edges at
    /// [edgeStart[s], edgeStart[s + 1]), each with its neighbour's slot (-1: none) and
    /// the cost of stepping across.
    void numberFaces();
    std::unordered_map<Poly*, int> faceSlot;
    std::vector<Poly*> slotFace;
    std::vector<std::size_t> edgeStart;
    std::vector<int> edgeNeighbor;
    std::vector<float> edgeCost;

    /// Search state reused by every path search (stamped, so nothing is cleared).
    struct SearchMark {
        unsigned stamp = 0;
        float distance = 0;
        int from = -1;
    };
    std::vector<SearchMark> marks;
    unsigned searchStamp = 0;

    /// The search from the seeds, passing over every face whose cheapest way to the
    /// net cannot keep the path within `limit` (infinity: none is passed over).
    UnfoldingTree* searchFromSeeds(std::list<Poly*>& seeds, std::list<Step>& steps, float limit);

    /// For each face slot, the cost of its cheapest path of unplaced faces to the net
    /// (0 on the net, infinity when none): a search from the net once, lowered as
    /// faces join it. A blocked edge can only raise costs, so after one the values are
    /// still lower bounds (`netDistanceExact` false) until rebuilt.
    void rebuildNetDistance();
    /// Lowers the costs around `slot`, which just joined the net.
    void lowerNetDistance(int slot);
    /// The cheapest cost to the net of the unplaced seeds (infinity: none reaches it).
    float cheapestSeedDistance(const std::list<Poly*>& seeds) const;
    std::vector<float> netDistance;
    bool netDistanceExact = false;
    bool boundedSearch = true;
};
