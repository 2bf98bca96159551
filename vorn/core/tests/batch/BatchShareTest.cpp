// A batch run shared between processes (threads with queues standing in for the
// ranks of an MPI job) gives the results file of a run on one thread, and the
// messages between them survive the trip exactly or are refused.
#include "vorn/core/batch/BatchRunner.h"
#include "vorn/core/batch/BatchShare.h"
#include "vorn/core/batch/BatchWire.h"

#include "common/Random.h"
#include "scene/mesh/MeshData.h"
#include "scene/mesh/PolyMesh.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"
#include "vorn/core/shapes/RandomConvex.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

namespace fs = std::filesystem;

namespace {

/// Queues between threads: one queue per sending process, read by process 0.
struct Exchange {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::deque<std::string>> queues;
    size_t sent = 0;
};

class ThreadPeers final : public BatchPeers {
public:
    ThreadPeers(Exchange& exchange, int rank, int size)
        : m_exchange(exchange), m_rank(rank), m_size(size) {}
    int rank() const override { return m_rank; }
    int size() const override { return m_size; }
    bool sendToFirst(const std::string& bytes, std::string&) override {
        std::lock_guard<std::mutex> lock(m_exchange.mutex);
        m_exchange.queues[size_t(m_rank)].push_back(bytes);
        ++m_exchange.sent;
        m_exchange.arrived.notify_all();
        return true;
    }
    bool receiveFrom(int from, std::string& bytes, std::string&) override {
        std::unique_lock<std::mutex> lock(m_exchange.mutex);
        auto& queue = m_exchange.queues[size_t(from)];
        m_exchange.arrived.wait(lock, [&] { return !queue.empty(); });
        bytes = std::move(queue.front());
        queue.pop_front();
        return true;
    }
    bool finishSending(std::string&) override { return true; }

private:
    Exchange& m_exchange;
    int m_rank, m_size;
};

class SharedBatch : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"one", "shared", "models"})
            fs::create_directories(dir / folder);
        std::ofstream(dir / "models" / "cube.off")
            << "OFF\n8 6 0\n0 0 0\n1 0 0\n1 1 0\n0 1 0\n0 0 1\n1 0 1\n1 1 1\n0 1 1\n"
               "4 0 3 2 1\n4 4 5 6 7\n4 0 1 5 4\n4 1 2 6 5\n4 2 3 7 6\n4 3 0 4 7\n";
        options.modelPath = (dir / "models").string();
        options.randomBuilder = BuildRandomConvex;
        options.strategies = {FindOfferedStrategy("Breadth First"),
                              FindOfferedStrategy("Random Cut")};
        ASSERT_NE(nullptr, options.strategies[0].factory);
        ASSERT_NE(nullptr, options.strategies[1].factory);
    }

    /// Runs `options` over `processes` threads; returns process 0's results file.
    std::string runShared(int processes, size_t* messages = nullptr) {
        options.recordTo = (dir / "shared").string();
        fs::remove(dir / "shared" / "results.csv");
        Exchange exchange;
        exchange.queues.resize(size_t(processes));
        std::vector<std::string> errors(static_cast<size_t>(processes));
        std::vector<std::thread> threads;
        for (int rank = 0; rank < processes; ++rank)
            threads.emplace_back([&, rank] {
                ThreadPeers peers(exchange, rank, processes);
                BatchRunner runner;
                runner.start(options);
                if (!RunSharedBatch(runner, peers, errors[size_t(rank)])) {
                    ADD_FAILURE() << "process " << rank << ": " << errors[size_t(rank)];
                }
                if (rank == 0) {
                    EXPECT_FALSE(runner.isRunning());
                }
            });
        for (std::thread& t : threads)
            t.join();
        if (messages)
            *messages = exchange.sent;
        return ReadFileText(dir / "shared" / "results.csv");
    }
    std::string runAlone() {
        options.recordTo = (dir / "one").string();
        BatchRunner runner;
        runner.start(options);
        runner.run(1);
        return ReadFileText(dir / "one" / "results.csv");
    }

    TempDir m_tmp;
    fs::path dir{m_tmp.path()};
    BatchOptions options;
};

} // namespace

