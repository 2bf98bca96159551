// The nets of the greedy strategies are part of the system's behaviour: the face-box
// index and the layout may be made faster, never different. The fingerprints below were
// taken from the plain implementation; every bit of every net vertex and the blocker
// reports of the intelligent breadth-first strategy go into them.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "common/IdleSlice.h"
#include "scene/Factory.h"
#include "scene/loaders/OffParser.h"
#include "tests/support/DataModels.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"

namespace {

/// FNV-1a over the bytes given.
struct Fingerprint {
    std::uint64_t value = 1469598103934665603ull;
    void add(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            value ^= bytes[i];
            value *= 1099511628211ull;
        }
    }
    void add(double x) { add(&x, sizeof x); }
};

/// The net's vertex positions, face by face in source order (an unplaced face counts as
/// a marker), and the faces of the overlap graph.
std::uint64_t fingerprintOf(PolyMesh& source, Unfolder& u) {
    Fingerprint print;
    for (size_t i = 0; i < source.getPolyCount(); ++i) {
        const Poly* twin = source.getPoly(i)->getTwin();
        if (!twin) {
            print.add(-1.0);
            continue;
        }
        for (int k = 0; k < twin->getVertexCount(); ++k) {
            const Sorvex::M3d p = *twin->getVertex(k);
            print.add(p.x());
            print.add(p.y());
            print.add(p.z());
        }
        print.add(u.getConflicted(const_cast<Poly*>(twin)) ? 1.0 : 0.0);
    }
    return print.value;
}

struct Case {
    const char* strategy;
    const char* mesh;
    std::function<std::unique_ptr<PolyMesh>()> make;
    std::uint64_t expected;
};

} // namespace

TEST(NetFingerprint, GreedyNetsAreBitForBitThoseOfThePlainIndex) {
    const auto sphere = [] { return testshapes::meshOf(testshapes::icosphere(4)); };
    const auto torus = [] { return testshapes::meshOf(testshapes::torus(24, 40)); };
    const auto letterO = [] { return testshapes::dataModel("letter-o.off"); };
    const auto bracket = [] { return testshapes::dataModel("channel-bracket.off"); };
    const std::vector<Case> cases = {
        {"BreadthFirstUnfolder", "icosphere 4", sphere, 18051900978782273261ull},
        {"BreadthFirstUnfolder", "torus", torus, 17428220124528098267ull},
        {"BreadthFirstUnfolder", "letter O", letterO, 14809559817020354347ull},
        {"LeastHeightUnfolder", "icosphere 4", sphere, 11279957890491225276ull},
        {"LeastHeightUnfolder", "torus", torus, 12473043720468465165ull},
        {"LeastHeightUnfolder", "channel bracket", bracket, 15648966105093701655ull},
        {"CurvatureOrderingUnfolder", "icosphere 4", sphere, 11072202199422762947ull},
        {"CurvatureOrderingUnfolder", "torus", torus, 12158149214926074674ull},
        {"CurvatureOrderingUnfolder", "letter O", letterO, 11741935849665624252ull},
        {"IntelligentBreadthFirstUnfolder", "torus", torus, 16021913979175533674ull},
        {"IntelligentBreadthFirstUnfolder", "letter O", letterO, 14480334908985292093ull},
    };
    for (const Case& c : cases) {
        auto mesh = c.make();
        auto* u = dynamic_cast<Unfolder*>(Factory::BuildObj(c.strategy));
        ASSERT_NE(u, nullptr) << c.strategy;
        u->setParent(mesh.get());
        ASSERT_TRUE(testshapes::runToEnd(*u, 400000)) << c.strategy << " on " << c.mesh;
        EXPECT_EQ(fingerprintOf(*mesh, *u), c.expected)
            << c.strategy << " on " << c.mesh << " (" << u->getPolyCount() << " faces)";
    }
}

TEST(NetFingerprint, ATimeBoundedIdleSliceLaysTheSameNetInFewerTicks) {
    const auto run = [](int sliceMs, int& ticks) {
        SetIdleSliceMs(sliceMs);
        auto mesh = testshapes::meshOf(testshapes::icosphere(3));
        auto* u = dynamic_cast<Unfolder*>(Factory::BuildObj("IntelligentBreadthFirstUnfolder"));
        u->setParent(mesh.get());
        ticks = 0;
        while (!u->isDone() && ticks < 100000) {
            u->onSystemIdle();
            ++ticks;
        }
        SetIdleSliceMs(0);
        EXPECT_TRUE(u->isDone());
        return fingerprintOf(*mesh, *u);
    };
    int stepTicks = 0, sliceTicks = 0;
    const std::uint64_t stepped = run(0, stepTicks);
    // A slice far longer than the whole run: the fifth tick finishes the net.
    const std::uint64_t sliced = run(60000, sliceTicks);
    EXPECT_EQ(stepped, sliced);
    EXPECT_EQ(5, sliceTicks);
    EXPECT_GT(stepTicks, 20) << "one step a tick places a few faces at a time";
}
