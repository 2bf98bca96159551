#include "vorn/core/batch/BatchRunner.h"

#include "common/AtomicFile.h"
#include "common/UserPaths.h"
#include "scene/mesh/PolyMesh.h"
#include "unfolders/engine/Unfolder.h"

#include <condition_variable>
#include <cstdio>
#include <map>
#include <thread>
#include <vector>

namespace {

using Clock = BatchTestRun::Clock;

} // namespace

BatchRunner::BatchRunner() = default;
BatchRunner::~BatchRunner() {
    // Results taken in but not yet written are not lost with the runner.
    if (m_plan)
        flushCsv();
}

std::string BatchRunner::LatestFailurePath() {
    return JoinPath(GetUserDataDir(), "latest failure.xml");
}

void BatchRunner::start(const BatchOptions& options) {
    if (m_plan)
        flushCsv();
    m_current.reset();
    m_csvStale = false;
    m_csvWritten = Clock::now();
    m_results.clear();
    m_testsDone = 0;
    m_stopRequested = false;
    m_csvError.clear();
    m_plan = MakeBatchPlan(options);
    {
        std::lock_guard<std::mutex> lock(m_textMutex);
        m_progress.clear();
        m_strategy.clear();
    }
    if (getTotalTests() > 0)
        setProgress(0);
    setStatus("Ready");
}

bool BatchRunner::isRunning() const {
    return m_plan && m_testsDone < m_plan->totalTests();
}

void BatchRunner::requestStop() {
    m_stopRequested = true;
}

bool BatchRunner::step(std::chrono::milliseconds budget) {
    const Clock::time_point deadline = Clock::now() + budget;
    while (isRunning() && !m_stopRequested) {
        if (!m_current)
            beginTest();
        const bool finished = m_current->work(deadline);
        if (!finished) {
            char percent[32];
            Unfolder* unfolder = m_current->getUnfolder();
            std::snprintf(percent, sizeof percent, "%5.3f",
                          unfolder ? unfolder->getProgress() * 100.0 : 0.0);
            setStatus("Unfolding " + m_current->getOutcome().testName + " by " +
                      m_current->getCurrentStrategy() + " (" + percent + "%)");
            return true;
        }
        const BatchTestOutcome outcome = m_current->getOutcome();
        m_current.reset();
        commit(outcome);
        if (Clock::now() >= deadline)
            break;
    }
    if (!isRunning())
        setStatus("Ready");
    const bool goesOn = isRunning() && !m_stopRequested;
    if (!goesOn)
        flushCsv();
    return goesOn;
}

void BatchRunner::beginTest() {
    setProgress(m_testsDone);
    m_current = std::make_unique<BatchTestRun>(*m_plan, m_testsDone);
    m_current->onStrategyStart = [this](const std::string& s) { setStrategy(s); };
}

void BatchRunner::prepareNextTest() {
    if (!m_current && isRunning() && !m_stopRequested)
        beginTest();
}

void BatchRunner::run(int jobs) {
    if (jobs <= 1 || m_current) {
        while (step(std::chrono::milliseconds(1000))) {
        }
        if (jobs <= 1)
            return;
    }
    runParallel(jobs);
    if (!isRunning())
        setStatus("Ready");
    flushCsv();
}

void BatchRunner::runParallel(int jobs) {
    const size_t total = m_plan->totalTests();
    std::atomic<size_t> next = m_testsDone;
    std::mutex mutex;
    std::condition_variable ready;
    std::map<size_t, BatchTestOutcome> outcomes; // finished, not yet taken in
    int working = jobs;

    auto worker = [&] {
        for (;;) {
            const size_t index = next++;
            if (index >= total || m_stopRequested)
                break;
            BatchTestOutcome outcome = runTest(index);
            std::lock_guard<std::mutex> lock(mutex);
            outcomes.emplace(index, std::move(outcome));
            ready.notify_all();
        }
        std::lock_guard<std::mutex> lock(mutex);
        --working;
        ready.notify_all();
    };
    std::vector<std::thread> workers;
    for (int i = 0; i < jobs; ++i)
        workers.emplace_back(worker);

    // Results are taken in test order, so the file and the counts come out
    // as a run on one thread would leave them.
    std::unique_lock<std::mutex> lock(mutex);
    while (m_testsDone < total) {
        ready.wait(lock, [&] { return outcomes.count(m_testsDone) || working == 0; });
        auto found = outcomes.find(m_testsDone);
        if (found == outcomes.end())
            break; // stopped: the next test was never run
        BatchTestOutcome outcome = std::move(found->second);
        outcomes.erase(found);
        lock.unlock();
        commit(outcome);
        lock.lock();
    }
    lock.unlock();
    m_stopRequested = true; // workers take no new test once the end is reached
    for (std::thread& t : workers)
        t.join();
    // Tests finished after a stop are not taken in; neither are their pictures.
    for (const auto& [index, outcome] : outcomes)
        for (const auto& pdf : outcome.pdfs)
            std::remove(pdf.first.c_str());
}