TEST_F(SharedBatch, SharedRunWritesTheFileOfARunOnOneThread) {
    options.tests = {"<<37 Random Polyhedra>>", "cube.off", "<<1 Random Polyhedron>>"};
    options.varyRandoms = true;
    options.seed = 11;
    const std::string alone = runAlone();
    ASSERT_NE(std::string::npos, alone.find("Status, 39 of 39")) << alone;
    size_t messages = 0;
    EXPECT_EQ(alone, runShared(3, &messages));
    EXPECT_GT(messages, size_t(4)) << "the other processes must have done a share";
    EXPECT_EQ(alone, runShared(1));
    // Fewer tests than processes: some have nothing to do.
    options.tests = {"cube.off", "<<1 Random Polyhedron>>"};
    EXPECT_EQ(runAlone(), runShared(4));
}

TEST_F(SharedBatch, RepeatModeWithARoundLimitIsSharedToo) {
    options.strategies = {FindOfferedStrategy("Quick Random Cut")};
    ASSERT_NE(nullptr, options.strategies[0].factory);
    options.tests = {"cube.off", "<<1 Random Polyhedron>>"};
    options.maxRounds = 9;
    const std::string alone = runAlone();
    ASSERT_NE(std::string::npos, alone.find("\nStatus, 9\n")) << alone;
    EXPECT_EQ(alone, runShared(2));
}

TEST(BatchBlocks, EveryProcessGetsSeveralBlocksOfBoundedSize) {
    EXPECT_EQ(size_t(1), BatchBlockSize(5, 3));
    EXPECT_EQ(size_t(1), BatchBlockSize(0, 3));
    EXPECT_EQ(size_t(20), BatchBlockSize(1000, 3));
    EXPECT_EQ(size_t(64), BatchBlockSize(100000000, 2));
    EXPECT_EQ(size_t(64), BatchBlockSize(BatchPlan::kEndless, 8));
    EXPECT_EQ(size_t(62), BatchBlockSize(1000, 0)) << "a nonsense process count counts as one";
}

TEST(BatchWire, OutcomesTravelExactly) {
    BatchTestOutcome outcome;
    outcome.index = 123456789012ULL;
    outcome.testName = "Name, with: colons";
    outcome.label = "[006..010]";
    outcome.counting = true;
    outcome.unfoldings = {{"Breadth First", true, 1.0}, {"Least Height", false, 0.1 + 0.2}};
    outcome.failureXml = "<?xml version=\"1.0\" ?>\n<PolyMesh>\n</PolyMesh>\n";
    outcome.messages = {"", "a message\nof two lines"};
    outcome.pdfs = {{"/out/.3-a.pdf", "/out/a.pdf"}};
    BatchTestOutcome back;
    ASSERT_TRUE(DecodeBatchOutcome(EncodeBatchOutcome(outcome), back));
    EXPECT_EQ(outcome.index, back.index);
    EXPECT_EQ(outcome.testName, back.testName);
    EXPECT_EQ(outcome.label, back.label);
    EXPECT_TRUE(back.counting);
    ASSERT_EQ(size_t(2), back.unfoldings.size());
    EXPECT_EQ("Least Height", back.unfoldings[1].strategy);
    EXPECT_FALSE(back.unfoldings[1].success);
    EXPECT_EQ(0.1 + 0.2, back.unfoldings[1].score) << "bit for bit, not rounded";
    EXPECT_EQ(outcome.failureXml, back.failureXml);
    EXPECT_EQ(outcome.messages, back.messages);
    EXPECT_EQ(outcome.pdfs, back.pdfs);

    std::vector<BatchTestOutcome> many{outcome, BatchTestOutcome()};
    std::vector<BatchTestOutcome> manyBack;
    ASSERT_TRUE(DecodeBatchOutcomes(EncodeBatchOutcomes(many), manyBack));
    ASSERT_EQ(size_t(2), manyBack.size());
    EXPECT_EQ(outcome.label, manyBack[0].label);
}

