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
#include <cstdlib>
#include <memory>

namespace {

int runPolygonize(const std::vector<std::string>& args);

const CliCommand g_PolygonizeCommand{
    "polygonize", "refine a scene's MetaSurface to the end and write the mesh",
    "Usage: vorn-cli polygonize SCENE --out MESH.off|MESH.xml [--max-level N]\n\n"
    "Opens SCENE, refines its first MetaSurface to completion and writes the\n"
    "generated mesh as OFF or as a scene holding the mesh. --max-level sets\n"
    "the finest octree level (1 to 10; each level needs up to eight times the\n"
    "memory). Progress is shown when stderr is a terminal.\n",
    runPolygonize};
const CliCommandRegistration g_PolygonizeRegistration(g_PolygonizeCommand);

int runPolygonize(const std::vector<std::string>& args) {
    std::string scene, out;
    int maxLevel = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--out" || a == "--max-level") && i + 1 >= args.size())
            return CliUsageError(g_PolygonizeCommand, a + " needs a value");
        if (a == "--out") {
            out = args[++i];
        } else if (a == "--max-level") {
            const std::string& text = args[++i];
            char* end = nullptr;
            const long n = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end || n < 1)
                return CliUsageError(g_PolygonizeCommand,
                                     "--max-level needs a whole number of at least 1");
            maxLevel = n > 1000 ? 1000 : int(n);
        } else if (a.size() > 1 && a[0] == '-') {
            return CliUsageError(g_PolygonizeCommand, "unknown option " + a);
        } else if (scene.empty()) {
            scene = a;
        } else {
            return CliUsageError(g_PolygonizeCommand, "unexpected argument " + a);
        }
    }
    if (scene.empty() || out.empty())
        return CliUsageError(g_PolygonizeCommand, "a scene and --out are required");
    const std::string ext = CliExtensionOf(out);
    if (ext != ".off" && ext != ".xml")
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

    SceneDocument result;
    result.newDocument();
    mesh->setParent(result.getRoot());
    mesh.release(); // owned by the result's root
    const bool written = ext == ".off" ? result.exportOff(out, error) : result.save(out, error);
    return written ? 0 : CliFail(error);
}

} // namespace
