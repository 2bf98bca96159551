// "vorn-cli unfold MODEL [OPTIONS]": attaches an unfolding strategy to the
// model's target mesh and drives the idle loop until the strategy is done.
//
// The unfolding library is loaded by name at start-up, so this file uses
// the unfolder only through its virtual operations and inline accessors:
// nothing of the library is linked into the program.
#include "vorn/cli/CliCommand.h"
#include "vorn/cli/CliDocument.h"
#include "vorn/cli/CliStrategy.h"
#include "vorn/core/CutList.h"
#include "vorn/core/FiniteNet.h"
#include "vorn/core/SceneDocument.h"
#include "vorn/core/StrategyCatalogue.h"
#include "vorn/core/capture/NetPicture.h"

#include "common/IdleLoop.h"
#include "scene/Factory.h"
#include "scene/SceneRoot.h"
#include "scene/mesh/MeshData.h"
#include "scene/mesh/PolyMesh.h"
#include "unfolders/engine/Unfolder.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>

namespace {

int runUnfold(const std::vector<std::string>& args);

const CliCommand g_UnfoldCommand{
    "unfold",
    "unfold the target mesh of a model with a strategy",
    "Usage: vorn-cli unfold MODEL [OPTIONS]\n\n"
    "Opens MODEL, attaches a strategy to its target mesh (replacing one the scene\n"
    "holds) and runs idle ticks until the strategy is done. Prints the faces\n"
    "placed, the progress, the number of overlapping faces and whether the net\n"
    "is a success. Pictures show the net seen from above, cut lines solid and\n"
    "fold lines dashed; by default it fills a 2000 x 2000 page.\n"
    "Exits with 1 when the strategy did not finish within the ticks allowed.\n",
    runUnfold,
    {{"--strategy", "NAME",
      "a class name such as Unfolder, or its display name such as\n"
      "\"Breadth First\" (default: the strategy the scene holds,\n"
      "else Unfolder)"},
     {"--steps", "N", "at most N idle ticks (default 1000000)"},
     {"--cuts", "FILE",
      "lay out the net of the cut edges listed in FILE with the\n"
      "Manual strategy: one edge a line as two vertex indices\n"
      "counted from 0; lines starting with # are skipped"},
     {"--out", "FILE", "save the scene with the net added as a mesh object"},
     {"--pdf", "FILE", "draw the net into FILE (.pdf)"},
     {"--svg", "FILE", "draw the net into FILE (.svg)"},
     {"--png", "FILE", "draw the net into FILE (.png)"},
     {"--edge-mm", "MM", "draw the net's longest edge MM long"},
     {"--mm-per-unit", "MM", "draw one model unit MM long (for printing)"}}};
const CliCommandRegistration g_UnfoldRegistration(g_UnfoldCommand);

struct Options {
    std::string model;
    std::string strategy; // empty: the base "Unfolder"
    long steps = 1000000;
    std::string out;
    std::string cuts;
    std::vector<std::string> pictures;
    NetPictureOptions picture;
};

/// Reads the arguments; false (with the exit code set) on a usage error.
/// Kept out of line: inlined, GCC 12 wrongly warns about freeing `options`.
[[gnu::noinline]] bool parseOptions(const std::vector<std::string>& args, Options& options,
                                    int& exitCode) {
    CliArgs parsed;
    if (!CliParseArgs(g_UnfoldCommand, args, parsed, exitCode))
        return false;
    for (const auto& [arg, value] : parsed.given) {
        if (arg == "--strategy") {
            options.strategy = value;
        } else if (arg == "--out") {
            options.out = value;
        } else if (arg == "--cuts") {
            options.cuts = value;
        } else if (arg == "--pdf" || arg == "--svg" || arg == "--png") {
            if (CliExtensionOf(value) != "." + arg.substr(2)) {
                exitCode =
                    CliUsageError(g_UnfoldCommand, arg + " needs a file ending in ." +
                                                       arg.substr(2) + ", not '" + value + "'");
                return false;
            }
            options.pictures.push_back(value);
        } else if (arg == "--edge-mm" || arg == "--mm-per-unit") {
            char* end = nullptr;
            const double mm = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || !(mm > 0.0) || !std::isfinite(mm)) {
                exitCode = CliUsageError(g_UnfoldCommand,
                                         arg + " needs a positive number, not '" + value + "'");
                return false;
            }
            options.picture.scale = arg == "--edge-mm" ? NetPictureOptions::Scale::LongestEdge
                                                       : NetPictureOptions::Scale::Factor;
            options.picture.value = mm;
        } else {
            char* end = nullptr;
            errno = 0;
            const long steps = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || errno == ERANGE || steps <= 0) {
                exitCode = CliUsageError(
                    g_UnfoldCommand, "--steps needs a positive whole number, not '" + value + "'");
                return false;
            }
            options.steps = steps;
        }
    }
    if (!CliCheckArgs(g_UnfoldCommand, parsed.plain, 1, 1, exitCode))
        return false;
    options.model = parsed.plain[0];
    return true;
}

