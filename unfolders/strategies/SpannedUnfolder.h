#pragma once

#include <memory>
#include <vector>

#include "unfolders/engine/GraphReceiver.h"
#include "unfolders/engine/Unfolder.h"
#include "unfolders/strategies/enumeration/CandidateBudget.h"
#include "unfolders/strategies/enumeration/FlatTreeJudge.h"
#include "unfolders/strategies/enumeration/GraphSpanningTrees.h"

/// Tries every spanning tree of the face graph in turn, one per step: each is laid out
/// whole with the overlap check off and judged by its overlaps; the indices of the
/// overlap-free nets are kept. The trees come from the shared enumerator one at a time, so
/// memory does not grow with their number; going back to an earlier tree enumerates again
/// up to it.
///
/// A run that only counts ("JudgeOnly" read true, as the headless enumeration asks) judges
/// many trees per step without laying them out (FlatTreeJudge gives the same verdicts) and
/// lays out only the first overlap-free net at the end, to show.
class SpannedUnfolder : public Unfolder, public GraphReceiver<Poly*> {
    VORN_DECLARE_FACTORY(SpannedUnfolder)

    SpannedUnfolder() { checkIntersections = false; }

    /// Binds, builds the face graph and counts its trees (refused beyond the limit).
    bool setParent(SceneObj* parent) override;
    /// Lays out and judges the tree at the current index, then moves the index on; after
    /// the last tree it returns to 0 and the run is done.
    void unfold() override;
    bool isDone() override { return done || budget.isRefused(); }
    /// The net shown is complete and without overlaps.
    bool isSuccesful() override;
    int getSuccessCount() override { return int(successCount); }
    /// The number of spanning trees.
    int getNumUnfoldings() override;
    float getProgress() override;
    /// The hull is rebuilt after each layout only when it is drawn, and when the run ends:
    /// kept face by face it costs a sixth of a layout, and judging does not need it.
    bool autoUpdateHull() override { return false; }
    void onDone() override;
    /// The base's switches, then "JudgeOnly" (a run option, not written back).
    void read(XML& xml) override;

    /// Receives a tree: lays it out and judges it (as `unfold` does for the current one).
    void onSpanningFound(Tree<Poly*>& tree) override;

    /// Shows the first overlap-free net at or after the current index (cyclically).
    void nextSuccess();
    /// index = i modulo the number of trees (nothing without trees).
    void selectUnfolding(long long i);
    long long getSelectedUnfolding() const { return index; }
    /// The index of the tree the net shows, -1 before the first.
    long long getShownUnfolding() const { return shown; }
    /// Whether tree `i` has been laid out and found free of overlaps.
    bool isSuccess(long long i) const;

    double getCandidateLimit() override { return budget.getLimit(); }
    void setCandidateLimit(double limit) override;
    double getCandidateEstimate() override { return budget.getEstimate().count; }
    std::string getRefusal() override { return budget.refusal(); }

    /// Trees a run may try by default: one is laid per idle tick, so this is about a
    /// minute and a half in the workbench.
    static constexpr double DefaultCandidateLimit = 1e5;
    /// Trees judged per step when only counting: a few milliseconds of work.
    static constexpr int TreesPerJudgingStep = 1000;

private:
    /// Counts the trees, or finds that there are more than the limit.
    void countTrees();
    /// Moves the enumerator onto tree `i`; false when there is no such tree.
    bool seek(long long i);
    /// Lays out `tree` and records whether it is a success under index `i`.
    void judge(Tree<Poly*>& tree, long long i);
    void recordSuccess(long long i);
    /// One step of a counting run; false when the mesh cannot be judged without layouts.
    bool judgeWithoutLayouts();
    /// Lays out the first overlap-free tree (or, with none, the first tree) to show.
    void showFirstSuccess();

    std::unique_ptr<NumberedGraph<Poly*>> faceGraph;
    std::unique_ptr<SpanningTreeEnumerator> trees;
    /// The tree the enumerator stands on, -1 before the first.
    long long position = -1;
    long long treeCount = 0;
    /// One bit per tree: a set of indices would grow by tens of bytes per success.
    std::vector<bool> successes;
    long long successCount = 0;
    long long index = 0;
    long long shown = -1;
    bool done = false;
    bool judgeOnly = false;
    /// Made on the first counting step; null until then or when the mesh cannot be judged.
    std::unique_ptr<FlatTreeJudge> flatJudge;
    bool flatJudgeMade = false;
    CandidateBudget budget{DefaultCandidateLimit, "spanning trees"};
};
