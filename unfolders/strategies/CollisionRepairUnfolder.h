#pragma once

#include <list>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "unfolders/strategies/SteepestAscentUnfolder.h"

/// Starts from the steepest-ascent net and repairs it: while the net
/// overlaps itself, takes the crossing of two cut edges nearest the root face
/// that can be undone from one side, hangs a chain of faces from a new parent
/// so that the crossing goes away, and lays the net again from the changed
/// cut graph. Gives up when no crossing qualifies.
///
/// An edge is (face, index of its edge from vertex i to i + 1); crossings
/// hold source faces, whose net edge is the same index on the twin.
class CollisionRepairUnfolder : public SteepestAscentUnfolder {
    VORN_DECLARE_FACTORY(CollisionRepairUnfolder)

    using Edge = std::pair<Poly*, int>;
    using Crossing = std::pair<Edge, Edge>;

    CollisionRepairUnfolder() = default;

    void renderSelf(Renderer* r) override;
    /// Faces on the path of the next repair are drawn as that path.
    void limnFace(Renderer* r, Poly& face) override;
    /// Faces carry paths and outlines that change with the search: drawn afresh.
    bool keepsFaceDrawing() override { return false; }
    /// Lays the steepest-ascent net, then alternates finding conflicts and
    /// one repair per call.
    void unfold() override;
    /// Also records which cut edges of the two faces cross.
    bool findConflicts() override;
    bool isSuccesful() override;
    /// Gave up, or the whole net is laid and has no overlaps.
    bool isDone() override;
    /// Steepest-ascent order while only the starting face is placed, then by
    /// the distance of the net images from the root.
    bool isLess(Vertex* a, Vertex* b) override;

    // ----- The repair's parts -----

    /// Nearest distance from the root's centre to a net image of `v`.
    double radius(Vertex* v);
    /// Distance from the root's centre to where the crossing's net edges cross.
    double radius(const Crossing& c);
    /// Whether segments ab and cd meet in the net plane, ends included.
    static bool crossed(const Sorvex::M3d& a, const Sorvex::M3d& b, const Sorvex::M3d& c,
                        const Sorvex::M3d& d);
    /// The same edge seen from the face on its other side, (null, -1) if none.
    static Edge getDual(const Edge& e);
    bool isConflicted(const Edge& e) const;
    /// The next border edge of the net after net edge `e`, (null, -1) if none.
    static Edge findNextBorderEdge(const Edge& e);
    /// Whether the border walk from net edge `from` reaches `to` without
    /// passing a conflicted edge or a vertex of the net's hull.
    bool innerPath(const Edge& from, const Edge& to);
    /// Whether one side of the cut at source edge `e` can be walked to the
    /// other along the border.
    bool dualInside(const Edge& e);
    /// (f, index of f's edge to its parent in the net), (null, -1) for the root.
    Edge findParent(Poly* f);
    bool isAncestor(Poly* x, Poly* y);
    /// Breadth-first path over source faces from `from` to `to` that does not
    /// enter `to` from its parent; false when there is none.
    bool findPath(Poly* from, Poly* to, std::list<Poly*>& path);
    /// Hangs every face of `path` from its predecessor instead of its parent.
    void applyPath(const std::list<Poly*>& path, Graph<Vertex*>& cut);
    Poly* getLower(const Crossing& c);
    /// The crossing to repair next; ((null, -1), (null, -1)) when none qualifies.
    Crossing chooseLowestCrossing();
    /// The number of earlier visits of the current net; counts this one.
    int beenHereBefore();
    /// One repair; sets the gave-up flag when none is possible.
    void repair();

    const std::vector<Crossing>& getCrossings() const { return crossings; }
    const std::vector<Crossing>& getTwinCrossings() const { return twinCrossings; }
    bool hasGivenUp() const { return gaveUp; }
    int getRepairCount() const { return repairs; }

protected:
    void onConflict(Poly* a, Poly* b) override;

private:
    /// Parents of the net's faces by source face, from a breadth-first
    /// search from the root; computed once per repair, as the net does not
    /// change while a repair is planned.
    void findParents();
    /// Steps 1, 2 and 6 of a repair: the faces to hang and the path between.
    bool planRepair(Poly*& x, Poly*& y, bool countVisit);
    bool onHull(const Vertex* w) const;
    void collectHull();

    std::vector<Crossing> crossings;
    std::vector<Crossing> twinCrossings;
    std::map<std::string, int> visitCounts;
    bool gaveUp = false;
    int repairs = 0;
    /// The cut graph of the net with the fewest overlapping pairs so far.
    Graph<Vertex*> bestCut;
    size_t bestOverlaps = 0;
    bool bestCutValid = false;
    std::unordered_map<Poly*, int> parentEdge;
    std::vector<const Vertex*> hullVertices;
    std::list<Poly*> shownPath;
};
