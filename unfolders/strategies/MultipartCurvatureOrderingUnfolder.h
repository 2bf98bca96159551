#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "unfolders/strategies/CurvatureOrderingUnfolder.h"
#include "unfolders/strategies/support/PolyEdgeSet.h"

/// The curvature ordering that lets the net fall apart instead of refusing faces.
/// Each part has its own overlap index, so a face is checked only against the part
/// it joins: a face refused by the part of the face it was offered from joins
/// another part it touches, or else starts a new part. Whenever a placed face
/// touches a second part the two are spliced: the smaller part is laid again
/// against the other across their shared edge (a rigid move), which is kept only
/// when none of its faces overlaps the other part. When the run ends the parts
/// left are set side by side so that the pieces do not overlap one another; the
/// net is a success only when it ended as one part.
class MultipartCurvatureOrderingUnfolder : public CurvatureOrderingUnfolder {
    VORN_DECLARE_FACTORY(MultipartCurvatureOrderingUnfolder)

    MultipartCurvatureOrderingUnfolder() = default;
    ~MultipartCurvatureOrderingUnfolder() override;

    void unfold() override;
    /// Also forgets the parts.
    void clear() override;
    /// Also moves every part's overlap index.
    Sorvex::M3d shiftToCenter() override;
    /// As the base, and the net is one part.
    bool isSuccesful() override;

    /// Lays the part of placed source face `p` again against placed source face
    /// `q` (a neighbour in another part) across their shared edge, face by face
    /// outwards from `p`, and merges it into `q`'s part. Returns `p`'s new net face;
    /// null, changing nothing, when the faces are not neighbours in different parts,
    /// a re-laid face would overlap `q`'s part, or the run has ended.
    Poly* splice(Poly* p, Poly* q);

    /// The parts of the net now.
    int getPartCount() const;
    /// The part of placed source face `f` (an id stable until it is spliced away),
    /// or -1.
    int getPartOf(Poly* f) const;
    /// The source faces of every part, one list per part, each in placing order.
    std::vector<std::vector<Poly*>> getParts() const;
    /// Parts started by refused faces, and parts spliced away, in this run.
    int getPartsStarted() const { return partsStarted; }
    int getSpliceCount() const { return splices; }

protected:
    /// A fresh overlap index and no parts, then the base placement; the starting
    /// face is the root of the first part.
    Poly* setStartingFace(Poly* f) override;
    /// Judge and findBest are the curvature ordering's, so its index may answer.
    bool canUseIndexedSearch() const override { return true; }

private:
    struct Part {
        Poly* root = nullptr; ///< source face the part started from
        /// The part's overlap index; null while it is the base's current index.
        std::unique_ptr<FaceBSP> index;
        std::vector<Poly*> faces; ///< source faces, null where spliced away
        bool alive = true;
    };

    /// Makes `part`'s index the base's current one.
    void activate(int part);
    int newPart(Poly* root);
    void join(Poly* f, int part);
    /// Places refused candidate `c` in another part it touches, or as a new part.
    void placeElsewhere(Candidate& c);
    /// Tries to splice every part that placed face `f` touches with its own.
    void spliceAround(Poly* f);
    /// A net copy of `f` laid against its neighbour across `e` with vertices of its
    /// own (not shared with the neighbour), unchecked.
    Poly* detachedCopy(Poly& f, int e);
    /// Sets the parts left side by side and indexes the whole net in one index.
    void finish();

    std::vector<Part> parts;
    std::unordered_map<Poly*, int> partOf;
    int activePart = -1;
    /// Edges across which a splice was refused: the parts' relative layout across
    /// such an edge never changes (parts move rigidly), so it is never tried again.
    PolyEdgeSet refusedSplices;
    int partsStarted = 0;
    int splices = 0;
};
