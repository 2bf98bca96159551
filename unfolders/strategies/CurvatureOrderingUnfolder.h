#pragma once

#include <list>
#include <unordered_map>
#include <vector>

#include "unfolders/engine/Unfolder.h"
#include "unfolders/strategies/support/CurvatureCandidateIndex.h"
#include "unfolders/strategies/support/PolyEdgeSet.h"
#include "unfolders/strategies/support/ScanFrontier.h"

/// Grows the net from the most curved face, always attaching the most
/// curved unplaced face that touches the net (mean vertex curvature; values
/// within 1e-6 are equal and the first found wins). Ten attempts per call.
/// The candidate machinery (judge, findBest, findNext, onPolyAdded,
/// onPolyBlocked) is virtual so that variants can change it.
class CurvatureOrderingUnfolder : public Unfolder, private CurvatureCandidateIndex::Rules {
    VORN_DECLARE_FACTORY(CurvatureOrderingUnfolder)

    /// A candidate: (unplaced source face N, index in N of the edge it
    /// shares with a placed face).
    using Candidate = CurvatureCandidateIndex::Candidate;

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
    float getFaceCurvature(Poly* f) const override;
    bool isBlocked(Poly* f, int edge) const { return blocked.count({f, edge}) > 0; }

    /// Whether findNext scans only the net faces that can still offer a
    /// candidate (default) or the whole net; both give the same nets.
    void setIncrementalScan(bool on) { incrementalScan = on; }
    bool getIncrementalScan() const { return incrementalScan; }

protected:
    /// The face of highest mean curvature, placed through the base.
    Poly* chooseStartingFace() override;
    /// The candidate across edge `i` of placed source face `t`, if any.
    bool candidateAcross(Poly& t, int i, Candidate& c) const override;
    /// Whether findNext may answer from its candidate index instead of calling
    /// findBest: only when judge and findBest are this class's own. A variant
    /// that keeps them may return true.
    virtual bool canUseIndexedSearch() const;
    /// Forgets what the candidate scans know of the net, for variants that replace
    /// net faces (the scans then start again from the whole net).
    void forgetCandidateScan() {
        frontier.reset();
        index.reset();
    }
    /// Before net faces are replaced: the candidate index takes in the whole net.
    void prepareToReplaceNetFaces() { index.catchUp(*this); }
    /// After the net faces of placed source faces `sources` were taken out and before
    /// the faces laid in their place are added: the index drops their slots and keeps
    /// the rest, so a replacement costs what it replaces, not a rebuild.
    void onNetFacesTakenOut(const std::vector<Poly*>& sources) {
        frontier.reset();
        index.dropFaces(*this, sources);
    }

    /// Sets the mean vertex curvature of source face `f`. The table holds the faces of one
    /// mesh (the source once a run started, else the mesh of the first face set); faces
    /// of other meshes are ignored.
    void setFaceCurvature(Poly* f, float c);

    PolyEdgeSet blocked;
    bool done = false;

private:
    /// Mean vertex curvature by position in the source's face list. Dense, not keyed by
    /// address: the scans read it for every candidate, and a hash table over a huge mesh
    /// missed the cache at every read and weighed six times as much.
    std::vector<float> curvatures;
    const PolyMesh* curvatureMesh = nullptr;
    bool incrementalScan = true;
    ScanFrontier frontier;
    CurvatureCandidateIndex index{*this};
};
