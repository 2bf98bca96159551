// Feeds arbitrary bytes to the mesh file parsers. The first byte picks the
// format; the rest is the file. A mesh that parses and validates must become
// a PolyMesh that writes and reads back with the same counts.
#include "common/XML.h"
#include "scene/Factory.h"
#include "scene/mesh/PolyMesh.h"
#include "scene/loaders/MeshFileLoader.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    static const char* const kLoaders[] = {"OFFLoader", "OBJLoader", "STLLoader", "PLYLoader"};
    std::unique_ptr<Factorable> built(Factory::BuildObj(kLoaders[data[0] % 4]));
    auto* loader = dynamic_cast<MeshFileLoader*>(built.get());
    if (!loader)
        std::abort();
    std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    MeshData mesh;
    MeshParseError parseError;
    std::string error;
    if (!loader->parseMesh(bytes, mesh, parseError) || !mesh.validate(error))
        return 0;
    PolyMesh polyMesh;
    if (!polyMesh.fromMeshData(mesh, &error)) {
        std::fprintf(stderr, "validated mesh refused: %s\n", error.c_str());
        std::abort();
    }
    XML node("PolyMesh");
    polyMesh.write(node);
    PolyMesh reread;
    reread.read(node);
    MeshData back = reread.toMeshData();
    if (back.vertices.size() != mesh.vertices.size() || back.faces != mesh.faces) {
        std::fprintf(stderr, "mesh changed on a write/read round trip\n");
        std::abort();
    }
    return 0;
}
