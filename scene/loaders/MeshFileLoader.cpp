#include "scene/loaders/MeshFileLoader.h"

#include "common/AtomicFile.h"
#include "common/HeapReserve.h"
#include "common/XML.h"
#include "scene/mesh/PolyMesh.h"

namespace {

/// Heap a mesh file's parse and mesh take per byte of the file, about: a text file's line
/// of 20 to 60 bytes becomes a face or vertex of 150 to 200 bytes, plus what the parse
/// holds meanwhile. A guess on the low side: what the mesh needs beyond it is readied
/// once its size is known, and a file that fails to parse readies little in vain.
constexpr std::size_t kHeapBytesPerFileByte = 6;

/// About what the mesh of `data` takes on the heap: per face the face, with its rings of
/// corners and neighbours inside it up to four corners and in two blocks of their own
/// beyond; per vertex the vertex, whose list of faces it holds itself (vertices with more
/// than eight faces are rare and not counted); each block with the allocator's header,
/// and the mesh's lists of both.
std::size_t meshBytes(const PackedMeshData& data) {
    constexpr std::size_t kHeader = 16;
    constexpr std::size_t kInlineCorners = 4;
    const std::size_t faces = data.faceCount();
    const std::size_t vertices = data.vertices.size();
    std::size_t rings = 0;
    for (std::size_t f = 0; f < faces; ++f) {
        const std::size_t n = data.faceStarts[f + 1] - data.faceStarts[f];
        if (n > kInlineCorners)
            rings += n * (sizeof(void*) + sizeof(Poly*)) + 2 * kHeader;
    }
    return faces * (sizeof(Poly) + kHeader + sizeof(Poly*)) + rings +
           vertices * (sizeof(Vertex) + kHeader + sizeof(Vertex*));
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
    // Readied from the file's size before parsing, so that the pages come in on the
    // second core while this one parses; topped up below once the mesh's size is known.
    const HeapReserve parseHeap(kHeapBytesPerFileByte * bytes.size());
    PackedMeshData data;
    MeshParseError parseError;
    if (!parsePackedMesh(bytes, data, parseError))
        return fail(path, parseError.line, parseError.message);
    // The text is no longer needed: free it before the mesh takes its memory.
    std::string().swap(bytes);
    const HeapReserve meshHeap(meshBytes(data));
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
