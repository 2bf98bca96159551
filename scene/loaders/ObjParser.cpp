#include "scene/loaders/ObjParser.h"

#include "scene/loaders/PositionKey.h"
#include "scene/loaders/TextScanner.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

class ObjReader {
public:
    ObjReader(std::string_view text, MeshParseError& error) : m_scan(text), m_error(error) {}

    bool read(MeshData& mesh);

private:
    bool fail(std::string message) {
        m_error.line = m_scan.lineNumber();
        m_error.message = std::move(message);
        return false;
    }
    bool readVertex();
    bool readFace(MeshData& mesh);
    /// The mesh vertex of file vertex `index` (0-based), added on first use.
    int meshVertex(std::size_t index, MeshData& mesh);

    TextScanner m_scan;
    MeshParseError& m_error;
    std::vector<Sorvex::M3d> m_positions; // file order
    std::vector<int> m_remap;             // file vertex -> mesh vertex, -1 unused so far
    std::unordered_map<PositionKey<uint64_t>, int, PositionKeyHash<uint64_t>> m_merged;
};

bool ObjReader::readVertex() {
    double xyz[3];
    for (int k = 0; k < 3; ++k) {
        const std::string_view token = m_scan.nextToken();
        if (token.empty())
            return fail("vertex has " + std::to_string(k) + " coordinates, 3 are needed");
        if (!ParseNumber(token, xyz[k]))
            return fail("vertex coordinate " + QuotedToken(token) + " is not a number");
        if (!std::isfinite(xyz[k]))
            return fail("vertex coordinate " + QuotedToken(token) + " is not finite");
    }
    m_positions.emplace_back(xyz[0], xyz[1], xyz[2]);
    m_remap.push_back(-1);
    return true;
}

int ObjReader::meshVertex(std::size_t index, MeshData& mesh) {
    if (m_remap[index] < 0) {
        const Sorvex::M3d& p = m_positions[index];
        const auto key = PositionKey<uint64_t>::of(p.x(), p.y(), p.z());
        auto [it, added] = m_merged.try_emplace(key, int(mesh.vertices.size()));
        if (added)
            mesh.vertices.push_back(p);
        m_remap[index] = it->second;
    }
    return m_remap[index];
}

bool ObjReader::readFace(MeshData& mesh) {
    std::vector<int> ring;
    for (std::string_view token; !(token = m_scan.nextToken()).empty();) {
        const std::string_view indexText = token.substr(0, token.find('/'));
        long long index = 0;
        if (!ParseNumber(indexText, index) || index == 0)
            return fail("face corner " + QuotedToken(token) + " is not a vertex index");
        const long long count = static_cast<long long>(m_positions.size());
        const long long zeroBased = index > 0 ? index - 1 : count + index;
        if (zeroBased < 0 || zeroBased >= count)
            return fail("face corner " + QuotedToken(token) + ": vertex index out of range (" +
                        std::to_string(count) + " vertices read so far)");
        ring.push_back(meshVertex(std::size_t(zeroBased), mesh));
    }
    if (ring.size() < 3)
        return fail("face has " + std::to_string(ring.size()) + " corners, at least 3 are needed");
    mesh.faces.push_back(std::move(ring));
    return true;
}

bool ObjReader::read(MeshData& mesh) {
    while (m_scan.nextContentLine()) {
        const std::string_view keyword = m_scan.nextToken();
        if (keyword == "v" && !readVertex())
            return false;
        if (keyword == "f" && !readFace(mesh))
            return false;
    }
    if (mesh.faces.empty()) {
        m_error.line = 0;
        m_error.message = "file holds no polygon faces";
        return false;
    }
    return true;
}

} // namespace

bool ParseObj(std::string_view text, MeshData& out, MeshParseError& error) {
    MeshData mesh;
    ObjReader reader(text, error);
    if (!reader.read(mesh))
        return false;
    out = std::move(mesh);
    return true;
}
