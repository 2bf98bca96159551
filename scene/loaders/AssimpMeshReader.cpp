#include "scene/loaders/AssimpMeshReader.h"

#include "scene/loaders/PositionKey.h"

#include <assimp/Importer.hpp>
#include <assimp/MemoryIOWrapper.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace {

PositionKey<uint32_t> keyOf(const aiVector3D& p) {
    return PositionKey<uint32_t>::of(p.x, p.y, p.z);
}

/// The importer's message cut to one line, with the placeholder name it
/// gives in-memory files replaced.
std::string importerMessage(std::string text) {
    const std::string placeholder = AI_MEMORYIO_MAGIC_FILENAME;
    for (size_t pos = text.find(placeholder); pos != std::string::npos;
         pos = text.find(placeholder, pos)) {
        size_t end = pos + placeholder.size();
        if (end < text.size() && text[end] == '.')
            end = text.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ",
                                         end + 1);
        text.replace(pos, (end == std::string::npos ? text.size() : end) - pos, "the file");
    }
    size_t end = text.find_first_of("\r\n");
    if (end != std::string::npos)
        text.resize(end);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text.empty() ? std::string("unreadable or unsupported file") : text;
}

/// Checked before vertices are joined: the importers do not check face
/// indices against the vertex count, and the join step would read past the
/// vertex array for such an index, or quietly merge a NaN corner into some
/// other vertex.
bool checkImported(const aiScene& scene, std::string& error) {
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        const aiMesh& part = *scene.mMeshes[m];
        if (part.mNumVertices > 0 && !part.mVertices) {
            error = "mesh without vertex positions";
            return false;
        }
        for (unsigned i = 0; i < part.mNumVertices; ++i) {
            const aiVector3D& p = part.mVertices[i];
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
                error = "a vertex coordinate is not finite";
                return false;
            }
        }
        for (unsigned f = 0; f < part.mNumFaces; ++f) {
            const aiFace& face = part.mFaces[f];
            for (unsigned k = 0; k < face.mNumIndices; ++k)
                if (face.mIndices[k] >= part.mNumVertices) {
                    // Signed index types come back as huge unsigned values.
                    error = "face " + std::to_string(f) + ": vertex index " +
                            std::to_string(int64_t(int32_t(face.mIndices[k]))) +
                            " out of range (0.." + std::to_string(int(part.mNumVertices) - 1) + ")";
                    return false;
                }
        }
    }
    return true;
}

bool collectMeshes(const aiScene& scene, MeshData& mesh, std::string& error) {
    std::unordered_map<PositionKey<uint32_t>, int, PositionKeyHash<uint32_t>> merged;
    std::vector<int> remap;
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        const aiMesh& part = *scene.mMeshes[m];
        remap.assign(part.mNumVertices, -1);
        for (unsigned f = 0; f < part.mNumFaces; ++f) {
            const aiFace& face = part.mFaces[f];
            if (face.mNumIndices < 3)
                continue;
            std::vector<int> ring;
            ring.reserve(face.mNumIndices);
            for (unsigned k = 0; k < face.mNumIndices; ++k) {
                unsigned index = face.mIndices[k];
                if (index >= part.mNumVertices) {
                    error = "face " + std::to_string(mesh.faces.size()) + ": vertex index " +
                            std::to_string(index) + " out of range";
                    return false;
                }
                if (remap[index] < 0) {
                    const aiVector3D& p = part.mVertices[index];
                    auto [it, added] = merged.try_emplace(keyOf(p), int(mesh.vertices.size()));
                    if (added)
                        mesh.vertices.emplace_back(double(p.x), double(p.y), double(p.z));
                    remap[index] = it->second;
                }
                ring.push_back(remap[index]);
            }
            mesh.faces.push_back(std::move(ring));
        }
    }
    if (mesh.faces.empty()) {
        error = "file holds no polygon faces";
        return false;
    }
    return true;
}

} // namespace

bool ReadMeshWithAssimp(std::string_view bytes, const char* formatHint, MeshData& out,
                        std::string& error) {
    if (bytes.empty()) {
        error = "file is empty";
        return false;
    }
    Assimp::Importer importer;
    // Only positions matter: dropping normals and texture coordinates lets
    // the join step merge every corner that sits at the same place.
    importer.SetPropertyInteger(AI_CONFIG_PP_RVC_FLAGS,
                                aiComponent_NORMALS | aiComponent_TEXCOORDS | aiComponent_COLORS |
                                    aiComponent_TANGENTS_AND_BITANGENTS);
    const aiScene* scene = importer.ReadFileFromMemory(bytes.data(), bytes.size(), 0, formatHint);
    if (!scene) {
        error = importerMessage(importer.GetErrorString());
        return false;
    }
    if (!checkImported(*scene, error))
        return false;
    scene =
        importer.ApplyPostProcessing(aiProcess_RemoveComponent | aiProcess_JoinIdenticalVertices);
    if (!scene) {
        error = importerMessage(importer.GetErrorString());
        return false;
    }
    MeshData mesh;
    if (!collectMeshes(*scene, mesh, error))
        return false;
    out = std::move(mesh);
    return true;
}
