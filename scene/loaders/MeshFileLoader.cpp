#include "scene/loaders/MeshFileLoader.h"

#include "common/AtomicFile.h"
#include "common/XML.h"
#include "scene/mesh/PolyMesh.h"

bool MeshFileLoader::load(const std::string& path, XML& into) {
    std::string bytes, error;
    if (!ReadWholeFile(path, bytes, &error))
        return fail(error);
    if (bytes.empty())
        return fail(path, 0, "file is empty");
    MeshData data;
    MeshParseError parseError;
    if (!parseMesh(bytes, data, parseError))
        return fail(path, parseError.line, parseError.message);
    if (!data.validate(error))
        return fail(path, 0, error);
    PolyMesh mesh;
    if (!mesh.fromMeshData(data, &error))
        return fail(path, 0, error);
    XML node("PolyMesh");
    mesh.write(node);
    into = std::move(node);
    return true;
}
