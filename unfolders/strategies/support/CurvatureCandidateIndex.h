#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "unfolders/strategies/support/SlotMaxTree.h"

class Poly;
class PolyMesh;

/// The candidate index of the curvature ordering: every edge of every placed
/// face in net face order, valued by the curvature of the unplaced face across
/// it, so the best candidate is found in logarithmic time per step instead of
/// by a scan of every net face per attempt.
///
/// Same answer: findNext names the candidate that a scan of the whole net in
/// net face order would keep first (the first candidate, replaced by each
/// later one whose curvature is higher by at least 1e-6), as long as the net
/// only grows (placed faces stay placed, blocked edges stay blocked) and
/// refresh is called for both faces of every edge blocked. Removing or
/// replacing net faces is noticed and rebuilds the index, unless the strategy
/// says which faces went with catchUp and dropFaces.
class CurvatureCandidateIndex {
public:
    /// A candidate: (unplaced source face N, index in N of the edge it
    /// shares with a placed face).
    using Candidate = std::pair<Poly*, int>;

    /// What the index asks of the strategy it serves.
    class Rules {
    public:
        /// The candidate across edge `edge` of placed source face `t`; false when none.
        virtual bool candidateAcross(Poly& t, int edge, Candidate& c) const = 0;
        /// The value candidates are ordered by, larger first.
        virtual float getFaceCurvature(Poly* f) const = 0;

    protected:
        ~Rules() = default;
    };

    explicit CurvatureCandidateIndex(const Rules& rules) : m_rules(rules) {}
    CurvatureCandidateIndex(const CurvatureCandidateIndex&) = delete;
    CurvatureCandidateIndex& operator=(const CurvatureCandidateIndex&) = delete;

    /// The best candidate offered by the net `net` (whose faces' twins are the
    /// placed source faces); false when there is none.
    bool findNext(const PolyMesh& net, Candidate& next);
    /// Revalues the slots across which source face `candidate` is offered,
    /// after its candidacy changed (an edge of it was blocked).
    void refresh(Poly* candidate);
    /// Forgets every slot: the next findNext starts from the whole net.
    void reset();
    /// Makes room for the slots of a net of `faces` faces with `sides` sides in all
    /// (a source's counts bound its net's), so that a huge net's index is laid out
    /// once instead of copied at every doubling. The room is taken when the first
    /// face is indexed: by then the strategy runs, with the heap readied for its growth.
    void reserve(std::size_t faces, std::size_t sides) {
        m_roomFaces = faces;
        m_roomSides = sides;
    }
    /// Indexes every face of `net`; call it before net faces are taken out.
    void catchUp(const PolyMesh& net) { sync(net); }
    /// After the net faces of the placed source faces `sources` were taken out of
    /// `net` (indexed in full by catchUp just before), and before anything else is
    /// added: their slots are emptied and the faces left keep theirs, in the order
    /// the net keeps them. The faces laid in their place are indexed when added, at
    /// the end, as a rebuild would index them. Cost: the slots of `sources`.
    void dropFaces(const PolyMesh& net, const std::vector<Poly*>& sources);

private:
    /// One candidate edge of the net: edge `edge` of placed source face `t`.
    struct Slot {
        Poly* t;
        int edge;
    };
    /// Adds the slots of the net faces added since the last call.
    void sync(const PolyMesh& net);
    float slotValue(const Slot& slot) const;
    /// Whether the slot still names a candidate (then stored in `c`); marks it empty when not.
    bool checkSlot(std::size_t slot, Candidate& c);
    /// Whether the best list's member still names its candidate: by its face alone, not
    /// placed since the last findNext, unless the list is to be rechecked; marks it empty
    /// when not.
    struct Member;
    bool stillStands(const Member& member);

    const Rules& m_rules;
    /// Slot values: the curvature across, -inf when that is no candidate. Held as the
    /// floats they are (compared in double precision, as the scan compares them).
    SlotMaxTreeOf<float> m_values;
    std::vector<Slot> m_slots;
    /// The first slot of a face that is not indexed (any more).
    static constexpr std::size_t NotIndexed = ~std::size_t(0);
    /// The first of each indexed placed face's slots (one per edge, consecutive), or
    /// NotIndexed, by the face's position in its mesh's face list (the source's, which
    /// stays as it is while a net grows). Dense: a table keyed by address missed the
    /// cache at every lookup of a huge net and weighed six times as much.
    std::vector<std::size_t> m_firstSlot;
    /// The first slot of `t`, or NotIndexed.
    std::size_t firstSlotOf(const Poly* t) const;
    /// Where the first slot of `t` is kept, made room for; null for a face in no mesh.
    std::size_t* firstSlotPlace(const Poly* t);
    /// A slot of the scan's best list and the face it offered when it joined.
    struct Member {
        std::size_t slot;
        Poly* face;
    };
    /// The scan's best list as of the last findNext, in slot order (see findNext).
    std::vector<Member> m_best;
    /// The source faces placed since the last findNext (their net faces indexed since).
    std::vector<Poly*> m_placedSince;
    /// Whether the best list is checked slot by slot at the next findNext: an edge was
    /// refused (refresh) or net faces were taken out since the last.
    bool m_recheckBest = false;
    /// Room asked for by reserve and not yet taken.
    std::size_t m_roomFaces = 0;
    std::size_t m_roomSides = 0;
    std::size_t m_indexedFaces = 0;
    Poly* m_lastIndexedFace = nullptr;
};
