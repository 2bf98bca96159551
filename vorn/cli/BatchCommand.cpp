// "vorn-cli batch": runs chosen unfolding strategies on chosen tests (the
// current model, random convex polyhedra, the model files of a folder),
// writes results.csv after every test and prints the success rates.
#include "vorn/cli/BatchProcesses.h"
#include "vorn/cli/CliCommand.h"
#include "vorn/cli/CliDocument.h"
#include "vorn/core/SceneDocument.h"
#include "vorn/core/UnfoldingLibrary.h"
#include "vorn/core/batch/BatchRunner.h"
#include "vorn/core/batch/BatchSettings.h"
#include "vorn/core/batch/BatchShare.h"
#include "vorn/core/batch/BatchWire.h"
#include "vorn/core/batch/TestLabels.h"
#include "vorn/core/shapes/RandomConvex.h"

#include "common/Registry.h"
#include "common/UserPaths.h"
#include "scene/Factory.h"
#include "scene/SceneRoot.h"
#include "scene/mesh/PolyMesh.h"

#include <iostream>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <optional>
#include <sstream>
#include <vector>

namespace {

int runBatch(const std::vector<std::string>& args);

const CliCommand g_BatchCommand{
    "batch",
    "run unfolding strategies on many models and tabulate success rates",
    "Usage: vorn-cli batch [OPTIONS]\n\n"
    "Runs every chosen strategy on every chosen test and writes the table of\n"
    "results to DIR/results.csv after each test, then prints the success rates.\n"
    "Choices not given are taken from the batch runner's settings, and the\n"
    "choices made are stored back as the batch runner dialog stores them.\n\n"
    "Started by mpirun (\"mpirun -np 4 vorn-cli batch ...\"), the processes share\n"
    "the tests: each test keeps its seed, and the first process gathers the results\n"
    "and writes the same results.csv as --jobs 1 (each process runs one test at a\n"
    "time; --jobs is not used).\n",
    runBatch,
    {{"--strategies", "LIST",
      "comma-separated display or class names\n(\"Breadth First,LeastHeightUnfolder\")"},
     {"--current", "FILE", "test the target mesh of the model FILE"},
     {"--random", "N", "test a series of N random convex polyhedra (repeatable)"},
     {"--models", "DIR", "test every model file in DIR"},
     {"--out", "DIR", "the folder results.csv is written to (\"Record to\")"},
     {"--vary-randoms", nullptr, "random polyhedra of 4 to 99 points, counted by face count", true},
     {"--capture-fails", nullptr,
      "keep the mesh of each failure in \"latest failure.xml\"\nin the data folder", true},
     {"--write-pdfs", nullptr, "write each net as a PDF next to results.csv", true},
     {"--seed", "S", "seed of the random polyhedra and choices (default 1)"},
     {"--jobs", "J", "worker threads (default 1); results do not depend on it"},
     {"--max-rounds", "R",
      "rounds of the tests in repeat mode (\"Quick Random Cut\"\n"
      "alone), which otherwise never ends"}}};
const CliCommandRegistration g_BatchRegistration(g_BatchCommand);

struct Options {
    std::optional<std::string> strategies, current, models, out;
    std::vector<long> randoms;
    std::optional<bool> varyRandoms, captureFails, writePdfs;
    unsigned seed = 1;
    int jobs = 1;
    size_t maxRounds = 0;
};

[[gnu::noinline]] bool parseOptions(const std::vector<std::string>& args, Options& o,
                                    int& exitCode) {
    CliArgs parsed;
    if (!CliParseArgs(g_BatchCommand, args, parsed, exitCode))
        return false;
    o.varyRandoms = parsed.switched("--vary-randoms");
    o.captureFails = parsed.switched("--capture-fails");
    o.writePdfs = parsed.switched("--write-pdfs");
    for (const auto& [arg, value] : parsed.given) {
        long n = 0;
        if (arg == "--strategies")
            o.strategies = value;
        else if (arg == "--current")
            o.current = value;
        else if (arg == "--models")
            o.models = value;
        else if (arg == "--out")
            o.out = value;
        else if (arg == "--vary-randoms" || arg == "--capture-fails" || arg == "--write-pdfs")
            continue;
        else if (!CliParseCount(g_BatchCommand, arg, value,
                                arg == "--jobs" || arg == "--random" ? 1 : 0, n, exitCode))
            return false;
        else if (arg == "--random")
            o.randoms.push_back(n);
        else if (arg == "--seed") {
            // Seeds are unsigned: a larger number would silently wrap to another seed.
            constexpr unsigned kLargestSeed = std::numeric_limits<unsigned>::max();
            if (n > long(kLargestSeed)) {
                exitCode = CliUsageError(g_BatchCommand, "--seed needs a whole number up to " +
                                                             std::to_string(kLargestSeed) +
                                                             ", not '" + value + "'");
                return false;
            }
            o.seed = unsigned(n);
        } else if (arg == "--jobs")
            o.jobs = int(std::min(n, 256L));
        else
            o.maxRounds = size_t(n);
    }
    return CliCheckArgs(g_BatchCommand, parsed.plain, 0, 0, exitCode);
}

/// The strategies named in `list` (separated by commas or given as
/// "[name][name]"); false after printing the first unknown name.
bool chooseStrategies(const std::string& list, bool bracketed, BatchOptions& options) {
    std::vector<std::string> names;
    if (bracketed) {
        names = SplitBracketList(list);
    } else {
        std::stringstream in(list);
        for (std::string name; std::getline(in, name, ',');) {
            const size_t first = name.find_first_not_of(' ');
            if (first != std::string::npos)
                names.push_back(name.substr(first, name.find_last_not_of(' ') - first + 1));
        }
    }
    for (const std::string& name : names) {
        OfferedStrategy strategy = FindOfferedStrategy(name);
        if (!strategy.factory) {
            CliFail(UnknownStrategyMessage(name));
            return false;
        }
        options.strategies.push_back(strategy);
    }
    return true;
}

std::string clock(double seconds) {
    const long s = long(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    return text;
}

/// Wide tables (a bucket column per five faces) are printed in blocks of columns that fit
/// this many characters, each block with the strategy names and the test counts.
constexpr size_t kSummaryWidth = 100;

void printSummaryBlock(const BatchResults& results, size_t nameWidth,
                       const std::vector<std::pair<std::string, int>>& columns) {
    auto widthOf = [](const std::string& label) { return int(std::max<size_t>(12, label.size())); };
    std::printf("%-*s", int(nameWidth), "Strategy");
    for (const auto& [label, runs] : columns)
        std::printf("  %*s", widthOf(label), label.c_str());
    std::printf("\n");
    for (const auto& [strategy, row] : results.getValues()) {
        std::printf("%-*s", int(nameWidth), strategy.c_str());
        for (const auto& [label, runs] : columns) {
            const double rate = results.successRate(strategy, label);
            if (rate >= 0)
                std::printf("  %*.2f", widthOf(label), rate);
            else
                std::printf("  %*s", widthOf(label), "-");
        }
        std::printf("\n");
    }
    std::printf("%-*s", int(nameWidth), "Tests");
    for (const auto& [label, runs] : columns)
        std::printf("  %*d", widthOf(label), runs);
    std::printf("\n");
}

void printSummary(const BatchResults& results, size_t tests) {
    std::printf("Success rates (%%) after %zu tests:\n", tests);
    size_t nameWidth = 8;
    for (const auto& [strategy, row] : results.getValues())
        nameWidth = std::max(nameWidth, strategy.size());
    const std::vector<std::pair<std::string, int>> columns(results.getRunCounts().begin(),
                                                           results.getRunCounts().end());
    std::vector<std::pair<std::string, int>> block;
    size_t width = nameWidth;
    for (const auto& column : columns) {
        const size_t columnWidth = 2 + std::max<size_t>(12, column.first.size());
        if (!block.empty() && width + columnWidth > kSummaryWidth) {
            printSummaryBlock(results, nameWidth, block);
            std::printf("\n");
            block.clear();
            width = nameWidth;
        }
        block.push_back(column);
        width += columnWidth;
    }
    printSummaryBlock(results, nameWidth, block);
}

/// Says on stderr which of the stored choices (the dialog's, or a previous run's) this run
/// takes because the command line did not give them.
void reportStoredChoices(const Options& o, const BatchSettings& stored) {
    std::string applied;
    auto add = [&applied](const std::string& choice) {
        applied += (applied.empty() ? "" : ", ") + choice;
    };
    auto onOff = [](bool on) { return std::string(on ? "on" : "off"); };
    if (!o.out)
        add("Record to '" + stored.path + "'");
    if (!o.strategies)
        add("strategies " + stored.filter);
    if (!o.current && o.randoms.empty() && !o.models)
        add("tests " + stored.tests + " (in '" + stored.modelPath + "')");
    if (!o.varyRandoms)
        add("Vary Randoms " + onOff(stored.varyRandoms));
    if (!o.captureFails)
        add("Capture Fails " + onOff(stored.captureFails));
    if (!o.writePdfs)
        add("Write PDFs " + onOff(stored.writePdfs));
    if (!applied.empty())
        std::fprintf(stderr, "vorn-cli: stored choices applied: %s\n", applied.c_str());
}

/// One progress line at most this often when stderr is not a terminal but the run
/// is shared between processes (mpirun forwards the first process's output).
constexpr std::chrono::seconds kProgressLineInterval(5);

/// The other processes of a shared run: take the choices from process 0, run their
/// share of the tests and send what they found. They print nothing but failures.
int runShare(BatchProcesses& processes) {
    std::string choices, error;
    const std::string who = "process " + std::to_string(processes.rank()) + ": ";
    if (!processes.shareChoices(choices, error)) {
        CliFail(who + error);
        processes.abortAll(kExitFailure);
    }
    if (choices.empty())
        return kExitFailure; // process 0 refused the command and said why
    BatchOptions options;
    options.randomBuilder = BuildRandomConvex;
    std::unique_ptr<PolyMesh> currentModel;
    if (!DecodeBatchOptions(choices, options, currentModel, error)) {
        CliFail(who + error);
        processes.abortAll(kExitFailure);
    }
    BatchRunner runner;
    runner.start(options);
    if (!RunSharedBatch(runner, processes.peers(), error)) {
        CliFail(who + error);
        processes.abortAll(kExitFailure);
    }
    return 0;
}

int runFirst(const std::vector<std::string>& args, BatchProcesses& processes);

int runBatch(const std::vector<std::string>& args) {
    std::string error;
    const std::unique_ptr<BatchProcesses> processes = JoinBatchProcesses(error);
    if (!processes)
        return CliFail(error);
    return processes->rank() == 0 ? runFirst(args, *processes) : runShare(*processes);
}

int runFirst(const std::vector<std::string>& args, BatchProcesses& processes) {
    Options o;
    int exitCode = 0;
    if (!parseOptions(args, o, exitCode))
        return exitCode;
    std::string loadError;
    if (!Factory::GetFactory("Unfolder") && !LoadUnfoldingLibrary(&loadError))
        return CliFail("the unfolding library is not available: " + loadError);

    const BatchSettings stored = ReadBatchSettings();
    reportStoredChoices(o, stored);
    BatchOptions options;
    options.recordTo = StripTrailingSeparators(o.out.value_or(stored.path));
    options.modelPath = StripTrailingSeparators(o.models.value_or(stored.modelPath));
    options.varyRandoms = o.varyRandoms.value_or(stored.varyRandoms);
    options.captureFails = o.captureFails.value_or(stored.captureFails);
    options.writePdfs = o.writePdfs.value_or(stored.writePdfs);
    options.seed = o.seed;
    options.maxRounds = o.maxRounds;
    options.randomBuilder = BuildRandomConvex;
    // Small polyhedra unfold by the thousand a second: the table is rewritten once a
    // second (and at the end), not after each.
    options.csvInterval = std::chrono::seconds(1);
    if (!chooseStrategies(o.strategies.value_or(stored.filter), !o.strategies, options))
        return kExitFailure;
    if (options.strategies.empty())
        return CliUsageError(g_BatchCommand, "no strategies chosen (use --strategies)");

    SceneDocument document;
    if (o.current) {
        if (!CliOpenDocument(document, *o.current))
            return kExitFailure;
        options.currentModel = document.getTargetMesh();
        if (!options.currentModel)
            return CliFail(*o.current + ": the model holds no mesh to unfold");
        options.sceneName = SceneTestName(document.getRoot()->getFileName());
        options.tests.push_back("<<Current Model>>");
    }
    for (long n : o.randoms)
        options.tests.push_back(RandomTestText(n));
    std::error_code folderError;
    if (o.models && !std::filesystem::is_directory(options.modelPath, folderError))
        return CliFail(options.modelPath + ": no such folder (--models)");
    if (o.models)
        for (const std::string& name : ListModelFiles(options.modelPath))
            options.tests.push_back(name);
    if (!o.current && o.randoms.empty() && !o.models)
        for (const std::string& text : SplitBracketList(stored.tests))
            if (text != "<<Current Model>>")
                options.tests.push_back(text);
    if (options.tests.empty())
        return CliUsageError(g_BatchCommand,
                             "no tests chosen (use --current, --random or --models)");

    std::string error;
    if (!MakeDirectories(options.recordTo, &error))
        return CliFail(error);
    // Folders are stored absolute, so a later run from another folder finds them.
    BatchSettings toStore = BatchSettingsFrom(options);
    for (std::string* folder : {&toStore.path, &toStore.modelPath}) {
        std::error_code ignored;
        if (!folder->empty())
            *folder = std::filesystem::absolute(*folder, ignored).string();
    }
    // The run goes on without them: the choices only seed the next run.
    if (!WriteBatchSettings(toStore))
        std::cerr << "vorn-cli: warning: the batch choices were not stored: "
                  << GetRegistryError() << std::endl;

    BatchRunner runner;
    runner.start(options);
    const bool showProgress = isatty(STDERR_FILENO);
    const bool shared = processes.size() > 1;
    const auto began = std::chrono::steady_clock::now();
    auto lastLine = began;
    runner.onTestDone = [&](const BatchTestOutcome& outcome) {
        for (const std::string& message : outcome.messages)
            std::fprintf(stderr, "%svorn-cli: %s\n", showProgress ? "\r\033[K" : "",
                         message.c_str());
        const auto now = std::chrono::steady_clock::now();
        const bool line = !showProgress && shared && now - lastLine >= kProgressLineInterval;
        if (!showProgress && !line)
            return;
        lastLine = now;
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        const size_t done = runner.getTestsDone(), total = runner.getTotalTests();
        const double rate = elapsed > 0 ? done / elapsed : 0;
        std::string eta = total == BatchPlan::kEndless || rate <= 0
                              ? std::string("--")
                              : clock(double(total - done) / rate);
        std::fprintf(stderr, "%stest %zu%s  %s  %.1f tests/s  ETA %s%s",
                     showProgress ? "\r\033[K" : "", done,
                     total == BatchPlan::kEndless ? "" : (" of " + std::to_string(total)).c_str(),
                     runner.getCurrentStrategy().c_str(), rate, eta.c_str(),
                     showProgress ? "" : "\n");
    };
    if (shared) {
        std::string choices = EncodeBatchOptions(options);
        if (!processes.shareChoices(choices, error))
            return CliFail(error);
        if (!RunSharedBatch(runner, processes.peers(), error)) {
            CliFail(error);
            processes.abortAll(kExitFailure);
        }
    } else {
        runner.run(o.jobs);
    }
    if (showProgress)
        std::fprintf(stderr, "\n");

    printSummary(runner.getResults(), runner.getTestsDone());
    const std::string csv = options.recordTo + "/results.csv";
    if (!runner.getCsvError().empty())
        return CliFail(runner.getCsvError());
    std::printf("Results written to %s\n", csv.c_str());
    return 0;
}

} // namespace
