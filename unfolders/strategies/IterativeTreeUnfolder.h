#pragma once

#include <utility>
#include <vector>

#include "unfolders/strategies/EdgeTreeUnfolder.h"

/// Tries every way of choosing one edge per source face, enumerated lazily like an
/// odometer (the first face's choice turns fastest). A choice joins the face to its
/// neighbour across that edge; the candidates are the choices whose map reaches every face
/// from the starting face. Memory: one map at a time.
class IterativeTreeUnfolder : public EdgeTreeUnfolder {
    VORN_DECLARE_FACTORY(IterativeTreeUnfolder)

    IterativeTreeUnfolder() = default;

    /// Binds, starts the odometer at all zeros and finds the first candidate.
    bool setParent(SceneObj* parent) override;
    /// The next choice whose map reaches every face; after 100 rejected choices in one
    /// call the 101st is built and left for `unfold()` to try unchecked.
    void tryNextTree() override;
    /// The map, or null once every choice has been tried.
    FaceTreeMap* getTreeMap() override;
    /// The number of choices: the product of the faces' edge counts.
    int getNumUnfoldings() override { return ClampCount(total); }
    double getCandidateCount() override { return total; }
    double getTotal() const { return total; }
    double getTried() const { return tried; }
    /// tried / total (0 when the total is 0).
    float getProgress() override;

    /// A run refused before may go ahead under the new limit.
    void setCandidateLimit(double limit) override;

    /// Choices rejected in one call before the next is handed over unchecked.
    static constexpr int RejectsPerCall = 100;

private:
    void advanceOdometer();
    void buildMap();

    /// One (face, chosen edge) pair per source face, in source order.
    std::vector<std::pair<Poly*, int>> choices;
    double total = 0;
    double tried = -1;
    FaceTreeMap map;
};
