#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class PolyMesh;
class Unfolder;
struct BatchPlan;

/// One strategy's result on one test.
struct BatchUnfolding {
    std::string strategy; ///< display name
    bool success = false;
    /// 1 on success; else the progress when below 1; else the share of the
    /// source's faces that lie in the net without overlap.
    double score = 0;
};

/// Everything one test contributes to the results, in strategy order.
struct BatchTestOutcome {
    size_t index = 0;
    std::string testName;
    std::string label;
    /// Successes are counted (random series, repeat mode) rather than scored.
    bool counting = false;
    std::vector<BatchUnfolding> unfoldings;
    /// The test mesh as a "PolyMesh" document when a strategy failed and the
    /// failure is to be kept; empty otherwise.
    std::string failureXml;
    /// Problems met on the way (PDFs that could not be written).
    std::vector<std::string> messages;
    /// PDFs written under a name of this test's own, to be renamed to
    /// their final names when the test is taken into the results: tests of
    /// a series share file names, and the last test's picture must win.
    std::vector<std::pair<std::string, std::string>> pdfs;
};

/// Runs every strategy of a plan on test `index`, one unfolder at a time,
/// in slices. The test owns its mesh and unfolders, so tests may run on
/// different threads at once. Constructing it seeds the calling thread's
/// random generator for the test and prepares the mesh.
class BatchTestRun {
public:
    using Clock = std::chrono::steady_clock;

    BatchTestRun(const BatchPlan& plan, size_t index);
    ~BatchTestRun();
    BatchTestRun(const BatchTestRun&) = delete;
    BatchTestRun& operator=(const BatchTestRun&) = delete;

    /// Drives the unfolders until every strategy is done (true) or
    /// `deadline` has passed (false; call again to go on).
    bool work(Clock::time_point deadline);
    bool isFinished() const;
    const BatchTestOutcome& getOutcome() const { return m_outcome; }

    /// The test mesh and the unfolder at work on it (null between strategies).
    PolyMesh& getMesh() { return *m_mesh; }
    Unfolder* getUnfolder() const { return m_unfolder; }
    /// Display name of the strategy at work or next; empty when finished.
    std::string getCurrentStrategy() const;
    /// Called with the display name of each strategy as it starts.
    std::function<void(const std::string&)> onStrategyStart;

private:
    void prepareMesh();
    void startUnfolder();
    void finishUnfolder();
    void writePdf(const std::string& strategy);

    const BatchPlan& m_plan;
    std::unique_ptr<PolyMesh> m_mesh;
    Unfolder* m_unfolder = nullptr; // owned by m_mesh as its child
    size_t m_strategy = 0;
    bool m_threw = false;    // the unfolder at work threw out of a step
    bool m_unusable = false; // the test's model did not load or has no faces
    BatchTestOutcome m_outcome;
};
