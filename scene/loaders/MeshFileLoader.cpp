#include "scene/loaders/MeshFileLoader.h"

#include "common/AtomicFile.h"
#include "common/HeapReserve.h"
#include "common/XML.h"
#include "scene/mesh/PolyMesh.h"

namespace {

/// About what the mesh of `data` takes on the heap: per face the face and its two rings
/// (vertices, neighbours), per vertex the vertex and its list of faces, each block with
/// the allocator's header, and the mesh's lists of both.
std::size_t meshBytes(const PackedMeshData& data) {
    constexpr std::size_t kHeader = 16;
    const std::size_t faces = data.faceCount();
    const std::size_t corners = data.corners.size();
    const std::size_t vertices = data.vertices.size();
    return faces * (sizeof(Poly) + 3 * kHeader + sizeof(Poly*)) +
           corners * (2 * sizeof(void*) + sizeof(Poly*)) +
           vertices * (sizeof(Vertex) + 2 * kHeader + sizeof(Vertex*));
}

} // namespace

bool MeshFileLoader::parsePackedMesh(std::string_view bytes, PackedMeshData& mesh,
                                     MeshParseError& error) {
    MeshData rings;
    if (!parseMesh(bytes, rings, error))
        return false;
    mesh = PackedMeshData::pack(rings);
    return true;
}

bool MeshFileLoader::loadMesh(const std::string& path, PolyMesh& mesh) {
    std::string bytes, error;
    if (!ReadWholeFile(path, bytes, &error))
        return fail(error);
    if (bytes.empty())
        return fail(path, 0, "file is empty");
    PackedMeshData data;
    MeshParseError parseError;
    if (!parsePackedMesh(bytes, data, parseError))
        return fail(path, parseError.line, parseError.message);
    // The text is no longer needed: free it before the mesh takes its memory.
    std::string().swap(bytes);
    const HeapReserve heap(meshBytes(data));
    if (!mesh.fromMeshData(data, &error))
        return fail(path, 0, error);
    return true;
}

bool MeshFileLoader::load(const std::string& path, XML& into) {
    PolyMesh mesh;
    if (!loadMesh(path, mesh))
        return false;
    XML node("PolyMesh");
    mesh.write(node);
    into = std::move(node);
    return true;
}
