// "vorn-cli animate MODEL --out FILE [OPTIONS]": unfolds the model, turns the net into a
// folding animation and writes the fold as a movie and/or numbered PDF frames.
//
// Like "unfold", it reaches the unfolding library only through virtual operations and
// inline accessors: the library is loaded by name, not linked.
#include "vorn/cli/CliCommand.h"
#include "vorn/cli/CliDocument.h"
#include "vorn/cli/CliStrategy.h"
#include "vorn/core/SceneDocument.h"
#include "vorn/core/movie/FoldMovie.h"
#include "vorn/core/movie/MovieFormat.h"

#include "common/IdleLoop.h"
#include "scene/Factory.h"
#include "scene/SceneRoot.h"
#include "scene/mesh/PolyMesh.h"
#include "unfolders/engine/Unfolder.h"
#include "unfolders/engine/UnfoldingAnimation.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <unistd.h>

namespace {

int runAnimate(const std::vector<std::string>& args);

constexpr long kMaxTicks = 1000000;
constexpr int kMaxFrames = 100000;

const CliCommand g_AnimateCommand{
    "animate",
    "unfold a model and write the net folding back as a movie",
    "Usage: vorn-cli animate MODEL [--strategy NAME] --out FILE.(avi|mp4|gif) [OPTIONS]\n\n"
    "Opens MODEL, unfolds its target mesh with a strategy, turns the net into a folding\n"
    "animation and draws the fold, from the flat net to the closed model, from one fixed\n"
    "view. AVI movies use the codec chosen in the workbench (MPEG-4 until one is\n"
    "chosen); MP4 uses H.264 where FFmpeg has it, else MPEG-4. Give --out, --pdf-frames\n"
    "or both.\n",
    runAnimate,
    {{"--strategy", "NAME",
      "a class name or display name (default: the strategy the\n"
      "scene holds, else Breadth First)"},
     {"--out", "FILE", "the movie: .avi, .mp4 or .gif"},
     {"--size", "WxH", "frame size in pixels (default 640x480)"},
     {"--frames", "N", "frames from flat to closed (default 91, two degrees\nof phase each)"},
     {"--pdf-frames", "DIR", "also write numbered vector frames fold000.pdf, ...\ninto DIR"}}};
const CliCommandRegistration g_AnimateRegistration(g_AnimateCommand);

struct Options {
    std::string model;
    std::string strategy;
    FoldMovieOptions movie;
};

bool parsePositive(const std::string& text, long limit, long& out) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    errno = 0;
    const long n = std::strtol(text.c_str(), nullptr, 10);
    if (errno == ERANGE || n < 1 || n > limit)
        return false;
    out = n;
    return true;
}

[[gnu::noinline]] bool parseOptions(const std::vector<std::string>& args, Options& options,
                                    int& exitCode) {
    CliArgs parsed;
    if (!CliParseArgs(g_AnimateCommand, args, parsed, exitCode))
        return false;
    for (const auto& [arg, value] : parsed.given) {
        long n = 0, m = 0;
        if (arg == "--strategy") {
            options.strategy = value;
        } else if (arg == "--out") {
            std::string error;
            if (!MovieFormatForPath(value, MovieCodec::Mpeg4, error)) {
                exitCode = CliUsageError(g_AnimateCommand, error);
                return false;
            }
            options.movie.moviePath = value;
        } else if (arg == "--pdf-frames") {
            options.movie.pdfFolder = value;
        } else if (arg == "--frames") {
            if (!parsePositive(value, kMaxFrames, n)) {
                exitCode = CliUsageError(g_AnimateCommand,
                                         "--frames needs a whole number from 1 to " +
                                             std::to_string(kMaxFrames) + ", not '" + value + "'");
                return false;
            }
            options.movie.frames = int(n);
        } else {
            const size_t x = value.find('x');
            if (x == std::string::npos ||
                !parsePositive(value.substr(0, x), std::numeric_limits<int>::max(), n) ||
                !parsePositive(value.substr(x + 1), std::numeric_limits<int>::max(), m)) {
                exitCode = CliUsageError(g_AnimateCommand,
                                         "--size needs WIDTHxHEIGHT, not '" + value + "'");
                return false;
            }
            options.movie.width = int(n);
            options.movie.height = int(m);
        }
    }
    if (!CliCheckArgs(g_AnimateCommand, parsed.plain, 1, 1, exitCode))
        return false;
    if (options.movie.moviePath.empty() && options.movie.pdfFolder.empty()) {
        exitCode = CliUsageError(g_AnimateCommand, "give --out FILE or --pdf-frames DIR");
        return false;
    }
    options.model = parsed.plain[0];
    return true;
}

int runAnimate(const std::vector<std::string>& args) {
    Options options;
    int exitCode = 0;
    if (!parseOptions(args, options, exitCode))
        return exitCode;

    SceneDocument document;
    PolyMesh* mesh = nullptr;
    Unfolder* unfolder = CliOpenWithStrategy(document, options.model, options.strategy,
                                             "BreadthFirstUnfolder", mesh);
    if (!unfolder)
        return kExitFailure;
    long ticks = 0;
    while (!unfolder->isDone() && ticks < kMaxTicks) {
        OnSystemIdle();
        SceneObj::ProcessDelayedOperations();
        ++ticks;
    }
    if (!unfolder->isDone())
        return CliFail("the strategy did not finish within " + std::to_string(kMaxTicks) +
                       " ticks");
    std::printf("Strategy: %s\n", std::string(unfolder->getClassName()).c_str());
    std::printf("Faces placed: %zu / %zu\n", unfolder->getPolyCount(), mesh->getPolyCount());
    std::printf("Overlapping faces: %zu\n", unfolder->getConflicts().getVertexCount());

    // The source goes with the unfolder: the scene then shows only the fold.
    SceneObj* made = unfolder->convertToAnimation(true);
    if (!made || made->getClassName() != "UnfoldingAnimation")
        return CliFail(options.model + ": the net could not be turned into an animation");
    SceneObj::ProcessDelayedOperations();
    // The class name says what it is; the library is not linked, so no dynamic_cast.
    auto* animation = static_cast<UnfoldingAnimation*>(made);

    const bool tty = isatty(fileno(stderr));
    auto progress = [tty](int done, int total) {
        if (tty)
            std::fprintf(stderr, "\rFrame %d of %d", done, total);
    };
    std::fflush(stdout);
    std::string error;
    const bool ok = WriteFoldMovie(*animation, options.movie, error, progress);
    if (tty)
        std::fprintf(stderr, "\n");
    if (!ok)
        return CliFail(error);
    if (!options.movie.moviePath.empty())
        std::printf("Wrote %s (%d frames, %d x %d)\n", options.movie.moviePath.c_str(),
                    options.movie.frames, options.movie.width, options.movie.height);
    if (!options.movie.pdfFolder.empty())
        std::printf("Wrote %d PDF frames into %s\n", options.movie.frames,
                    options.movie.pdfFolder.c_str());
    return 0;
}

} // namespace
