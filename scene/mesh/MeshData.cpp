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

/// Calls fn(low, high, count) once per distinct undirected edge whose two
/// indices are in range, in ascending (low, high) order; stops when fn returns
/// false. Edges are bucketed by their lower index (a counting sort), so each
/// bucket holds a handful of entries: linear time, unlike sorting all edges.
template <typename Fn> void forEachEdge(const MeshData& data, Fn&& fn) {
    const std::size_t vertexCount = data.vertices.size();
    std::vector<int> start(vertexCount + 1, 0);
    auto forEachFaceEdge = [&](auto&& visit) {
        for (const auto& face : data.faces) {
            const std::size_t n = face.size();
            if (n < 2)
                continue;
            for (std::size_t i = 0; i < n; ++i) {
                const int a = face[i];
                const int b = face[(i + 1) % n];
                if (a != b && inRange(a, vertexCount) && inRange(b, vertexCount))
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
        std::sort(first, last);
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
    const std::size_t repeat = FindFirstRepeat(face);
    if (repeat < face.size()) {
        error = prefix + "vertex index " + std::to_string(face[repeat]) + " is repeated";
        return false;
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
        const double largest = std::max({std::abs(p.x()), std::abs(p.y()), std::abs(p.z())});
        if (largest > kLargestCoordinate) {
            char text[160];
            std::snprintf(text, sizeof text,
                          "vertex %zu: coordinate %g is too large (at most %g, or lengths and "
                          "areas overflow); scale the model down",
                          i, largest, kLargestCoordinate);
            error = text;
            return false;
        }
    }
    for (std::size_t f = 0; f < faces.size(); ++f) {
        if (!validateFace(faces[f], f, vertices.size(), error))
            return false;
    }
    bool manifold = true;
    forEachEdge(*this, [&](int low, int high, int count) {
        if (count <= 2)
            return true;
        error = "edge " + std::to_string(low) + "-" + std::to_string(high) + " is used by " +
                std::to_string(count) + " faces (non-manifold)";
        manifold = false;
        return false;
    });
    return manifold;
}

MeshTopology MeshData::topology() const {
    MeshTopology t;
    t.vertices = int(vertices.size());
    t.faces = int(faces.size());
    forEachEdge(*this, [&](int, int, int count) {
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
