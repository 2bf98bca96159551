// The batch engine on small test strategies: counting and scoring, the
// results file, failures kept, unreadable models, and the same results
// whether the run is sliced, on one thread or on two.
#include "vorn/core/batch/BatchRunner.h"
#include "vorn/core/batch/RandomPolyhedron.h"

#include "common/Random.h"
#include "common/UserPaths.h"
#include "common/XML.h"
#include "scene/mesh/MeshData.h"
#include "scene/mesh/PolyMesh.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"
#include "unfolders/engine/Unfolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

/// Succeeds on meshes whose face count is a multiple of 4 and otherwise
/// stops after its starting face, so its score is 1 / faces.
class SteadyTestUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(SteadyTestUnfolder)
    int steps = 0;
    void unfold() override { ++steps; }
    bool isDone() override { return steps >= 2; }
    bool allowAutoComplete() override { return false; }
    bool isSuccesful() override {
        return isDone() && source && source->getPolyCount() > 0 && source->getPolyCount() % 4 == 0;
    }
};
VORN_DEFINE_OFFERED_FACTORY(SteadyTestUnfolder, "Unfolder")

/// Succeeds on a coin toss of the thread's random generator.
class CoinTestUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(CoinTestUnfolder)
    int steps = 0;
    bool heads = false;
    void unfold() override {
        if (steps++ == 0)
            heads = vornRand() % 2 == 1;
    }
    bool isDone() override { return steps >= 3; }
    bool allowAutoComplete() override { return false; }
    bool isSuccesful() override { return isDone() && heads; }
};
VORN_DEFINE_OFFERED_FACTORY(CoinTestUnfolder, "Unfolder")

/// Refuses every mesh by throwing out of setParent, or throws from a step.
class ThrowingTestUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(ThrowingTestUnfolder)
    bool setParent(SceneObj* parent) override {
        Unfolder::setParent(parent);
        if (source && source->getPolyCount() % 4 != 0)
            throw "ERROR: this mesh cannot be used";
        return true;
    }
    bool isDone() override { return false; }
    void unfold() override { throw std::runtime_error("step failed"); }
};
VORN_DEFINE_OFFERED_FACTORY(ThrowingTestUnfolder, "Unfolder")

namespace {

/// A convex bipyramid over a jittered (count - 2)-gon: 2 * (count - 2) faces.
bool buildBipyramid(PolyMesh& mesh, int count, double radius) {
    const int n = std::max(count - 2, 3);
    MeshData data;
    for (int i = 0; i < n; ++i) {
        const double angle = (i + 0.4 * vornRand() / VORN_RAND_MAX) * 2 * M_PI / n;
        data.vertices.emplace_back(radius * std::cos(angle), 0, radius * std::sin(angle));
    }
    data.vertices.emplace_back(0, radius * (0.5 + double(vornRand()) / VORN_RAND_MAX), 0);
    data.vertices.emplace_back(0, -radius, 0);
    for (int i = 0; i < n; ++i) {
        const int j = (i + 1) % n;
        data.faces.push_back({i, n, j});
        data.faces.push_back({j, n + 1, i});
    }
    return mesh.fromMeshData(data);
}

/// Writes the face count of the unfolder's source as the "picture".
bool writeFaceCount(PolyMesh& unfolder, const std::string& path, std::string& error) {
    std::ofstream out(path);
    out << static_cast<Unfolder&>(unfolder).getSource()->getPolyCount();
    error = out ? "" : "cannot write " + path;
    return bool(out);
}

bool buildNothing(PolyMesh& mesh, int, double) {
    mesh.clear();
    return false;
}

class BatchRun : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir / "models");
        options.recordTo = (dir / "out").string() + "/";
        fs::create_directories(dir / "out");
        options.modelPath = (dir / "models").string();
        options.randomBuilder = buildBipyramid;
    }

    static OfferedStrategy strategy(const char* name) { return FindOfferedStrategy(name); }
    std::string csv() const { return ReadFileText(dir / "out" / "results.csv"); }
    void writeModel(const char* name, const std::string& text) {
        std::ofstream(dir / "models" / name) << text;
    }

    TempDir m_tmp;
    fs::path dir{m_tmp.path()};
    BatchOptions options;
};

