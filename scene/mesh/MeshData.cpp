#include "scene/mesh/MeshData.h"

#include "common/FirstRepeat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

bool inRange(int index, std::size_t count) {
    return index >= 0 && std::size_t(index) < count;
}

/// The faces of a PackedMeshData as the checks below read faces: size() and operator[].
class PackedFaces {
public:
    explicit PackedFaces(const PackedMeshData& data) : m_data(data) {}
    std::size_t size() const { return m_data.faceCount(); }
    std::span<const int> operator[](std::size_t f) const { return m_data.face(f); }

private:
    const PackedMeshData& m_data;
};

/// Calls fn(low, high, count) once per distinct undirected edge whose two
/// indices are in range, in ascending (low, high) order; stops when fn returns
/// false. Edges are bucketed by their lower index (a counting sort), so each
/// bucket holds a handful of entries: linear time, unlike sorting all edges.
/// `Faces` is a vector of rings or PackedFaces. With `InRange`, the caller has
/// checked that every index is in range.
template <bool InRange = false, typename Faces, typename Fn>
void forEachEdge(std::size_t vertexCount, const Faces& faces, Fn&& fn) {
    std::vector<int> start(vertexCount + 1, 0);
    auto forEachFaceEdge = [&](auto&& visit) {
        for (std::size_t f = 0; f < faces.size(); ++f) {
            const auto& face = faces[f];
            const std::size_t n = face.size();
            if (n < 2)
                continue;
            for (std::size_t i = 0; i < n; ++i) {
                const int a = face[i];
                const int b = face[i + 1 == n ? 0 : i + 1];
                if (a != b && (InRange || (inRange(a, vertexCount) && inRange(b, vertexCount))))
                    visit(std::min(a, b), std::max(a, b));
            }
        }
    };
    forEachFaceEdge([&](int low, int) { ++start[std::size_t(low) + 1]; });
    for (std::size_t v = 0; v < vertexCount; ++v)
        start[v + 1] += start[v];
    std::vector<int> highs(static_cast<std::size_t>(start[vertexCount]));
    std::vector<int> fill(start.begin(), start.end() - 1);
    forEachFaceEdge(
        [&](int low, int high) { highs[std::size_t(fill[std::size_t(low)]++)] = high; });
    for (std::size_t v = 0; v < vertexCount; ++v) {
        const auto first = highs.begin() + start[v];
        const auto last = highs.begin() + start[v + 1];
        // Most buckets hold a handful of edges, sorted by insertion for less than
        // std::sort's setup; a hub of many faces still gets std::sort.
        if (last - first > 16)
            std::sort(first, last);
        else
            for (auto it = first + (first != last); it < last; ++it)
                for (auto at = it; at != first && *at < *(at - 1); --at)
                    std::iter_swap(at, at - 1);
        for (auto it = first; it != last;) {
            auto runEnd = it + 1;
            while (runEnd != last && *runEnd == *it)
                ++runEnd;
            if (!fn(int(v), *it, int(runEnd - it)))
                return;
            it = runEnd;
        }
    }
}

std::string rangeText(std::size_t count) {
    if (count == 0)
        return "(the mesh has no vertices)";
    return "(0.." + std::to_string(count - 1) + ")";
}

bool validateFace(std::span<const int> face, std::size_t faceIndex, std::size_t vertexCount,
                  std::string& error) {
    // The prefix is made only on failure: one string per face would cost an allocation
    // per face of a huge mesh.
    const auto prefix = [faceIndex] { return "face " + std::to_string(faceIndex) + ": "; };
    if (face.size() < 3) {
        error =
            prefix() + "has " + std::to_string(face.size()) + " vertices, at least 3 are needed";
        return false;
    }
    for (std::size_t k = 0; k < face.size(); ++k) {
        if (!inRange(face[k], vertexCount)) {
            error = prefix() + "vertex index " + std::to_string(face[k]) + " out of range " +
                    rangeText(vertexCount);
            return false;
        }
    }
    const std::size_t repeat = FindFirstRepeat(face);
    if (repeat < face.size()) {
        error = prefix() + "vertex index " + std::to_string(face[repeat]) + " is repeated";
        return false;
    }
    return true;
}

bool validateVertices(const std::vector<Sorvex::M3d>& vertices, std::string& error) {
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const Sorvex::M3d& p = vertices[i];
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || !std::isfinite(p.z())) {
            error = "vertex " + std::to_string(i) + ": coordinate is not finite";
            return false;
        }
        const double largest = std::max({std::abs(p.x()), std::abs(p.y()), std::abs(p.z())});
        if (largest > MeshData::kLargestCoordinate) {
            char text[160];
            std::snprintf(text, sizeof text,
                          "vertex %zu: coordinate %g is too large (at most %g, or lengths and "
                          "areas overflow); scale the model down",
                          i, largest, MeshData::kLargestCoordinate);
            error = text;
            return false;
        }
    }
    return true;
}

template <typename Faces>
bool validateMesh(const std::vector<Sorvex::M3d>& vertices, const Faces& faces,
                  std::string& error) {
    if (!validateVertices(vertices, error))
        return false;
    for (std::size_t f = 0; f < faces.size(); ++f) {
        if (!validateFace(faces[f], f, vertices.size(), error))
            return false;
    }
    bool manifold = true;
    forEachEdge<true>(vertices.size(), faces, [&](int low, int high, int count) {
        if (count <= 2)
            return true;
        error = "edge " + std::to_string(low) + "-" + std::to_string(high) + " is used by " +
                std::to_string(count) + " faces (non-manifold)";
        manifold = false;
        return false;
    });
    return manifold;
}

} // namespace

bool MeshData::validate(std::string& error) const {
    return validateMesh(vertices, faces, error);
}

bool PackedMeshData::validate(std::string& error) const {
    return validateMesh(vertices, PackedFaces(*this), error);
}

PackedMeshData PackedMeshData::pack(const MeshData& data) {
    PackedMeshData packed;
    packed.vertices = data.vertices;
    packed.faceStarts.reserve(data.faces.size() + 1);
    for (const std::vector<int>& face : data.faces) {
        packed.corners.insert(packed.corners.end(), face.begin(), face.end());
        packed.endFace();
    }
    return packed;
}

MeshData PackedMeshData::unpack() const {
    MeshData data;
    data.vertices = vertices;
    data.faces.reserve(faceCount());
    for (std::size_t f = 0; f < faceCount(); ++f) {
        const std::span<const int> ring = face(f);
        data.faces.emplace_back(ring.begin(), ring.end());
    }
    return data;
}

MeshTopology MeshData::topology() const {
    MeshTopology t;
    t.vertices = int(vertices.size());
    t.faces = int(faces.size());
    forEachEdge(vertices.size(), faces, [&](int, int, int count) {
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
