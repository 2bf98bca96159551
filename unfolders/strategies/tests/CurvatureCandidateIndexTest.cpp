// The curvature candidate index on its own: the answer a scan of the net gives,
// kept current by refresh as edges are blocked.
#include <gtest/gtest.h>

#include <random>
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

/// Places the faces it is told to, as a strategy would.
class Grower : public Unfolder {
public:
    using Unfolder::unfoldToEdge;
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

TEST(CurvatureCandidateIndex, AnIndexKeptAcrossStepsNamesWhatAFreshOneNames) {
    // An index that lives while the net grows and edges are refused must name, at every
    // step, the candidate a new index over the same net names. Few curvature levels, some
    // half a tie apart, make long lists of better candidates that steps cut short.
    auto sphere = meshOf(icosphere(2));
    auto* net = bind<Grower>(*sphere); // places the starting face
    ASSERT_EQ(std::size_t(1), net->getPolyCount());
    TableRules rules;
    std::mt19937 random(11);
    for (Poly* f : sphere->getPolys())
        rules.values[f] = 1.0f + float(random() % 24) * 4e-7f;
    CurvatureCandidateIndex kept(rules);
    std::size_t refused = 0;
    for (int step = 0;; ++step) {
        CurvatureCandidateIndex fresh(rules);
        Candidate expected, next;
        const bool any = fresh.findNext(*net, expected);
        ASSERT_EQ(any, kept.findNext(*net, next)) << "step " << step;
        if (!any)
            break;
        ASSERT_EQ(expected, next) << "step " << step;
        // Every fourth candidate is refused (from both sides), as is one that would overlap.
        if (step % 4 == 3 || !net->unfoldToEdge(*next.first, next.second)) {
            Poly* across = next.first->getNeighbor(next.second);
            rules.blocked.insert(next);
            rules.blocked.insert({across, across->getNeighborIndex(next.first)});
            kept.refresh(next.first);
            kept.refresh(across);
            ++refused;
        }
    }
    EXPECT_GT(refused, 10u);
    EXPECT_GT(net->getPolyCount(), sphere->getPolyCount() / 2);
}