BatchTestOutcome BatchRunner::runTest(size_t index) {
    BatchTestRun test(*m_plan, index);
    test.onStrategyStart = [this](const std::string& s) { setStrategy(s); };
    test.work(Clock::time_point::max());
    return test.getOutcome();
}

bool BatchRunner::takeOutcome(const BatchTestOutcome& outcome) {
    if (!isRunning() || outcome.index != m_testsDone)
        return false;
    commit(outcome);
    if (!isRunning())
        setStatus("Ready");
    return true;
}

void BatchRunner::commit(const BatchTestOutcome& outcome) {
    m_results.countRun(outcome.label);
    for (const BatchUnfolding& u : outcome.unfoldings) {
        if (outcome.counting)
            m_results.addCount(u.strategy, outcome.label, u.success);
        else
            m_results.setScore(u.strategy, outcome.label, u.score);
    }
    if (!outcome.failureXml.empty()) {
        std::string error;
        if (!WriteFileAtomically(LatestFailurePath(), outcome.failureXml, &error))
            setStatus(error);
    }
    for (const auto& [temporary, final] : outcome.pdfs)
        MoveFileOver(temporary, final, nullptr);
    // The dialog shows the latest problem in its status field (the CLI prints them all).
    if (!outcome.messages.empty())
        setStatus(outcome.messages.back());
    setProgress(outcome.index);
    const bool last = m_testsDone + 1 >= m_plan->totalTests();
    if (last || Clock::now() - m_csvWritten >= m_plan->options.csvInterval)
        writeCsv();
    else
        m_csvStale = true;
    ++m_testsDone;
    if (onTestDone)
        onTestDone(outcome);
}

void BatchRunner::flushCsv() {
    if (m_csvStale)
        writeCsv();
}

void BatchRunner::writeCsv() {
    m_csvStale = false;
    m_csvWritten = Clock::now();
    const std::string path = m_plan->options.recordTo + "/results.csv";
    const std::string text = m_results.toCsv(getProgressText());
    std::string error;
    // The last table of a run is flushed to disk; the ones before it only
    // need to be whole (a flush after every test would cost more than the
    // unfolding of a small polyhedron).
    const bool last = m_testsDone + 1 >= m_plan->totalTests();
    if (WriteFileAtomically(path, text, &error, last ? FileSync::Durable : FileSync::Quick)) {
        m_csvError.clear();
        return;
    }
    m_csvError = error;
    setStatus("Unable to write to " + path);
}

void BatchRunner::setStatus(std::string status) {
    std::lock_guard<std::mutex> lock(m_textMutex);
    m_status = std::move(status);
}

void BatchRunner::setStrategy(std::string strategy) {
    std::lock_guard<std::mutex> lock(m_textMutex);
    if (!strategy.empty())
        m_strategy = std::move(strategy);
}

void BatchRunner::setProgress(size_t testIndex) {
    char text[64];
    if (m_plan->repeatMode)
        std::snprintf(text, sizeof text, "%zu", m_plan->roundOf(testIndex) + 1);
    else
        std::snprintf(text, sizeof text, "%zu of %zu", testIndex + 1, m_plan->totalTests());
    std::lock_guard<std::mutex> lock(m_textMutex);
    m_progress = text;
}

std::string BatchRunner::getStatus() const {
    std::lock_guard<std::mutex> lock(m_textMutex);
    return m_status;
}

std::string BatchRunner::getProgressText() const {
    std::lock_guard<std::mutex> lock(m_textMutex);
    return m_progress;
}

std::string BatchRunner::getCurrentStrategy() const {
    std::lock_guard<std::mutex> lock(m_textMutex);
    return m_strategy;
}

std::string BatchRunner::getCsvError() const {
    return m_csvError;
}
