// "vorn-cli info FILE": the objects of a scene or model file and the
// topology of every mesh in it.
#include "scene/SceneRoot.h"
#include "scene/mesh/MeshData.h"
#include "scene/mesh/PolyMesh.h"
#include "vorn/cli/CliCommand.h"
#include "vorn/cli/CliDocument.h"
#include "vorn/core/SceneDocument.h"

#include <cstdio>
#include <vector>

namespace {

/// Every object below `obj`, depth first in child order.
void collectObjects(SceneObj* obj, std::vector<SceneObj*>& out) {
    for (SceneObj* child : obj->getChildren()) {
        out.push_back(child);
        collectObjects(child, out);
    }
}

void printMesh(int number, PolyMesh& mesh) {
    const MeshData data = mesh.toMeshData();
    MeshTopology t = data.topology();
    std::printf("mesh %d (%s):\n", number, std::string(mesh.getClassName()).c_str());
    std::printf("  vertices: %d\n", t.vertices);
    std::printf("  faces: %d\n", t.faces);
    std::printf("  edges: %d\n", t.edges);
    std::printf("  closed: %s\n", t.closed ? "yes" : "no");
    std::printf("  boundary edges: %d\n", t.boundaryEdges);
    std::printf("  non-manifold edges: %d\n", t.nonManifoldEdges);
    std::printf("  Euler characteristic: %d\n", t.eulerCharacteristic);
    std::printf("  components: %d\n", data.countComponents());
    std::printf("  non-manifold vertices: %d\n", data.countNonManifoldVertices());
    const MeshFaceShapes shapes = data.faceShapes();
    std::printf("  zero-area faces: %d\n", shapes.zeroArea);
    std::printf("  non-planar faces: %d\n", shapes.nonPlanar);
}

int runInfo(const std::vector<std::string>& args);

const CliCommand g_InfoCommand{
    "info", "print the objects and mesh topology of a scene or model file",
    "Usage: vorn-cli info FILE\n\n"
    "Opens FILE (a scene .xml or a mesh .off, .obj, .stl, .ply) and prints the\n"
    "number of objects and, for every mesh: its vertices, faces and edges,\n"
    "whether it is closed, its boundary and non-manifold edges, its Euler\n"
    "characteristic, its connected components, its non-manifold vertices, and\n"
    "its faces without area and faces whose corners are not in one plane (both\n"
    "are laid out as usual; a face without area never counts as an overlap).\n",
    runInfo};
const CliCommandRegistration g_InfoRegistration(g_InfoCommand);

int runInfo(const std::vector<std::string>& args) {
    int exitCode = 0;
    if (!CliCheckArgs(g_InfoCommand, args, 1, 1, exitCode))
        return exitCode;
    SceneDocument document;
    if (!CliOpenDocument(document, args[0]))
        return kExitFailure;
    std::vector<SceneObj*> objects;
    collectObjects(document.getRoot(), objects);
    std::printf("file: %s\n", args[0].c_str());
    std::printf("objects: %zu\n", objects.size());
    int meshNumber = 0;
    for (SceneObj* obj : objects)
        if (auto* mesh = dynamic_cast<PolyMesh*>(obj))
            printMesh(++meshNumber, *mesh);
    return 0;
}

} // namespace
