// "vorn-cli sweep": which coolinoids a strategy unfolds, over an (h, k) grid per dim (2D) or
// as the boundary surface of the unfoldable region in (h, k, dim) (3D), with the answers
// cached in the SQL result table.
#include "common/AtomicFile.h"
#include "common/StatusLine.h"
#include "common/sql/SqlConnection.h"
#include "scene/mesh/PolyMesh.h"
#include "vorn/cli/CliCommand.h"
#include "vorn/core/StrategyCatalogue.h"
#include "vorn/core/sweep/SweepOutput.h"
#include "vorn/core/sweep/SweepRunner.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>

namespace {

int runSweep(const std::vector<std::string>& args);

const CliCommand g_SweepCommand{
    "sweep", "map which coolinoids a strategy unfolds (2D maps or a 3D boundary)",
    "Usage: vorn-cli sweep [--2d|--3d] --h MIN:MAX:STEPS --k MIN:MAX:STEPS --dim N[:M]\n"
    "                      [--strategy NAME] [--db sqlite:FILE|mariadb://HOST:PORT]\n"
    "                      [--out MAP.csv] [--png MAP.png] [--stream FILE.xml] [--jobs J]\n\n"
    "Asks for every coolinoid of a grid of heights h and profile exponents k at\n"
    "resolution dim whether the strategy unfolds it (its net holding more than half\n"
    "the faces counts). Answers are kept in the result table and reused: a point\n"
    "already there is answered without unfolding. The table is the SQLite file\n"
    "coolinoid.sqlite in the data folder unless --db or the setting \"database\"\n"
    "(section Settings\\Coolinoid) names another; it holds one strategy's answers,\n"
    "so use one table per strategy. Several processes may share a MariaDB table.\n\n"
    "2D (the default) sweeps each dim from N to M and prints the maps, or writes\n"
    "them as CSV (--out) and as a PNG height map (--png). 3D finds the boundary of\n"
    "the unfoldable region in the box (h, dim, k) with the octree polygoniser and\n"
    "streams it into a scene file (--stream). Progress and the time left are shown\n"
    "on stderr.\n",
    runSweep,
    {{"--2d", nullptr, "one (h, k) map per dim (the default)"},
     {"--3d", nullptr, "the boundary surface of the unfoldable region"},
     {"--h", "MIN:MAX:STEPS", "the heights (default 4:16:50)"},
     {"--k", "MIN:MAX:STEPS", "the profile exponents (default 0.75:10:50)"},
     {"--dim", "N[:M]", "the resolutions du = dv (default 20)"},
     {"--strategy", "NAME", "the strategy (default Fast Unravel)"},
     {"--db", "DATABASE", "sqlite:FILE or mariadb://[USER[:PASSWORD]@]HOST[:PORT]"},
     {"--out", "FILE.csv", "2D: write the maps as CSV"},
     {"--png", "FILE.png", "2D: write the maps as a picture"},
     {"--stream", "FILE.xml",
      "3D: the scene file the surface streams into\n(default coolinoid-unfoldability.xml)"},
     {"--refine", "N", "3D: the finest octree level (default 3; 1 to 6)"},
     {"--jobs", "J", "2D: points evaluated at once (default 1)"}}};
const CliCommandRegistration g_SweepRegistration(g_SweepCommand);

/// "12:34" or "1:02:03".
std::string clock(double seconds) {
    const long s = long(seconds + 0.5);
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

/// Progress on stderr: rewritten in place on a terminal, a line per tenth otherwise.
SweepProgress progressPrinter(const char* what) {
    const auto start = std::chrono::steady_clock::now();
    const bool terminal = isatty(STDERR_FILENO);
    auto lastTenth = std::make_shared<long>(-1);
    return [=](long done, long total) {
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const long tenth = total > 0 ? done * 10 / total : 0;
        if (!terminal && tenth == *lastTenth)
            return;
        *lastTenth = tenth;
        std::string eta = "?";
        if (done > 0 && total >= done)
            eta = clock(elapsed / double(done) * double(total - done));
        std::fprintf(stderr, "%s%s %ld/%ld, %s elapsed, about %s left%s", terminal ? "\r" : "",
                     what, done, total, clock(elapsed).c_str(), eta.c_str(),
                     terminal ? "   " : "\n");
        if (terminal && done >= total)
            std::fprintf(stderr, "\n");
    };
}

int runSweep(const std::vector<std::string>& args) {
    int exitCode = 0;
    CliArgs parsed;
    if (!CliParseArgs(g_SweepCommand, args, parsed, exitCode))
        return exitCode;
    if (!CliCheckArgs(g_SweepCommand, parsed.plain, 0, 0, exitCode))
        return exitCode;
    SweepPlan plan;
    plan.threeD = parsed.switched("--3d").value_or(false) && !parsed.switched("--2d").value_or(false);
    if (parsed.switched("--3d") && parsed.switched("--2d"))
        return CliUsageError(g_SweepCommand, "choose one of --2d and --3d");
    std::string error;
    if (const auto h = parsed.value("--h"); h && !ParseSweepRange(*h, plan.h, error))
        return CliUsageError(g_SweepCommand, "--h: " + error);
    if (const auto k = parsed.value("--k"); k && !ParseSweepRange(*k, plan.k, error))
        return CliUsageError(g_SweepCommand, "--k: " + error);
    if (const auto dim = parsed.value("--dim");
        dim && !ParseDimRange(*dim, plan.dimMin, plan.dimMax, error))
        return CliUsageError(g_SweepCommand, "--dim: " + error);
    if (const auto jobs = parsed.value("--jobs")) {
        long n = 0;
        if (!CliParseCount(g_SweepCommand, "--jobs", *jobs, 1, n, exitCode))
            return exitCode;
        plan.jobs = int(std::min(n, 256L));
    }
    if (const auto refine = parsed.value("--refine")) {
        long n = 0;
        if (!CliParseCount(g_SweepCommand, "--refine", *refine, 1, n, exitCode))
            return exitCode;
        if (n > 6)
            return CliUsageError(g_SweepCommand, "--refine: at most 6");
        plan.refineLevel = int(n);
    }
    if (const auto name = parsed.value("--strategy")) {
        Factory* strategy = FindStrategy(*name);
        if (!strategy)
            return CliUsageError(g_SweepCommand, UnknownStrategyMessage(*name));
        plan.strategy = std::string(strategy->getClassName());
    }
    plan.database = parsed.value("--db").value_or("");
    if (ODBC::SqlDatabaseSpec spec; !plan.database.empty() &&
                                    !ODBC::SqlDatabaseSpec::Parse(plan.database, spec, error))
        return CliUsageError(g_SweepCommand, "--db: " + error);
    plan.streamTo = parsed.value("--stream").value_or("");
    const std::string csv = parsed.value("--out").value_or("");
    const std::string png = parsed.value("--png").value_or("");
    if (plan.threeD && (!csv.empty() || !png.empty()))
        return CliUsageError(g_SweepCommand, "--out and --png are for 2D sweeps");
    if (!plan.threeD && !plan.streamTo.empty())
        return CliUsageError(g_SweepCommand, "--stream is for 3D sweeps");
    if (!SweepRunner::Check(plan, error))
        return CliFail(error);
    // The cache reports on the status line: database trouble is worth a line on stderr, the
    // per-point chatter is not (the progress line stands for it).
    RegisterStatusMessageFn([](const char* text) {
        const std::string message = text;
        if (message == "Ready" || message == "Connecting to SQL server" ||
            message.rfind("[", 0) == 0 || message.rfind("Pre-caching coolinoid database", 0) == 0)
            return;
        std::fprintf(stderr, "vorn-cli: %s\n", text);
    });

    if (plan.threeD) {
        std::string streamedTo;
        std::unique_ptr<PolyMesh> mesh =
            SweepRunner::Run3D(plan, progressPrinter("Octree cells"), streamedTo, error);
        if (!mesh)
            return CliFail(error);
        std::cout << "Wrote the boundary surface (" << mesh->getPolyCount() << " faces, "
                  << mesh->getVertexCount() << " vertices) to " << streamedTo << "\n";
        return 0;
    }
    std::vector<SweepMap> maps = SweepRunner::Run2D(plan, progressPrinter("Points"), error);
    if (maps.empty())
        return CliFail(error);
    if (!csv.empty() && !WriteFileAtomically(csv, SweepMapsCsv(maps), &error))
        return CliFail(error);
    // Cells large enough to see on a small grid, small enough that a fine one stays a picture.
    const int cellPixels = std::clamp(480 / (plan.h.steps + 1), 2, 32);
    if (!png.empty() && !WriteSweepMapsPng(maps, png, cellPixels, error))
        return CliFail(error);
    if (csv.empty() && png.empty())
        std::cout << SweepMapsText(maps);
    long unfoldable = 0, total = 0;
    for (const SweepMap& map : maps)
        for (int v : map.cells) {
            unfoldable += v == 1;
            ++total;
        }
    std::cerr << unfoldable << " of " << total << " coolinoids unfold\n";
    return 0;
}

} // namespace