const char* const kCubeOff = "OFF\n8 6 0\n"
                             "0 0 0\n1 0 0\n1 1 0\n0 1 0\n0 0 1\n1 0 1\n1 1 1\n0 1 1\n"
                             "4 0 3 2 1\n4 4 5 6 7\n4 0 1 5 4\n4 1 2 6 5\n4 2 3 7 6\n4 3 0 4 7\n";

} // namespace

TEST_F(BatchRun, TestStrategiesAreFoundByEitherName) {
    EXPECT_EQ(&SteadyTestUnfolder::g_SteadyTestUnfolderBuilder,
              FindOfferedStrategy("Steady Test").factory);
    EXPECT_EQ("Coin Test", FindOfferedStrategy("CoinTestUnfolder").displayName);
    EXPECT_EQ("Coin Test", FindOfferedStrategy("coin-test").displayName);
    EXPECT_EQ(nullptr, FindOfferedStrategy("Unfolder").factory);
    EXPECT_EQ(nullptr, FindOfferedStrategy("No Such").factory);
}

TEST_F(BatchRun, SeriesCountAndModelsScoreInTheResultsFile) {
    writeModel("cube.off", kCubeOff);
    writeModel("broken.off", "OFF\n8 6 0\n0 0 nonsense\n");
    options.strategies = {strategy("Steady Test")};
    options.tests = {"<<3 Random Polyhedra>>", "broken.off", "cube.off", "missing.off"};
    BatchRunner runner;
    runner.start(options);
    runner.run(1);
    EXPECT_FALSE(runner.isRunning());
    EXPECT_EQ("Ready", runner.getStatus());
    // Each bipyramid of 100 points has 196 faces: a multiple of 4, so all
    // three count as successes. The cube scores 1/6; an unreadable or
    // missing file runs as an empty mesh, which scores nothing.
    EXPECT_EQ("Unfolder, Broken.off, Cube.off, Missing.off, RandomSeries, \n"
              "Steady Test, 0.00, 16.67, 0.00, 3.00, \n"
              "\nStatus, 6 of 6\n"
              "\n\nSuccess rates:\n"
              "Steady Test, 0.00, 16.67, 0.00, 100.00, \n"
              "\nTotals, 1, 1, 1, 3, \n",
              csv());
}

TEST_F(BatchRun, ModelsThatDoNotLoadFailEveryRealStrategyAndSayWhy) {
    writeModel("cube.off", kCubeOff);
    writeModel("broken.off", "OFF\n8 6 0\n0 0 nonsense\n");
    writeModel("faceless.off", "OFF\n3 0 0\n0 0 0\n1 0 0\n0 1 0\n");
    writeModel("meshless.xml", "<SceneRoot/>");
    options.strategies = {strategy("BreadthFirstUnfolder"), strategy("LeastHeightUnfolder")};
    ASSERT_NE(nullptr, options.strategies[0].factory) << "the real strategies are linked";
    ASSERT_NE(nullptr, options.strategies[1].factory);
    options.tests = {"broken.off", "faceless.off", "meshless.xml", "missing.off", "cube.off"};
    BatchRunner runner;
    std::vector<std::string> messages;
    runner.onTestDone = [&](const BatchTestOutcome& outcome) {
        messages.insert(messages.end(), outcome.messages.begin(), outcome.messages.end());
    };
    runner.start(options);
    runner.run(1);
    for (const OfferedStrategy& s : options.strategies) {
        for (const char* label : {"Broken.off", "Faceless.off", "Meshless.xml", "Missing.off"})
            EXPECT_EQ(0.0, runner.getResults().successRate(s.displayName, label))
                << s.displayName << " on " << label;
        EXPECT_EQ(100.0, runner.getResults().successRate(s.displayName, "Cube.off"));
    }
    // One line per unusable file, naming it.
    ASSERT_EQ(4u, messages.size());
    const char* files[] = {"broken.off", "faceless.off", "meshless.xml", "missing.off"};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(0u, messages[i].find(options.modelPath + "/" + files[i])) << messages[i];
        EXPECT_EQ(std::string::npos, messages[i].find('\n')) << messages[i];
    }
    EXPECT_NE(std::string::npos, messages[1].find("no faces")) << messages[1];
    EXPECT_NE(std::string::npos, messages[3].find("no such file")) << messages[3];
}

