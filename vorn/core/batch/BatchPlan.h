#pragma once

#include "vorn/core/StrategyCatalogue.h"
#include "vorn/core/batch/BatchTests.h"
#include "vorn/core/batch/RandomPolyhedron.h"
#include "vorn/core/capture/NetPicture.h"

#include <chrono>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class PolyMesh;

/// Writes the net of `unfolder` (the mesh holding it) as a PDF page to
/// `path`; false with `error` when it could not. Null writes no PDFs.
using BatchPdfWriter = bool (*)(PolyMesh& unfolder, const std::string& path, std::string& error);

/// What a batch run is asked to do: the dialog's choices.
struct BatchOptions {
    /// The strategies, in run order.
    std::vector<OfferedStrategy> strategies;
    /// The tests as list texts ("<<Current Model>>", "<<100 Random
    /// Polyhedra>>", model file names), in run order.
    std::vector<std::string> tests;
    /// "Record to": the folder results.csv (and PDFs) go to.
    std::string recordTo;
    /// "Find models in": the folder model file tests are read from.
    std::string modelPath;
    bool writePdfs = false;
    bool varyRandoms = false;
    bool captureFails = false;
    /// Each test seeds the random generator from this and its index.
    unsigned seed = 1;
    /// Rounds of the test list in repeat mode; 0 for no end.
    size_t maxRounds = 0;
    /// The current model's mesh (copied at the start of a run) and its name.
    const PolyMesh* currentModel = nullptr;
    std::string sceneName = "[Scene]";
    RandomConvexBuilder randomBuilder = nullptr;
    /// results.csv is rewritten after a test only when this long has passed since it
    /// was last written; it is always written after the last test and when a run stops
    /// or is dropped. Zero (the dialog's way) writes it after every test; a command-line
    /// run of small polyhedra would otherwise spend more time writing it than unfolding.
    std::chrono::milliseconds csvInterval{0};
    BatchPdfWriter pdfWriter = WriteUnfoldingPdf;
};

/// `folder` without trailing slashes or backslashes ("/" stays "/").
std::string StripTrailingSeparators(std::string folder);

/// The seed of test `index` of a run seeded with `runSeed`: the same test
/// gets the same polyhedra and random choices whichever worker runs it.
unsigned BatchTestSeed(unsigned runSeed, size_t index);

/// A run as prepared by "Go": fixed while the run lasts, so workers share it
/// without locks (apart from copying the current model).
struct BatchPlan {
    BatchOptions options;
    BatchTestList tests;
    /// Exactly one strategy, "Quick Random Cut": the test list repeats and
    /// every cell counts successes.
    bool repeatMode = false;
    /// The current model as it was when the run started (null without one).
    std::unique_ptr<PolyMesh> currentModel;
    mutable std::mutex currentModelMutex;

    static constexpr size_t kEndless = std::numeric_limits<size_t>::max();
    /// Tests in the whole run (rounds included); kEndless for no end.
    size_t totalTests() const;
    /// The entry and round (0-based) of test `index` of the run.
    const BatchTestEntry& entryOf(size_t index) const { return tests.at(index % tests.size()); }
    size_t roundOf(size_t index) const { return index / tests.size(); }
    /// Copies the current model into `mesh` (empty without one).
    void copyCurrentModel(PolyMesh& mesh) const;
};

/// Builds the plan of a run from `options`: folders stripped, tests
/// expanded, repeat mode decided, the current model copied.
std::unique_ptr<BatchPlan> MakeBatchPlan(const BatchOptions& options);
