// "vorn-cli papercraft MODEL --out FILE": unfolds the model's target mesh with a strategy
// and prints the net as papercraft: overlap-free pieces with glue tabs, edge numbers and
// fold lines, packed onto pages at true scale.
#include "vorn/cli/CliCommand.h"
#include "vorn/cli/CliDocument.h"
#include "vorn/cli/CliStrategy.h"
#include "vorn/core/SceneDocument.h"
#include "vorn/core/papercraft/EdgeNumbering.h"
#include "vorn/core/papercraft/PapercraftExport.h"
#include "vorn/core/papercraft/PapercraftOptions.h"

#include "common/IdleLoop.h"
#include "scene/Factory.h"
#include "scene/mesh/PolyMesh.h"
#include "unfolders/engine/Unfolder.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

int runPapercraft(const std::vector<std::string>& args);

/// Unfolds breadth first: quick on large meshes, and its nets split into few pieces.
const char* const kDefaultStrategy = "BreadthFirstUnfolder";

const CliCommand g_PapercraftCommand{
    "papercraft",
    "print the net of a model as pieces to cut, fold and glue",
    "Usage: vorn-cli papercraft MODEL --out FILE [OPTIONS]\n\n"
    "Opens MODEL, unfolds its target mesh with a strategy (the one the scene holds,\n"
    "else Breadth First), splits the net into pieces that do not overlap, and prints\n"
    "them at true scale: cut lines solid, mountain folds dash-dot, valley folds\n"
    "dashed, matching cut edges numbered alike with one glue tab each, pieces\n"
    "numbered and packed onto as few pages as it can. FILE ending in .pdf gets every\n"
    "page; .svg and .png get one file a page (model-1.svg, model-2.svg, ...).\n"
    "Prints the piece, tab and page counts.\n",
    runPapercraft,
    {{"--out", "FILE", "the file to write (.pdf, .svg or .png)"},
     {"--strategy", "NAME", "the unfolding strategy, by class or display name"},
     {"--height-mm", "MM", "print the model MM high (default 150)"},
     {"--edge-mm", "MM", "print the model's longest edge MM long"},
     {"--mm-per-unit", "MM", "print one model unit MM long"},
     {"--page", "SIZE", "A4 (default), A3, Letter, or WIDTHxHEIGHT in mm"},
     {"--landscape", nullptr, "turn the page sideways"},
     {"--margin-mm", "MM", "blank border of the page (default 10)"},
     {"--tabs", "on|off", "glue tabs (default on)"},
     {"--tab-height-mm", "MM", "height of the glue tabs (default 5)"},
     {"--tab-angle", "DEG", "angle of the tabs' sides to their base (default 45)"},
     {"--numbers", "on|off", "edge numbers (default on)"},
     {"--mountain", "STYLE", "mountain folds: solid, dash, dash-dot (default) or dot"},
     {"--valley", "STYLE", "valley folds: solid, dash (default), dash-dot or dot"},
     {"--omit-folds-below", "DEG", "leave out folds flatter than DEG degrees"},
     {"--dpi", "N", "pixels per inch of PNG pages (default 150)"},
     {"--steps", "N", "at most N idle ticks for the strategy (default 1000000)"}}};
const CliCommandRegistration g_PapercraftRegistration(g_PapercraftCommand);

struct Options {
    std::string model;
    std::string out;
    std::string strategy;
    long steps = 1000000;
    PapercraftOptions paper;
};

bool parseNumber(const std::string& flag, const std::string& value, double& out, int& exitCode) {
    char* end = nullptr;
    const double v = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0' || !std::isfinite(v) || v < 0.0) {
        exitCode = CliUsageError(g_PapercraftCommand,
                                 flag + " needs a number of at least 0, not '" + value + "'");
        return false;
    }
    out = v;
    return true;
}

bool parseOnOff(const std::string& flag, const std::string& value, bool& out, int& exitCode) {
    if (value != "on" && value != "off") {
        exitCode =
            CliUsageError(g_PapercraftCommand, flag + " takes on or off, not '" + value + "'");
        return false;
    }
    out = value == "on";
    return true;
}

bool parsePage(const std::string& value, PapercraftOptions& paper, int& exitCode) {
    const size_t x = value.find_first_of("xX");
    if (x != std::string::npos) {
        char* end1 = nullptr;
        char* end2 = nullptr;
        const std::string w = value.substr(0, x), h = value.substr(x + 1);
        const double width = std::strtod(w.c_str(), &end1);
        const double height = std::strtod(h.c_str(), &end2);
        if (w.empty() || h.empty() || *end1 || *end2) {
            exitCode =
                CliUsageError(g_PapercraftCommand,
                              "--page needs A4, A3, Letter or WIDTHxHEIGHT, not '" + value + "'");
            return false;
        }
        paper.page = "Custom";
        paper.pageWidthMm = width;
        paper.pageHeightMm = height;
        return true;
    }
    paper.page = value;
    return true;
}