TEST_F(BatchRun, ResultsFileIsWrittenAfterEveryTest) {
    options.strategies = {strategy("Steady Test")};
    options.tests = {"<<4 Random Polyhedra>>"};
    BatchRunner runner;
    std::vector<std::string> statusRows;
    runner.onTestDone = [&](const BatchTestOutcome& outcome) {
        const std::string text = csv();
        statusRows.push_back(text.substr(text.find("Status")));
        EXPECT_EQ("RandomSeries", outcome.label);
        EXPECT_TRUE(outcome.counting);
    };
    runner.start(options);
    runner.run(1);
    ASSERT_EQ(size_t(4), statusRows.size());
    EXPECT_EQ(0u, statusRows[0].rfind("Status, 1 of 4\n", 0));
    EXPECT_NE(std::string::npos, statusRows[1].find("Totals, 2, \n"));
    EXPECT_EQ(0u, statusRows[3].rfind("Status, 4 of 4\n", 0));
}

TEST_F(BatchRun, ResultsFileWritesMayBeSpacedButNothingIsLost) {
    options.strategies = {strategy("Steady Test")};
    options.tests = {"<<6 Random Polyhedra>>"};
    BatchRunner everyTest;
    everyTest.start(options);
    everyTest.run(1);
    const std::string expected = csv();
    fs::remove(dir / "out" / "results.csv");

    options.csvInterval = std::chrono::hours(1);
    for (int jobs : {1, 2}) {
        BatchRunner spaced;
        bool writtenEarly = false;
        spaced.onTestDone = [&](const BatchTestOutcome& outcome) {
            // The start of the run counts as the last write: only the end writes.
            if (outcome.index + 1 < 6)
                writtenEarly = writtenEarly || fs::exists(dir / "out" / "results.csv");
        };
        spaced.start(options);
        spaced.run(jobs);
        EXPECT_FALSE(writtenEarly) << jobs;
        EXPECT_EQ(expected, csv()) << "the last test always writes";
        fs::remove(dir / "out" / "results.csv");
    }

    // A run stopped or dropped half-way leaves the results it took in.
    {
        BatchRunner dropped;
        dropped.start(options);
        while (dropped.getTestsDone() < 2)
            dropped.step(std::chrono::milliseconds(0));
        ASSERT_EQ(size_t(2), dropped.getTestsDone());
        EXPECT_FALSE(fs::exists(dir / "out" / "results.csv"));
    }
    EXPECT_NE(std::string::npos, csv().find("\nStatus, 2 of 6\n")) << csv();
    BatchRunner stopped;
    stopped.onTestDone = [&](const BatchTestOutcome& outcome) {
        if (outcome.index == 2)
            stopped.requestStop();
    };
    stopped.start(options);
    stopped.run(1);
    EXPECT_NE(std::string::npos, csv().find("\nStatus, 3 of 6\n")) << csv();
}

TEST_F(BatchRun, RepeatModeCountsEveryCellAndRoundsAreLimited) {
    writeModel("cube.off", kCubeOff);
    // Repeat mode goes by the display name alone.
    options.strategies = {{strategy("Steady Test").factory, "Quick Random Cut"}};
    options.tests = {"cube.off", "<<1 Random Polyhedron>>"};
    options.maxRounds = 3;
    BatchRunner runner;
    runner.start(options);
    EXPECT_TRUE(runner.isRepeatMode());
    EXPECT_EQ(size_t(6), runner.getTotalTests());
    runner.run(1);
    EXPECT_EQ("Unfolder, Cube.off, RandomPoly, \n"
              "Quick Random Cut, 0.00, 3.00, \n"
              "\nStatus, 3\n"
              "\n\nSuccess rates:\n"
              "Quick Random Cut, 0.00, 100.00, \n"
              "\nTotals, 3, 3, \n",
              csv());
}

