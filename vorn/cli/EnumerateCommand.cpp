// "vorn-cli enumerate MODEL [--strategy NAME] [--limit N]": tries every candidate net of an
// exhaustive strategy (by default every spanning tree of the face graph) and reports how
// many lay out without overlap, with progress on stderr.
#include "vorn/cli/CliCommand.h"
#include "vorn/cli/CliDocument.h"
#include "vorn/core/EnumerationRun.h"
#include "vorn/core/SceneDocument.h"
#include "vorn/core/UnfoldingLibrary.h"

#include "scene/Factory.h"
#include "scene/mesh/PolyMesh.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

int runEnumerate(const std::vector<std::string>& args);

const CliCommand g_EnumerateCommand{
    "enumerate",
    "count the overlap-free nets among every candidate of an exhaustive search",
    "Usage: vorn-cli enumerate MODEL [OPTIONS]\n\n"
    "Opens MODEL and lays out every spanning tree of its target mesh's face graph\n"
    "once, or every candidate of the strategy given, counting the nets without\n"
    "overlap. Prints the candidates, the overlap-free nets and the rate; progress\n"
    "goes to stderr. The candidates are counted (for spanning trees by the\n"
    "matrix-tree theorem) before the run starts; a run over the limit is refused.\n",
    runEnumerate,
    {{"--strategy", "NAME",
      "SpannedUnfolder (the default), IterativeTreeUnfolder,\n"
      "PrecomputedTreeUnfolder or TotalUnfolder, or a display name"},
     {"--limit", "N", "try at most N candidates (default: the strategy's own limit)"}}};
const CliCommandRegistration g_EnumerateRegistration(g_EnumerateCommand);

void printProgress(const EnumerationProgress& p) {
    std::fprintf(stderr, "\r%6.2f%% of %.0f candidates, %lld overlap-free, %.1f s", p.share * 100.0,
                 p.candidates, p.successes, p.seconds);
    std::fflush(stderr);
}

int runEnumerate(const std::vector<std::string>& args) {
    CliArgs parsed;
    int exitCode = 0;
    if (!CliParseArgs(g_EnumerateCommand, args, parsed, exitCode))
        return exitCode;
    if (!CliCheckArgs(g_EnumerateCommand, parsed.plain, 1, 1, exitCode))
        return exitCode;
    EnumerationOptions options;
    if (auto strategy = parsed.value("--strategy"))
        options.strategy = *strategy;
    if (auto limit = parsed.value("--limit")) {
        char* end = nullptr;
        errno = 0;
        const double n = std::strtod(limit->c_str(), &end);
        if (limit->empty() || *end != '\0' || errno == ERANGE || !(n >= 1) || !std::isfinite(n))
            return CliUsageError(g_EnumerateCommand,
                                 "--limit needs a positive number, not '" + *limit + "'");
        options.limit = std::floor(n);
    }
    const std::string model = parsed.plain[0];

    std::string error;
    if (!Factory::GetFactory("Unfolder") && !LoadUnfoldingLibrary(&error))
        return CliFail("the unfolding library is not available: " + error);
    SceneDocument document;
    if (!CliOpenDocument(document, model))
        return kExitFailure;
    PolyMesh* mesh = document.getTargetMesh();
    if (!mesh)
        return CliFail(model + ": the model holds no mesh to unfold");

    options.progress = printProgress;
    options.progressSeconds = 0.5;
    EnumerationResult result;
    const bool ran = RunEnumeration(*mesh, options, result, error);
    if (result.seconds >= 0.5)
        std::fputc('\n', stderr);
    if (!ran)
        return CliFail(model + ": " + error);
    const bool trees = result.strategy == "SpannedUnfolder";
    std::printf("Strategy: %s\n", result.strategy.c_str());
    std::printf("%s: %.0f\n", trees ? "Spanning trees" : "Candidates", result.candidates);
    std::printf("Overlap-free nets: %lld\n", result.successes);
    std::printf("Time: %.3f s\n", result.seconds);
    std::printf("Rate: %.0f candidates/s\n",
                result.seconds > 0 ? result.candidates / result.seconds : 0.0);
    return 0;
}

} // namespace
