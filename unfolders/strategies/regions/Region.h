#pragma once

#include <deque>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "scene/mesh/PolyMesh.h"

class BorderAvoiderUnfolder;
class RegionShell;
class RegionUnfolder;

/// A connected set of source faces that the region strategy treats as one: a mesh holding
/// copies of those faces, with its own copies of their vertices. It is a child of its
/// unfolder, draws nothing itself (its shell shows it) and is never saved.
class Region : public PolyMesh {
public:
    explicit Region(RegionUnfolder& owner) : owner(owner) {}

    /// Gathers the region breadth-first from `seed` over source adjacency: every face the
    /// region accepts is copied in, and its neighbours are looked at in turn.
    void gather(Poly* seed);

    /// Whether the region takes `sourceFace` while gathering: by default when the face
    /// belongs to no region yet.
    virtual bool accepts(Poly* sourceFace);
    virtual Poly* nextFromQueue(std::deque<Poly*>& queue) = 0;
    virtual bool isPositive() const = 0;
    /// The region's own net, or null.
    virtual BorderAvoiderUnfolder* getUnfolder() const = 0;
    /// The unfolder may go on past waiting.
    virtual bool isReady() = 0;
    /// Nothing is left for the region to grow.
    virtual bool isFinished() = 0;

    RegionUnfolder& getOwner() const { return owner; }
    RegionShell* getShell() const { return shell; }
    void setShell(RegionShell* s) { shell = s; }
    /// The region's copy of a source vertex, or null.
    Vertex* copyOf(Vertex* sourceVertex) const;

    void renderSelf(Renderer* /*r*/) override {}
    bool isPickable() override { return false; }
    bool canSave() override { return false; }
    bool autoMergePolys() override { return false; }
    bool canUserUnfold() override { return false; }

private:
    RegionUnfolder& owner;
    RegionShell* shell = nullptr;
    std::unordered_map<Vertex*, Vertex*> vertexCopies;
};

/// A region around vertices of non-negative curvature. It unfolds its own copy with a
/// border-avoiding strategy, and once that net is joined into the unfolder's net it grows
/// the net outwards: its candidates are the source faces outside the net beside a placed
/// face, the lowest along the region's own direction first.
class PositiveRegion : public Region {
public:
    using Candidate = std::pair<Poly*, int>; // a source face and its edge towards the net

    explicit PositiveRegion(RegionUnfolder& owner) : Region(owner) {}

    /// Takes faces with a corner of non-negative curvature, and a face without one only
    /// when no neighbour of it is in this region.
    bool accepts(Poly* sourceFace) override;
    Poly* nextFromQueue(std::deque<Poly*>& queue) override;
    bool isPositive() const override { return true; }
    BorderAvoiderUnfolder* getUnfolder() const override { return unfolder; }
    bool isReady() override;
    bool isFinished() override { return heightsComputed && candidates.empty(); }

    /// Makes the region's border-avoiding unfolder (once) and binds it to the region. The
    /// region unfolder steps it (see RegionUnfolder::unfold), not the idle loop.
    void start();

    /// The candidates (the source faces beyond the region's rim) and the region's own
    /// direction: from its centre towards theirs. Once.
    void computeHeights();
    bool hasHeights() const { return heightsComputed; }
    /// A point's height along the region's direction: the y of the rotation that turns the
    /// direction onto (0, 1, 0), applied to the point.
    double heightOf(const Sorvex::M3d& p) const;
    const Sorvex::M3d& getDirection() const { return direction; }
    /// The score of a candidate: the mean of its lower hinge end's height and its centre's.
    double score(const Candidate& c) const;

    /// Appends a candidate unless it is listed already.
    void addCandidate(Poly* face, int edge);
    /// Removes and returns the best candidate whose face has no twin yet (dropping those
    /// that have one on the way); {null, -1} when none is left.
    Candidate takeBest();
    std::size_t getCandidateCount() const { return candidates.size(); }

    bool isAttached() const { return attached; }
    void setAttached() { attached = true; }

private:
    BorderAvoiderUnfolder* unfolder = nullptr;
    std::vector<Candidate> candidates;
    std::set<Candidate> listed;
    Sorvex::M3d direction{0, 1, 0};
    bool heightsComputed = false;
    bool attached = false;
};

/// A region of faces all of whose corners have negative curvature: shown, never unfolded
/// on its own; the positive regions' growth covers it.
class NegativeRegion : public Region {
public:
    explicit NegativeRegion(RegionUnfolder& owner) : Region(owner) {}

    Poly* nextFromQueue(std::deque<Poly*>& queue) override;
    bool isPositive() const override { return false; }
    BorderAvoiderUnfolder* getUnfolder() const override { return nullptr; }
    bool isReady() override { return true; }
    bool isFinished() override { return true; }
};
