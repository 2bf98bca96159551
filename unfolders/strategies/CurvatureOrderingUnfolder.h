#pragma once

#include <list>
#include <unordered_map>
#include <utility>
#include <vector>

#include "unfolders/engine/Unfolder.h"
#include "unfolders/strategies/support/PolyEdgeSet.h"
#include "unfolders/strategies/support/ScanFrontier.h"
#include "unfolders/strategies/support/SlotMaxTree.h"

/// Grows the net from the most curved face, always attaching the most
/// curved unplaced face that touches the net (mean vertex curvature; values
/// within 1e-6 are equal and the first found wins). Ten attempts per call.
/// The candidate machinery (judge, findBest, findNext, onPolyAdded,
/// onPolyBlocked) is virtual so that variants can change it.
class CurvatureOrderingUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(CurvatureOrderingUnfolder)

    /// A candidate: (unplaced source face N, index in N of the edge it
    /// shares with a placed face).
    using Candidate = std::pair<Poly*, int>;

    CurvatureOrderingUnfolder() = default;

    void unfold() override;
    bool isDone() override { return done; }
    bool autoUpdateHull() override { return false; }

    /// -1, 0 or 1: 0 when the curvatures of a's and b's faces differ by less
    /// than 1e-6, 1 when b's is at least a's, else -1.
    virtual int judge(Candidate& a, Candidate& b);
    /// Fills `best` with all equally good candidates offered by the net
    /// faces `netFaces`, in scan order.
    virtual void findBest(std::list<Poly*>& netFaces, std::list<Candidate>& best);
    /// False when no candidate is left; else the chosen one is stored in `next`.
    virtual bool findNext(Candidate& next);
    /// Called after `c` was placed; nothing here.
    virtual void onPolyAdded(Candidate& c);
    /// Called after `c` was refused: blocks the edge from both sides.
    virtual void onPolyBlocked(Candidate& c);

    /// The mean vertex curvature of source face `f` (0 when unknown).
    float getFaceCurvature(Poly* f) const;
    bool isBlocked(Poly* f, int edge) const { return blocked.count({f, edge}) > 0; }

    /// Whether findNext scans only the net faces that can still offer a
    /// candidate (default) or the whole net; both give the same nets.
    void setIncrementalScan(bool on) { incrementalScan = on; }
    bool getIncrementalScan() const { return incrementalScan; }

protected:
    /// The face of highest mean curvature, placed through the base.
    Poly* chooseStartingFace() override;
    /// The candidate across edge `i` of placed source face `t`, if any.
    bool candidateAcross(Poly& t, int i, Candidate& c) const;
    /// Whether findNext may answer from its candidate index instead of calling
    /// findBest: only when judge and findBest are this class's own. A variant
    /// that keeps them may return true.
    virtual bool canUseIndexedSearch() const;

    std::unordered_map<Poly*, float> curvatures;
    PolyEdgeSet blocked;
    bool done = false;

private:
    /// One candidate edge of the net, in scan order: edge `edge` of placed
    /// source face `t`.
    struct Slot {
        Poly* t;
        int edge;
    };
    bool findNextIndexed(Candidate& next);
    void syncIndex();
    void resetIndex();
    double slotValue(const Slot& slot) const;
    void refreshSlotsOf(Poly* candidate);
    /// Whether the slot still names a candidate; marks it empty when not.
    bool checkSlot(std::size_t slot);

    bool incrementalScan = true;
    ScanFrontier frontier;
    /// The candidate index: every edge of every placed face in scan order,
    /// valued by the curvature of the face across it (-inf when that is no
    /// candidate), with the slots listed per candidate face.
    SlotMaxTree slotValues;
    std::vector<Slot> slots;
    std::unordered_map<Poly*, std::vector<std::size_t>> slotsByCandidate;
    std::size_t indexedFaces = 0;
    Poly* lastIndexedFace = nullptr;
};
