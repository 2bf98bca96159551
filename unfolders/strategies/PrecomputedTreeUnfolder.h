#pragma once

#include <memory>
#include <vector>

#include "unfolders/strategies/EdgeTreeUnfolder.h"

/// Builds every tree map in advance, one source face per step: each face multiplies the
/// maps so far by its edge choices, dropping a map as soon as a choice would close a cycle;
/// when every face is processed, the maps that do not reach every face go too. The
/// survivors are then tried one per step. Holds every candidate in memory, so its default
/// limit is lower than the other searches'.
class PrecomputedTreeUnfolder : public EdgeTreeUnfolder {
    VORN_DECLARE_FACTORY(PrecomputedTreeUnfolder)

    PrecomputedTreeUnfolder() { budget.setLimit(DefaultSlotLimit); }

    /// One build step while building, then the shared search.
    void unfold() override;
    FaceTreeMap* getTreeMap() override;
    /// The next surviving map.
    void tryNextTree() override;
    /// The surviving candidates.
    int getNumUnfoldings() override { return ClampCount(surviving); }
    double getCandidateCount() override { return surviving; }
    float getProgress() override;

    /// True without a source or when every source face has been processed.
    bool isDoneBuilding() const;
    /// Processes the next source face (see the class comment).
    void build();
    size_t getCapacity() const { return slots.size(); }
    double getFilled() const { return filled; }

    /// A run refused before may go ahead under the new limit.
    void setCandidateLimit(double limit) override;

    /// Slots the precomputed maps may take by default (each map is a few hundred bytes).
    static constexpr double DefaultSlotLimit = 2e5;

protected:
    /// The base placement, then the candidates start over from `f`.
    Poly* setStartingFace(Poly* f) override;

private:
    /// Empties the candidates and, within the limit, starts building them afresh.
    void prepare();
    /// Whether a and b are joined in `m`.
    static bool connected(const FaceTreeMap& m, Poly* a, Poly* b);

    std::vector<std::unique_ptr<FaceTreeMap>> slots;
    double filled = 0;
    double surviving = 0;
    size_t current = 0;
    /// Position of the next source face to process.
    size_t nextFace = 0;
};