TEST(BatchWire, DamagedMessagesAreRefused) {
    BatchTestOutcome outcome;
    outcome.unfoldings = {{"Breadth First", true, 1.0}};
    const std::string bytes = EncodeBatchOutcome(outcome);
    BatchTestOutcome back;
    for (size_t cut = 0; cut < bytes.size(); ++cut)
        EXPECT_FALSE(DecodeBatchOutcome(bytes.substr(0, cut), back)) << cut;
    EXPECT_FALSE(DecodeBatchOutcome(bytes + "1:x", back)) << "bytes left over";
    EXPECT_FALSE(DecodeBatchOutcome("99999999999999999999:x", back));
    EXPECT_FALSE(DecodeBatchOutcome("1:0-5:hello", back));
    // A huge count with nothing behind it asks for no memory.
    EXPECT_FALSE(DecodeBatchOutcome("1:00:0:1:0" "19:9999999999999999999", back));
    std::vector<BatchTestOutcome> many;
    EXPECT_FALSE(DecodeBatchOutcomes("1:2" + std::to_string(bytes.size()) + ":" + bytes, many));
}

TEST_F(SharedBatch, ChoicesTravelWithTheCurrentModel) {
    PolyMesh model;
    vornSrand(3);
    ASSERT_TRUE(BuildRandomConvex(model, 12, 2.0));
    options.currentModel = &model;
    options.sceneName = "Scene";
    options.tests = {"<<Current Model>>", "<<5 Random Polyhedra>>", "cube.off"};
    options.recordTo = "/somewhere/else";
    options.writePdfs = options.captureFails = options.varyRandoms = true;
    options.seed = 4000000000u;
    options.maxRounds = 7;

    BatchOptions back;
    back.randomBuilder = BuildRandomConvex;
    std::unique_ptr<PolyMesh> current;
    std::string error;
    ASSERT_TRUE(DecodeBatchOptions(EncodeBatchOptions(options), back, current, error)) << error;
    ASSERT_EQ(size_t(2), back.strategies.size());
    EXPECT_EQ(options.strategies[1].factory, back.strategies[1].factory);
    EXPECT_EQ(options.strategies[1].displayName, back.strategies[1].displayName);
    EXPECT_EQ(options.tests, back.tests);
    EXPECT_EQ(options.recordTo, back.recordTo);
    EXPECT_EQ(options.modelPath, back.modelPath);
    EXPECT_TRUE(back.writePdfs && back.captureFails && back.varyRandoms);
    EXPECT_EQ(4000000000u, back.seed);
    EXPECT_EQ(size_t(7), back.maxRounds);
    EXPECT_EQ("Scene", back.sceneName);
    EXPECT_EQ(BuildRandomConvex, back.randomBuilder) << "kept from the receiving side";
    ASSERT_NE(nullptr, current);
    EXPECT_EQ(current.get(), back.currentModel);
    const MeshData sent = model.toMeshData(), received = current->toMeshData();
    EXPECT_EQ(sent.faces, received.faces);
    ASSERT_EQ(sent.vertices.size(), received.vertices.size());
    for (size_t i = 0; i < sent.vertices.size(); ++i)
        EXPECT_TRUE(sent.vertices[i].x() == received.vertices[i].x() &&
                    sent.vertices[i].y() == received.vertices[i].y() &&
                    sent.vertices[i].z() == received.vertices[i].z());

    // A strategy this side does not know is named; damage is refused; neither changes
    // the options.
    std::string bytes = EncodeBatchOptions(options);
    const std::string known = "BreadthFirstUnfolder";
    bytes.replace(bytes.find(known), known.size(), "BreadthLastUnfolder0");
    BatchOptions untouched;
    untouched.seed = 5;
    EXPECT_FALSE(DecodeBatchOptions(bytes, untouched, current, error));
    EXPECT_NE(std::string::npos, error.find("'BreadthLastUnfolder0'")) << error;
    EXPECT_EQ(5u, untouched.seed);
    EXPECT_FALSE(DecodeBatchOptions(EncodeBatchOptions(options).substr(5), untouched, current,
                                    error));
    EXPECT_EQ(5u, untouched.seed);
}
