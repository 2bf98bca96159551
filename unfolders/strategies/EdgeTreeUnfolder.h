#pragma once

#include <map>
#include <set>
#include <vector>

#include "unfolders/engine/Unfolder.h"
#include "unfolders/strategies/enumeration/CandidateBudget.h"

/// A candidate unfolding: each source face with its neighbours in the tree. An edge is
/// stored in both directions.
using FaceTreeMap = std::map<Poly*, std::vector<Poly*>>;

/// The shared driver of the strategies that try candidate tree maps one per step: each
/// candidate is laid out from the starting face with the overlap check on; the first that
/// places every face ends the search, unless every success is to be counted
/// ("DisableTerminateOnSuccess"). Has no candidates of its own.
class EdgeTreeUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(EdgeTreeUnfolder)

    EdgeTreeUnfolder() = default;

    /// Lays out the current candidate; a success ends the search (or is counted), any
    /// other outcome moves on to the next candidate. Done when there is none.
    void unfold() override;
    bool isDone() override { return done || budget.isRefused(); }
    /// The successes counted, or -1 when the search stops at the first.
    int getSuccessCount() override { return int(successCount); }
    void read(XML& xml) override;
    void write(XML& xml) override;
    /// The base, then a refused run's reason back on the status line.
    void onDone() override;

    /// The current candidate, or null when there is none (always null here).
    virtual FaceTreeMap* getTreeMap() { return nullptr; }
    /// Moves to the next candidate (nothing here).
    virtual void tryNextTree() {}

    bool hasSucceeded() const { return succeeded; }
    /// Counts every success and searches on (true), or stops at the first (false).
    void setCountEverySuccess(bool on) { successCount = on ? 0 : -1; }

    double getCandidateLimit() override { return budget.getLimit(); }
    void setCandidateLimit(double limit) override;
    double getCandidateEstimate() override { return budget.getEstimate().count; }
    std::string getRefusal() override { return budget.refusal(); }

    /// The number of candidates (as the panel shows it, beyond the range of an int).
    virtual double getCandidateCount() { return getNumUnfoldings(); }
    /// A count as the int the unfolder interface reports, held at the largest int.
    static int ClampCount(double count);

    /// Lays out `m` from the starting face on a net cleared back to that face; true when
    /// every source face was placed.
    bool recursiveFlatten(FaceTreeMap& m);

    /// Candidates a tree-map search may try by default: a run over more is refused.
    static constexpr double DefaultCandidateLimit = 1e6;

protected:
    /// Remembers the face as the one every candidate is laid out from.
    Poly* setStartingFace(Poly* f) override;
    /// Places the neighbours of `face` in `m` (other than `parent`) and, recursively,
    /// theirs; the faces placed, counting `face`, or -1 on a cycle, a neighbour missing
    /// from the map or a face that cannot be laid flat.
    int recursiveFlatten(Poly* parent, Poly* face, FaceTreeMap& m);
    /// Empties the net and places the starting face again, as first placed.
    void resetNetToStart();
    /// The number of faces reachable in `m` from the starting face's source face.
    size_t countReachable(const FaceTreeMap& m) const;
    /// The source face the net starts from (null before binding).
    Poly* startFace() const { return startSource; }

    bool done = false;
    bool succeeded = false;
    long successCount = -1;
    CandidateBudget budget{DefaultCandidateLimit, "tree maps"};

private:
    std::set<Poly*> visited;
    /// The source face of the starting face.
    Poly* startSource = nullptr;
};