int runUnfold(const std::vector<std::string>& args) {
    Options options;
    int exitCode = 0;
    if (!parseOptions(args, options, exitCode))
        return exitCode;

    // Without a chosen strategy, a scene that holds one runs it.
    const bool chosen = !options.strategy.empty() || !options.cuts.empty();
    if (options.strategy.empty())
        options.strategy = options.cuts.empty() ? "Unfolder" : "ManualUnfolder";
    Factory* factory = CliFindStrategy(options.strategy);
    if (!factory)
        return kExitFailure;
    if (!options.cuts.empty() && factory != Factory::GetFactory("ManualUnfolder"))
        return CliUsageError(g_UnfoldCommand,
                             "--cuts lays out a net with the Manual strategy, not " +
                                 StrategyDisplayName(factory->getClassName()));

    SceneDocument document;
    PolyMesh* mesh = CliOpenMeshToUnfold(document, options.model);
    if (!mesh)
        return kExitFailure;
    if (const int components = mesh->toMeshData().countComponents(); components > 1)
        std::fprintf(stderr,
                     "vorn-cli: %s: the mesh has %d components; only the starting face's "
                     "component can be unfolded into one net\n",
                     options.model.c_str(), components);

    std::vector<CutEdge> cutEdges;
    if (!options.cuts.empty()) {
        // The whole list is checked before anything is attached.
        std::string error;
        if (!ReadCutList(options.cuts, *mesh, cutEdges, error))
            return CliFail(error);
    }

    Unfolder* unfolder = nullptr;
    if (!options.cuts.empty()) {
        std::string error;
        SceneObj* attached = AttachManualCuts(*mesh, cutEdges, &error);
        if (!attached)
            return CliFail(options.model + ": " + error);
        unfolder = static_cast<Unfolder*>(attached);
    } else if (!(unfolder = CliStrategyFor(*mesh, *factory, !chosen, options.model))) {
        return kExitFailure;
    }

    long ticks = 0;
    while (!unfolder->isDone() && ticks < options.steps) {
        OnSystemIdle();
        SceneObj::ProcessDelayedOperations();
        ++ticks;
    }
    const bool finished = unfolder->isDone();

    const size_t placed = unfolder->getPolyCount();
    const size_t total = mesh->getPolyCount();
    const size_t conflicted = unfolder->getConflicts().getVertexCount();
    std::printf("Strategy: %s\n", std::string(unfolder->getClassName()).c_str());
    std::printf("Faces placed: %zu / %zu\n", placed, total);
    std::printf("Progress: %4.2f%%\n", unfolder->getProgress() * 100.0);
    std::printf("Overlapping faces: %zu\n", conflicted);
    const bool finite = HasFinitePositions(*unfolder);
    std::printf("Success: %s\n", finished && finite && unfolder->isSuccesful() ? "yes" : "no");
    // A strategy that cannot take this mesh says why.
    if (const std::string why = unfolder->getRefusal(); !why.empty())
        std::printf("Refused: %s\n", why.c_str());
    std::fflush(stdout);
    if (!finite)
        return CliFail(options.model + ": the net's positions are not finite; nothing written");

    if (!options.out.empty()) {
        // Unfolders are not stored in documents; the net goes in as a mesh.
        auto* net = new PolyMesh;
        unfolder->copy(*net);
        net->setTransform(unfolder->getWorldTransform());
        net->setParent(document.getRoot());
        std::string error;
        if (!document.save(options.out, error))
            return CliFail(error);
    }
    for (const std::string& picture : options.pictures) {
        std::string error;
        if (!WriteNetPicture(*unfolder, picture, options.picture, error))
            return CliFail(picture + ": " + error);
        std::printf("Wrote %s\n", picture.c_str());
    }
    if (!finished)
        return CliFail("the strategy did not finish within " + std::to_string(options.steps) +
                       " ticks");
    return 0;
}

} // namespace
