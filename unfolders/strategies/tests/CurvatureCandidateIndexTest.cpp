// The curvature candidate index on its own: the answer a scan of the net gives,
// kept current by refresh as edges are blocked.
#include <gtest/gtest.h>

#include <unordered_map>

#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/support/CurvatureCandidateIndex.h"
#include "unfolders/strategies/support/PolyEdgeSet.h"

using namespace testshapes;
using Candidate = CurvatureCandidateIndex::Candidate;

namespace {

/// Candidates as the curvature ordering names them, valued by a table.
class TableRules : public CurvatureCandidateIndex::Rules {
public:
    bool candidateAcross(Poly& t, int edge, Candidate& c) const override {
        Poly* n = t.getNeighbor(edge);
        if (!n || n->getTwin())
            return false;
        const int k = n->getNeighborIndex(&t);
        if (k == -1 || blocked.count({n, k}) > 0)
            return false;
        c = {n, k};
        return true;
    }
    float getFaceCurvature(Poly* f) const override {
        auto it = values.find(f);
        return it == values.end() ? 0.0f : it->second;
    }

    std::unordered_map<Poly*, float> values;
    PolyEdgeSet blocked;
};

} // namespace

TEST(CurvatureCandidateIndex, NamesTheBestNeighbourFirstOnTiesAndFollowsBlockedEdges) {
    auto cube = prismCube();
    // The base strategy places only its starting face: every neighbour is a candidate.
    auto* net = bind<Unfolder>(*cube);
    ASSERT_TRUE(runToEnd(*net));
    ASSERT_EQ(size_t(1), net->getPolyCount());
    Poly* start = net->getPoly(0)->getTwin();
    ASSERT_NE(nullptr, start);
    ASSERT_EQ(4, start->getVertexCount());

    TableRules rules;
    CurvatureCandidateIndex index(rules);
    Poly* a = start->getNeighbor(0);
    Poly* b = start->getNeighbor(1);
    Poly* c = start->getNeighbor(2);
    rules.values = {{a, 1.0f}, {b, 3.0f}, {c, 3.0f + 5e-7f}};

    Candidate next;
    ASSERT_TRUE(index.findNext(*net, next));
    EXPECT_EQ(b, next.first) << "c ties with b and comes later in scan order";
    EXPECT_EQ(b->getNeighborIndex(start), next.second);

    // Blocking b's edge (from both sides, as the strategy does) leaves c.
    rules.blocked.insert(next);
    rules.blocked.insert({start, 1});
    index.refresh(b);
    index.refresh(start);
    ASSERT_TRUE(index.findNext(*net, next));
    EXPECT_EQ(c, next.first);

    // With every edge of the net blocked nothing is left.
    for (int i = 0; i < 4; ++i) {
        Poly* n = start->getNeighbor(i);
        rules.blocked.insert({n, n->getNeighborIndex(start)});
        index.refresh(n);
    }
    EXPECT_FALSE(index.findNext(*net, next));

    // A fresh index over the same net agrees.
    CurvatureCandidateIndex fresh(rules);
    EXPECT_FALSE(fresh.findNext(*net, next));
}
