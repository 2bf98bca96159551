// "vorn-cli shape NAME [--set key=value]... --out FILE.off|FILE.xml": a parametric shape
// written as a mesh, so that test meshes can be made headless.
#include "vorn/cli/CliCommand.h"
#include "vorn/cli/CliDocument.h"
#include "vorn/core/shapes/ShapeCatalogue.h"


#include <cstdio>
#include <map>
#include <utility>

namespace {

int runShape(const std::vector<std::string>& args);

const CliCommand g_ShapeCommand{
    "shape", "write a parametric test shape as a mesh",
    "Usage: vorn-cli shape NAME [--set KEY=VALUE]... --out FILE.off|FILE.xml\n\n"
    "Builds the shape NAME with the given parameters (the others take their\n"
    "defaults) and writes it as OFF or as a scene holding the mesh.\n\n"
    "Shapes and parameters (default in brackets):\n"
    "  Coolinoid  du [20], dv [20], h [3], k [2.5]\n"
    "  WitchHat   height [2.0], belt [0.0]\n"
    "  BinTree    valence [3], subdivisions [0], chop [false], dual [false],\n"
    "             twist [0]\n"
    "  MathFn     which [1010], du [4], dv [3]; which: 1007 Saddlepoint,\n"
    "             1008 Valley, 1009 Torus, 1010 Sphere, 1011 Pluecker's Conoid,\n"
    "             1012 Double-twisted Half-torus, 1013 Half-torus,\n"
    "             1014 Steinbach Screw, 1016 Spun Parabola, 1018 Ill-flattened\n"
    "             cube, 1019 Twisted Half-torus, 1020 Twisted Torus, 1021 Zipper,\n"
    "             1045 Negative Vertex, 1046 Cone, 1047 Simplicial Sphere,\n"
    "             1049 Random Convex, 1050 e-banded Icosahedron\n"
    "Counts below a shape's minimum are raised to it (a Coolinoid du of 1\n"
    "gives 3); negative counts, values that are not finite numbers and counts\n"
    "above 1000 (subdivisions above 8) are refused.\n",
    runShape,
    {{"--set", "KEY=VALUE", "sets one parameter; repeatable"},
     {"--out", "FILE", "the mesh to write (.off or .xml); required"}}};
const CliCommandRegistration g_ShapeRegistration(g_ShapeCommand);

int runShape(const std::vector<std::string>& args) {
    int exitCode = 0;
    CliArgs parsed;
    if (!CliParseArgs(g_ShapeCommand, args, parsed, exitCode))
        return exitCode;
    if (!CliCheckArgs(g_ShapeCommand, parsed.plain, 1, 1, exitCode))
        return exitCode;
    const std::string out = parsed.value("--out").value_or("");
    if (out.empty())
        return CliUsageError(g_ShapeCommand, "--out is required");
    if (!CliIsMeshOutput(out))
        return CliUsageError(g_ShapeCommand, "--out must name an .off or .xml file");
    std::map<std::string, std::string> values;
    for (const std::string& setting : parsed.values("--set")) {
        const size_t eq = setting.find('=');
        if (eq == std::string::npos || eq == 0)
            return CliUsageError(g_ShapeCommand, "--set needs KEY=VALUE, not '" + setting + "'");
        values[setting.substr(0, eq)] = setting.substr(eq + 1);
    }

    std::string error;
    std::unique_ptr<PolyMesh> mesh = BuildShape(parsed.plain[0], values, error);
    if (!mesh)
        return CliUsageError(g_ShapeCommand, error);
    if (!CliWriteMesh(std::move(mesh), out, error))
        return CliFail(error);
    std::printf("Wrote %s\n", out.c_str());
    return 0;
}

} // namespace
