// A click may keep the net instead of laying it out again; whatever it does, the result
// must be exactly the net a full layout of the same requests gives.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/DataModels.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/automation/ManualUnfolder.h"

namespace {

using Edge = std::pair<Vertex*, Vertex*>;

std::vector<Edge> meshEdges(PolyMesh& mesh) {
    std::set<Edge> edges;
    for (Poly* f : mesh.getPolys())
        for (int i = 0; i < f->getVertexCount(); ++i) {
            Vertex* a = f->getVertex(i);
            Vertex* b = f->getVertex(i + 1);
            edges.emplace(std::min(a, b), std::max(a, b));
        }
    return {edges.begin(), edges.end()};
}

void appendBits(std::string& text, double x) {
    char hex[24];
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    std::snprintf(hex, sizeof hex, " %016llx", static_cast<unsigned long long>(bits));
    text += hex;
}

/// Everything a layout decides, bit for bit and by index: net faces in list order with
/// their source faces and corners, net vertices in list order, each source face's
/// transform, overlaps, the unfolder's cut graph, success, hull and index region.
std::string layoutText(ManualUnfolder& u) {
    PolyMesh& source = *u.getSource();
    std::string text;
    const auto index = [&](Poly* q) { return std::to_string(source.getPolyIndex(q->getTwin())); };
    for (Poly* q : u.getPolys()) {
        text += "face " + index(q) + ":";
        for (const Vertex* v : q->getVertices())
            text += " " + std::to_string(u.getIOIndex(v));
        text += '\n';
    }
    for (const Vertex* v : u.getVertices()) {
        appendBits(text, v->x());
        appendBits(text, v->y());
        appendBits(text, v->z());
    }
    text += "\ntransforms";
    for (Poly* f : source.getPolys())
        if (const Sorvex::M4x4* m = u.getFaceTransform(f))
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 4; ++c)
                    appendBits(text, m->get(r, c));
    std::set<std::pair<std::string, std::string>> overlaps;
    for (const auto& [f, around] : u.getConflicts())
        for (Poly* g : around)
            overlaps.emplace(index(f), index(g));
    text += "\noverlaps";
    for (const auto& [a, b] : overlaps)
        text += " " + a + "-" + b;
    std::set<std::pair<int, int>> cuts;
    for (const auto& [v, around] : u.getCutGraph())
        for (Vertex* w : around)
            cuts.emplace(source.getIOIndex(v), source.getIOIndex(w));
    text += "\ncuts";
    for (const auto& [a, b] : cuts)
        text += " " + std::to_string(a) + "-" + std::to_string(b);
    text += u.isSuccesful() ? "\nsuccessful\nhull" : "\nfailed\nhull";
    const PlanarConvexHull& hull = u.getConvexHull();
    const PlanarConvexHull::Node* node = hull.getHead();
    for (int i = 0; i < hull.getLength(); ++i, node = node->next) {
        appendBits(text, node->x);
        appendBits(text, node->y);
        text += " " + std::to_string(u.getIOIndex(static_cast<const Vertex*>(node->data)));
    }
    const FaceBSP& tree = u.getFaceBoxTree();
    text += "\nindex";
    for (double bound : {tree.getMinX(), tree.getMaxX(), tree.getMinZ(), tree.getMaxZ()})
        appendBits(text, bound);
    text += " " + std::to_string(tree.getBoxCount()) + "\n";
    return text;
}

struct ToggleCounts {
    int kept = 0;
    int laidOut = 0;
};

/// Toggles `count` random edges, mostly among a few recently toggled ones so that
/// joins are as frequent as cuts, and after each compares the net with a full layout.
ToggleCounts toggleAndCompare(PolyMesh& mesh, ManualUnfolder& u, int count, unsigned seed) {
    const std::vector<Edge> edges = meshEdges(mesh);
    std::mt19937 random(seed);
    std::vector<Edge> recent;
    ToggleCounts counts;
    for (int step = 0; step < count; ++step) {
        Edge e;
        if (!recent.empty() && random() % 2 == 0) {
            e = recent[random() % recent.size()];
        } else {
            e = edges[random() % edges.size()];
            recent.push_back(e);
            if (recent.size() > 12)
                recent.erase(recent.begin());
        }
        const unsigned long long revision = u.getConvexHull().getRevision();
        u.toggleRequestedEdge(e.first, e.second);
        ++(u.getConvexHull().getRevision() == revision ? counts.kept : counts.laidOut);
        const std::string clicked = layoutText(u);
        u.onUpdated();
        const std::string laidOut = layoutText(u);
        EXPECT_EQ(clicked, laidOut) << "toggle " << step;
        if (clicked != laidOut)
            break;
    }
    return counts;
}

} // namespace

TEST(ManualUnfolderToggle, RandomClicksGiveTheNetsOfFullLayouts) {
    struct Case {
        const char* name;
        std::unique_ptr<PolyMesh> mesh;
        int toggles;
    };
    Case cases[] = {
        {"letter O", testshapes::dataModel("letter-o.off"), 300},
        {"channel bracket", testshapes::dataModel("channel-bracket.off"), 200},
        {"torus", testshapes::meshOf(testshapes::torus(8, 12)), 300},
        {"icosphere 3", testshapes::meshOf(testshapes::icosphere(3)), 250},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* u = testshapes::bind<ManualUnfolder>(*c.mesh);
        const ToggleCounts counts = toggleAndCompare(*c.mesh, *u, c.toggles, 20);
        // Both ways are taken: clicks that keep the net and clicks that lay it out.
        EXPECT_GT(counts.kept, c.toggles / 10);
        EXPECT_GT(counts.laidOut, c.toggles / 10);
    }
}

TEST(ManualUnfolderToggle, OnlyKnownAndStaleRequestsAlwaysLayOutAgain) {
    auto mesh = testshapes::meshOf(testshapes::icosphere(2));
    auto* u = testshapes::bind<ManualUnfolder>(*mesh);
    const std::vector<Edge> edges = meshEdges(*mesh);

    // Requests changed behind the unfolder's back: the next click lays out what they
    // say now, not what the net was laid from.
    for (size_t k = 0; k < edges.size(); k += 7)
        u->getRequestedCutGraph().addEdge(edges[k].first, edges[k].second);
    const unsigned long long revision = u->getConvexHull().getRevision();
    u->toggleRequestedEdge(edges[3].first, edges[3].second);
    EXPECT_NE(revision, u->getConvexHull().getRevision());
    std::string clicked = layoutText(*u);
    u->onUpdated();
    EXPECT_EQ(clicked, layoutText(*u));

    // The only-known layout picks its faces by the requests: every click counts.
    u->setOnlyKnown(true);
    std::mt19937 random(5);
    for (int step = 0; step < 40; ++step) {
        const Edge e = edges[random() % edges.size()];
        const unsigned long long before = u->getConvexHull().getRevision();
        u->toggleRequestedEdge(e.first, e.second);
        EXPECT_NE(before, u->getConvexHull().getRevision());
        clicked = layoutText(*u);
        u->onUpdated();
        EXPECT_EQ(clicked, layoutText(*u)) << "toggle " << step;
    }
    u->setOnlyKnown(false);
}