/// Kept out of line: inlined, GCC 12 wrongly warns about freeing `options`.
[[gnu::noinline]] bool parseOptions(const std::vector<std::string>& args, Options& o,
                                    int& exitCode) {
    CliArgs parsed;
    if (!CliParseArgs(g_PapercraftCommand, args, parsed, exitCode))
        return false;
    PapercraftOptions& p = o.paper;
    for (const auto& [flag, value] : parsed.given) {
        bool ok = true;
        if (flag == "--out") {
            o.out = value;
        } else if (flag == "--strategy") {
            o.strategy = value;
        } else if (flag == "--height-mm" || flag == "--edge-mm" || flag == "--mm-per-unit") {
            ok = parseNumber(flag, value, p.sizeValue, exitCode);
            p.size = flag == "--height-mm" ? PapercraftOptions::Size::Height
                     : flag == "--edge-mm" ? PapercraftOptions::Size::LongestEdge
                                           : PapercraftOptions::Size::MmPerUnit;
        } else if (flag == "--page") {
            ok = parsePage(value, p, exitCode);
        } else if (flag == "--landscape") {
            p.landscape = value == "1";
        } else if (flag == "--margin-mm") {
            ok = parseNumber(flag, value, p.marginMm, exitCode);
        } else if (flag == "--tabs") {
            ok = parseOnOff(flag, value, p.tabs, exitCode);
        } else if (flag == "--tab-height-mm") {
            ok = parseNumber(flag, value, p.tabHeightMm, exitCode);
        } else if (flag == "--tab-angle") {
            ok = parseNumber(flag, value, p.tabAngleDegrees, exitCode);
        } else if (flag == "--numbers") {
            ok = parseOnOff(flag, value, p.edgeNumbers, exitCode);
        } else if (flag == "--mountain" || flag == "--valley") {
            if (!ParseFoldLineStyle(value,
                                    flag == "--mountain" ? p.mountainStyle : p.valleyStyle)) {
                exitCode = CliUsageError(g_PapercraftCommand,
                                         flag + " takes solid, dash, dash-dot or dot, not '" +
                                             value + "'");
                ok = false;
            }
        } else if (flag == "--omit-folds-below") {
            ok = parseNumber(flag, value, p.omitFoldsBelowDegrees, exitCode);
        } else if (flag == "--dpi") {
            ok = parseNumber(flag, value, p.pngDpi, exitCode);
        } else if (flag == "--steps") {
            long steps = 0;
            ok = CliParseCount(g_PapercraftCommand, flag, value, 1, steps, exitCode);
            o.steps = steps;
        }
        if (!ok)
            return false;
    }
    if (!CliCheckArgs(g_PapercraftCommand, parsed.plain, 1, 1, exitCode))
        return false;
    o.model = parsed.plain[0];
    if (o.out.empty()) {
        exitCode = CliUsageError(g_PapercraftCommand, "--out FILE is required");
        return false;
    }
    if (!IsPapercraftOutput(o.out)) {
        exitCode =
            CliUsageError(g_PapercraftCommand,
                          "--out needs a file ending in .pdf, .svg or .png, not '" + o.out + "'");
        return false;
    }
    std::string error;
    if (!ResolvePageSize(p, error) || !CheckPapercraftOptions(p, error)) {
        exitCode = CliUsageError(g_PapercraftCommand, error);
        return false;
    }
    return true;
}

int runPapercraft(const std::vector<std::string>& args) {
    Options options;
    int exitCode = 0;
    if (!parseOptions(args, options, exitCode))
        return exitCode;

    SceneDocument document;
    PolyMesh* mesh = nullptr;
    Unfolder* unfolder =
        CliOpenWithStrategy(document, options.model, options.strategy, kDefaultStrategy, mesh);
    if (!unfolder)
        return kExitFailure;
    const auto start = std::chrono::steady_clock::now();
    long ticks = 0;
    while (!unfolder->isDone() && ticks < options.steps) {
        OnSystemIdle();
        SceneObj::ProcessDelayedOperations();
        ++ticks;
    }
    if (!unfolder->isDone())
        return CliFail("the strategy did not finish within " + std::to_string(options.steps) +
                       " ticks");
    const auto unfolded = std::chrono::steady_clock::now();

    PaperLayout layout;
    std::string error;
    if (!BuildPapercraftFromNet(*unfolder, options.paper, layout, error))
        return CliFail(options.model + ": " + error);
    std::vector<std::string> written;
    if (!WritePapercraft(layout, options.paper, options.out, written, error))
        return CliFail(error);
    const auto end = std::chrono::steady_clock::now();

    // A dense model can drop hundreds of tabs: the first few say what happened.
    constexpr size_t kWarningsShown = 10;
    for (size_t i = 0; i < layout.warnings.size() && i < kWarningsShown; ++i)
        std::fprintf(stderr, "vorn-cli: %s\n", layout.warnings[i].c_str());
    if (layout.warnings.size() > kWarningsShown)
        std::fprintf(stderr, "vorn-cli: ... and %zu more edges without a glue tab\n",
                     layout.warnings.size() - kWarningsShown);
    std::printf("Strategy: %s\n", std::string(unfolder->getClassName()).c_str());
    std::printf("Faces: %zu\n", mesh->getPolyCount());
    std::printf("Scale: %.4g mm per unit\n", layout.mmPerUnit);
    std::printf("Pieces: %d\n", layout.pieceCount);
    std::printf("Glue tabs: %d\n", layout.tabCount);
    std::printf("Pages: %zu\n", layout.pages.size());
    if (layout.smallLabelCount > 0)
        std::printf("Numbers under %.1f mm tall: %d\n", kLegibleLabelMm, layout.smallLabelCount);
    std::printf("Unfolding: %.2f s, papercraft: %.2f s\n",
                std::chrono::duration<double>(unfolded - start).count(),
                std::chrono::duration<double>(end - unfolded).count());
    for (const std::string& file : written)
        std::printf("Wrote %s\n", file.c_str());
    return 0;
}

} // namespace
