// "vorn-cli polygonize SCENE --out MESH.off|MESH.xml [--max-level N]": the implicit surface
// of a scene refined to completion and written as a mesh.
#include "blobby/MetaSurface.h"
#include "blobby/Polygonize.h"
#include "scene/SceneRoot.h"
#include "scene/mesh/PolyMesh.h"
#include "vorn/cli/CliCommand.h"
#include "vorn/cli/CliDocument.h"
#include "vorn/core/SceneDocument.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <utility>

namespace {

int runPolygonize(const std::vector<std::string>& args);

const CliCommand g_PolygonizeCommand{
    "polygonize", "refine a scene's MetaSurface to the end and write the mesh",
    "Usage: vorn-cli polygonize SCENE --out MESH.off|MESH.xml [--max-level N]\n\n"
    "Opens SCENE, refines its first MetaSurface to completion and writes the\n"
    "generated mesh as OFF or as a scene holding the mesh. Progress is shown\n"
    "when stderr is a terminal.\n",
    runPolygonize,
    {{"--out", "FILE", "the mesh to write (.off or .xml); required"},
     {"--max-level", "N",
      "the finest octree level (1 to 10; each level needs up to\n"
      "eight times the memory)"}}};
const CliCommandRegistration g_PolygonizeRegistration(g_PolygonizeCommand);

int runPolygonize(const std::vector<std::string>& args) {
    int exitCode = 0;
    CliArgs parsed;
    if (!CliParseArgs(g_PolygonizeCommand, args, parsed, exitCode))
        return exitCode;
    if (!CliCheckArgs(g_PolygonizeCommand, parsed.plain, 1, 1, exitCode))
        return exitCode;
    const std::string& scene = parsed.plain[0];
    const std::string out = parsed.value("--out").value_or("");
    int maxLevel = 0;
    if (const auto level = parsed.value("--max-level")) {
        long n = 0;
        if (!CliParseCount(g_PolygonizeCommand, "--max-level", *level, 1, n, exitCode))
            return exitCode;
        maxLevel = n > 1000 ? 1000 : int(n);
    }
    if (out.empty())
        return CliUsageError(g_PolygonizeCommand, "--out is required");
    if (!CliIsMeshOutput(out))
        return CliUsageError(g_PolygonizeCommand, "--out must name an .off or .xml file");

    SceneDocument document;
    if (!CliOpenDocument(document, scene))
        return kExitFailure;
    MetaSurface* surface = FindMetaSurface(*document.getRoot());
    if (!surface)
        return CliFail(scene + ": the scene holds no MetaSurface");

    const bool terminal = isatty(STDERR_FILENO);
    auto progress = [terminal](int level, size_t queued) {
        if (terminal)
            std::fprintf(stderr, "\rPolygonizing: level %d, %zu cells queued   ", level, queued);
    };
    std::string error;
    std::unique_ptr<PolyMesh> mesh = PolygonizeToEnd(*surface, maxLevel, progress, error);
    if (terminal)
        std::fprintf(stderr, "\n");
    if (!mesh)
        return CliFail(scene + ": " + error);

    return CliWriteMesh(std::move(mesh), out, error) ? 0 : CliFail(error);
}

} // namespace
