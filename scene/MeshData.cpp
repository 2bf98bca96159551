#include "scene/MeshData.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

namespace {

std::uint64_t edgeKey(int a, int b) {
    if (a > b)
        std::swap(a, b);
    return (std::uint64_t(std::uint32_t(a)) << 32) | std::uint32_t(b);
}

int edgeLow(std::uint64_t key) {
    return int(key >> 32);
}
int edgeHigh(std::uint64_t key) {
    return int(key & 0xffffffffu);
}

bool inRange(int index, std::size_t count) {
    return index >= 0 && std::size_t(index) < count;
}

/// Every edge of every face whose two indices are in range, as sorted keys, so
/// equal edges sit next to each other. Sorting beats hashing for 100k faces.
std::vector<std::uint64_t> sortedEdgeKeys(const MeshData& data) {
    std::vector<std::uint64_t> keys;
    std::size_t total = 0;
    for (const auto& face : data.faces)
        total += face.size();
    keys.reserve(total);
    for (const auto& face : data.faces) {
        const std::size_t n = face.size();
        if (n < 2)
            continue;
        for (std::size_t i = 0; i < n; ++i) {
            const int a = face[i];
            const int b = face[(i + 1) % n];
            if (a != b && inRange(a, data.vertices.size()) && inRange(b, data.vertices.size()))
                keys.push_back(edgeKey(a, b));
        }
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

/// Calls fn(key, count) once per distinct edge, in ascending key order.
template <typename Fn> void forEachEdgeRun(const std::vector<std::uint64_t>& keys, Fn&& fn) {
    for (std::size_t i = 0; i < keys.size();) {
        std::size_t j = i + 1;
        while (j < keys.size() && keys[j] == keys[i])
            ++j;
        if (!fn(keys[i], int(j - i)))
            return;
        i = j;
    }
}

std::string rangeText(std::size_t count) {
    if (count == 0)
        return "(the mesh has no vertices)";
    return "(0.." + std::to_string(count - 1) + ")";
}

bool validateFace(const std::vector<int>& face, std::size_t faceIndex, std::size_t vertexCount,
                  std::string& error) {
    const std::string prefix = "face " + std::to_string(faceIndex) + ": ";
    if (face.size() < 3) {
        error = prefix + "has " + std::to_string(face.size()) + " vertices, at least 3 are needed";
        return false;
    }
    for (std::size_t k = 0; k < face.size(); ++k) {
        if (!inRange(face[k], vertexCount)) {
            error = prefix + "vertex index " + std::to_string(face[k]) + " out of range " +
                    rangeText(vertexCount);
            return false;
        }
    }
    // Faces are short, so a quadratic duplicate test is cheaper than a set.
    for (std::size_t k = 1; k < face.size(); ++k) {
        for (std::size_t m = 0; m < k; ++m) {
            if (face[k] == face[m]) {
                error = prefix + "vertex index " + std::to_string(face[k]) + " is repeated";
                return false;
            }
        }
    }
    return true;
}

} // namespace

bool MeshData::validate(std::string& error) const {
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const Sorvex::M3d& p = vertices[i];
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || !std::isfinite(p.z())) {
            error = "vertex " + std::to_string(i) + ": coordinate is not finite";
            return false;
        }
    }
    for (std::size_t f = 0; f < faces.size(); ++f) {
        if (!validateFace(faces[f], f, vertices.size(), error))
            return false;
    }
    bool manifold = true;
    forEachEdgeRun(sortedEdgeKeys(*this), [&](std::uint64_t key, int count) {
        if (count <= 2)
            return true;
        error = "edge " + std::to_string(edgeLow(key)) + "-" + std::to_string(edgeHigh(key)) +
                " is used by " + std::to_string(count) + " faces (non-manifold)";
        manifold = false;
        return false;
    });
    return manifold;
}

MeshTopology MeshData::topology() const {
    MeshTopology t;
    t.vertices = int(vertices.size());
    t.faces = int(faces.size());
    forEachEdgeRun(sortedEdgeKeys(*this), [&](std::uint64_t, int count) {
        ++t.edges;
        if (count == 1)
            ++t.boundaryEdges;
        else if (count > 2)
            ++t.nonManifoldEdges;
        return true;
    });
    t.closed = t.faces > 0 && t.boundaryEdges == 0 && t.nonManifoldEdges == 0;
    t.eulerCharacteristic = t.vertices - t.edges + t.faces;
    return t;
}
