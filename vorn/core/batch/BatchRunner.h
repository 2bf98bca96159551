#pragma once

#include "vorn/core/batch/BatchPlan.h"
#include "vorn/core/batch/BatchResults.h"
#include "vorn/core/batch/BatchTestRun.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

/// The batch unfolding engine: runs every chosen strategy on every chosen
/// test and keeps the results table, writing results.csv after each test.
///
/// Driven in slices by `step` (the dialog calls it from idle ticks), or to
/// the end by `run`, which may spread the tests over worker threads. Each
/// test is seeded from the run's seed and its index and its results are
/// taken in test order, so a run gives the same results.csv either way.
class BatchRunner {
public:
    BatchRunner();
    ~BatchRunner();
    BatchRunner(const BatchRunner&) = delete;
    BatchRunner& operator=(const BatchRunner&) = delete;

    /// "Go": drops any run under way and its results and prepares a new one.
    void start(const BatchOptions& options);
    /// Works on the run for about `budget`: finishes unfoldings and tests
    /// until the time is used up. Returns false once the run has ended.
    bool step(std::chrono::milliseconds budget);
    /// Works to the end of the run (never ends in repeat mode without a
    /// round limit) with `jobs` worker threads (1: on this thread).
    void run(int jobs);
    /// Sets up the next test (its mesh made or loaded, no unfolder yet) when
    /// none is under way, so a display can show it before `step` works on
    /// it. Results do not change: the test is seeded by its index either way.
    void prepareNextTest();
    /// Asks `run` to stop after the tests under way (safe from any thread).
    void requestStop();

    /// Runs test `index` of the run to its end on this thread and returns what it
    /// gives, without taking it into the results: a run shared between processes
    /// runs its tests here and takes them in where the results are kept.
    BatchTestOutcome runTest(size_t index);
    /// Takes the outcome of the next test (index getTestsDone()) into the results,
    /// as `step` and `run` do with the tests they run; false, changing nothing, for
    /// any other index.
    bool takeOutcome(const BatchTestOutcome& outcome);

    bool isRunning() const;
    bool isRepeatMode() const { return m_plan && m_plan->repeatMode; }
    /// Tests taken into the results so far, and in the whole run
    /// (BatchPlan::kEndless in endless repeat mode).
    size_t getTestsDone() const { return m_testsDone; }
    size_t getTotalTests() const { return m_plan ? m_plan->totalTests() : 0; }

    const BatchResults& getResults() const { return m_results; }
    /// The status text ("Ready", "Unfolding ... by ... (...%)", "Unable to
    /// write to ...") and the progress text ("3 of 100", or the round in
    /// repeat mode).
    std::string getStatus() const;
    std::string getProgressText() const;
    /// Why results.csv could not be written last time; empty when it was.
    std::string getCsvError() const;
    /// Display name of the strategy last started.
    std::string getCurrentStrategy() const;
    /// The test under way in `step` (null between tests and in `run`).
    BatchTestRun* getCurrentTest() const { return m_current.get(); }

    /// Called after each test is taken into the results (on the thread that
    /// drives the run).
    std::function<void(const BatchTestOutcome&)> onTestDone;

    /// Where failures are kept: "latest failure.xml" in the data folder.
    static std::string LatestFailurePath();

private:
    void beginTest();
    void commit(const BatchTestOutcome& outcome);
    void writeCsv();
    /// Writes results.csv when a write was put off by the interval.
    void flushCsv();
    void setStatus(std::string status);
    void setProgress(size_t testIndex);
    void setStrategy(std::string strategy);
    void runParallel(int jobs);

    std::unique_ptr<BatchPlan> m_plan;
    std::unique_ptr<BatchTestRun> m_current;
    BatchResults m_results;
    size_t m_testsDone = 0;
    std::atomic<bool> m_stopRequested = false;
    std::string m_csvError;
    bool m_csvStale = false; // results taken in since results.csv was last written
    std::chrono::steady_clock::time_point m_csvWritten;

    mutable std::mutex m_textMutex; // status texts are read by progress displays
    std::string m_status = "Ready";
    std::string m_progress;
    std::string m_strategy;
};
