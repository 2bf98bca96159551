#pragma once

#include <list>
#include <string>

#include "unfolders/engine/GraphReceiver.h"
#include "unfolders/engine/Unfolder.h"
#include "unfolders/strategies/enumeration/CandidateBudget.h"

/// An exploration tool rather than a solver: grows a set of source faces one per step,
/// from the starting face, always taking the lowest face (by centre height) that touches
/// the set, and after each step enumerates every spanning tree of the faces gathered so
/// far. Each step's trees form a generation, rooted at the first face; a tree is linked to
/// the tree of the previous generation it contains, so the generations form a family tree
/// of partial unfoldings. The gathered faces are shown in place, just above the source;
/// `showUnfolding` lays one tree flat instead. No result is judged.
class EvolvingUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(EvolvingUnfolder)

    using Generation = std::list<Tree<Poly*>>;

    /// Laid trees show their overlaps instead of stopping at the first.
    EvolvingUnfolder() { checkIntersections = false; }

    /// Binds, orders the reachable faces for growth and makes the first generation.
    bool setParent(SceneObj* parent) override;
    /// Gathers the next face and builds its generation (unless it would hold more trees
    /// than the limit: then the growth stops and says so).
    void unfold() override;
    bool isSuccesful() override { return false; }
    /// Gathered share of the source faces (1 without faces).
    float getProgress() override;
    bool isDone() override { return remaining.empty() || stopped; }
    int getSuccessCount() override { return 0; }
    int getNumUnfoldings() override { return 0; }
    /// Nothing to fill or judge: the gathered faces stay in place.
    void onDone() override;
    bool allowAutoComplete() override { return false; }

    /// A copy of source face `p` in this mesh, lifted by 0.001 along its normal and twinned
    /// with `p`.
    Poly* dupPoly(Poly* p);
    /// When the net holds just the starting face, replaces it by its source face shown in
    /// place and returns that source face; otherwise null.
    Poly* defoldLead();
    /// Lays `tree` flat as a net; null shows every source face in place again.
    void showUnfolding(Tree<Poly*>* tree);

    const std::list<Generation>& getUnfoldings() const { return unfoldings; }
    const Graph<Tree<Poly*>*>& getInheritance() const { return inheritance; }
    const Graph<Poly*>& getFaceGraph() const { return faceGraph; }
    const std::list<Poly*>& getRemaining() const { return remaining; }

    /// The limit is on the trees of one generation.
    double getCandidateLimit() override { return budget.getLimit(); }
    /// A stopped growth goes on when the next generation fits the new limit.
    void setCandidateLimit(double limit) override;
    double getCandidateEstimate() override { return budget.getEstimate().count; }
    std::string getRefusal() override { return budget.refusal(); }

    /// Trees one generation may hold by default (each is kept, with its links, for the panel).
    static constexpr double DefaultCandidateLimit = 2e4;

private:
    /// Links every tree of the newest generation to the one of `previous` it contains.
    void linkGenerations(Generation& previous, Generation& newest, Poly* added);

    Graph<Poly*> faceGraph;
    std::list<Poly*> remaining;
    std::list<Generation> unfoldings;
    Graph<Tree<Poly*>*> inheritance;
    Poly* lead = nullptr;
    bool stopped = false;
    CandidateBudget budget{DefaultCandidateLimit, "spanning trees in the next generation"};
};