TEST_F(BatchRun, VaryRandomsCountsByFaceBucket) {
    options.strategies = {strategy("Steady Test")};
    options.tests = {"<<30 Random Polyhedra>>"};
    options.varyRandoms = true;
    BatchRunner runner;
    runner.start(options);
    runner.run(1);
    int runs = 0;
    for (const auto& [label, count] : runner.getResults().getRunCounts()) {
        EXPECT_EQ('[', label[0]);
        runs += count;
        // Bipyramids have an even face count; 2 of every 5 buckets hold only
        // multiples of 4 or none, so successes must match the face counts.
        const double rate = runner.getResults().successRate("Steady Test", label);
        EXPECT_GE(rate, 0) << label;
    }
    EXPECT_EQ(30, runs);
    EXPECT_GT(runner.getResults().getRunCounts().size(), size_t(3));
}

TEST_F(BatchRun, SameSeedSameResultsSlicedSerialAndParallel) {
    writeModel("cube.off", kCubeOff);
    options.strategies = {strategy("Coin Test"), strategy("Steady Test")};
    options.tests = {"<<40 Random Polyhedra>>", "cube.off", "<<1 Random Polyhedron>>"};
    options.varyRandoms = true;
    options.seed = 7;

    BatchRunner serial;
    serial.start(options);
    serial.run(1);
    const std::string one = csv();

    BatchRunner sliced;
    sliced.start(options);
    int slices = 0;
    while (sliced.step(std::chrono::milliseconds(0)))
        ++slices;
    EXPECT_GT(slices, 42);
    EXPECT_EQ(one, csv());

    // Setting each test up ahead, as a display of the coming test does, changes nothing.
    BatchRunner shown;
    shown.start(options);
    shown.prepareNextTest();
    ASSERT_NE(nullptr, shown.getCurrentTest());
    EXPECT_EQ(size_t(0), shown.getTestsDone());
    EXPECT_GT(shown.getCurrentTest()->getMesh().getPolyCount(), size_t(0));
    EXPECT_EQ(nullptr, shown.getCurrentTest()->getUnfolder());
    while (shown.step(std::chrono::milliseconds(0)))
        shown.prepareNextTest();
    shown.prepareNextTest();
    EXPECT_EQ(nullptr, shown.getCurrentTest()) << "nothing is set up after the last test";
    EXPECT_EQ(one, csv());

    BatchRunner parallel;
    parallel.start(options);
    parallel.run(2);
    EXPECT_EQ(one, csv());

    // The coin must actually vary, or the comparison proves little.
    int heads = 0;
    for (const auto& [label, value] : serial.getResults().getValues().at("Coin Test"))
        if (label[0] == '[')
            heads += int(value);
    EXPECT_GT(heads, 5);
    EXPECT_LT(heads, 35);

    options.seed = 8;
    BatchRunner other;
    other.start(options);
    other.run(2);
    EXPECT_NE(one, csv());
}

TEST_F(BatchRun, FailuresAreKeptWhenAsked) {
    writeModel("cube.off", kCubeOff);
    const std::string failurePath = BatchRunner::LatestFailurePath();
    fs::remove(failurePath);
    options.strategies = {strategy("Steady Test")};
    options.tests = {"cube.off"};
    BatchRunner runner;
    runner.start(options);
    runner.run(1);
    EXPECT_FALSE(fs::exists(failurePath));

    options.captureFails = true;
    runner.start(options);
    runner.run(2);
    const std::string kept = ReadFileText(failurePath);
    EXPECT_NE(std::string::npos, kept.find("<PolyMesh"));
    PolyMesh mesh;
    XML node;
    ASSERT_TRUE(node.parse(kept));
    mesh.read(node);
    EXPECT_EQ(size_t(6), mesh.getPolyCount());
    fs::remove(failurePath);
}

TEST_F(BatchRun, UnwritableResultsFolderIsReported) {
    options.recordTo = (dir / "no" / "such" / "folder").string();
    options.strategies = {strategy("Steady Test")};
    options.tests = {"<<1 Random Polyhedron>>"};
    BatchRunner runner;
    std::string statusAfterTest;
    runner.onTestDone = [&](const BatchTestOutcome&) { statusAfterTest = runner.getStatus(); };
    runner.start(options);
    runner.run(1);
    EXPECT_EQ("Unable to write to " + options.recordTo + "/results.csv", statusAfterTest);
    EXPECT_FALSE(runner.getCsvError().empty());
}

TEST_F(BatchRun, StrategiesThatThrowFailWithoutEndingTheRun) {
    writeModel("cube.off", kCubeOff);
    options.strategies = {strategy("Throwing Test"), strategy("Steady Test")};
    options.tests = {"cube.off", "<<2 Random Polyhedra>>"};
    BatchRunner runner;
    runner.start(options);
    runner.run(2);
    EXPECT_FALSE(runner.isRunning());
    const auto& values = runner.getResults().getValues();
    EXPECT_FLOAT_EQ(0.0f, values.at("Throwing Test").at("Cube.off"));
    EXPECT_FLOAT_EQ(0.0f, values.at("Throwing Test").at("RandomSeries"));
    EXPECT_FLOAT_EQ(2.0f, values.at("Steady Test").at("RandomSeries"));
}

TEST_F(BatchRun, PicturesAreOfScoredTestsOnlyWhateverTheJobs) {
    writeModel("cube.off", kCubeOff);
    options.strategies = {strategy("BreadthFirstUnfolder"), strategy("LeastHeightUnfolder")};
    options.tests = {"cube.off", "<<12 Random Polyhedra>>"};
    options.varyRandoms = true;
    options.writePdfs = true;
    options.pdfWriter = writeFaceCount;
    std::vector<std::string> pictures[2];
    for (int jobs : {1, 2}) {
        BatchRunner runner;
        runner.start(options);
        runner.run(jobs);
        for (const fs::directory_entry& entry : fs::directory_iterator(dir / "out"))
            if (entry.path().extension() != ".csv")
                pictures[jobs - 1].push_back(entry.path().filename().string() + "=" +
                                             ReadFileText(entry.path()));
        std::sort(pictures[jobs - 1].begin(), pictures[jobs - 1].end());
        fs::remove_all(dir / "out");
        fs::create_directories(dir / "out");
    }
    // The series is counted, not scored: its nets are not drawn (nor drawn and dropped).
    ASSERT_EQ(size_t(2), pictures[0].size());
    EXPECT_EQ("Cube-BreadthFirst.pdf=6", pictures[0][0]);
    EXPECT_EQ("Cube-LeastHeight.pdf=6", pictures[0][1]);
    EXPECT_EQ(pictures[0], pictures[1]);

    // No folder to record to: no pictures, and no complaint.
    options.recordTo = (dir / "missing").string();
    BatchRunner runner;
    runner.start(options);
    runner.run(2);
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST_F(BatchRun, RandomPolyhedronRule) {
    PolyMesh mesh;
    vornSrand(3);
    EXPECT_TRUE(MakeRandomPolyhedron(mesh, false, buildBipyramid));
    EXPECT_EQ(size_t(196), mesh.getPolyCount());
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(MakeRandomPolyhedron(mesh, true, buildBipyramid));
        EXPECT_GE(mesh.getPolyCount(), size_t(6));
        EXPECT_LE(mesh.getPolyCount(), size_t(2 * 97));
    }
    // A generator that never succeeds leaves an empty mesh, not a hang.
    EXPECT_FALSE(MakeRandomPolyhedron(mesh, false, buildNothing, 10));
    EXPECT_EQ(size_t(0), mesh.getPolyCount());
}
