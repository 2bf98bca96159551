#include "scene/loaders/OffParser.h"

#include "scene/loaders/TextScanner.h"

#include "common/FirstRepeat.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

/// True for the keywords "OFF", "COFF", "NOFF", "CNOFF", "STOFF", "STCOFF", ...
/// Dimension prefixes ("4OFF", "nOFF") describe meshes that are not 3D.
bool isOffKeyword(std::string_view token) {
    if (token.size() < 3 || token.substr(token.size() - 3) != "OFF")
        return false;
    std::string_view prefix = token.substr(0, token.size() - 3);
    if (prefix.substr(0, 2) == "ST")
        prefix.remove_prefix(2);
    if (!prefix.empty() && prefix.front() == 'C')
        prefix.remove_prefix(1);
    if (!prefix.empty() && prefix.front() == 'N')
        prefix.remove_prefix(1);
    return prefix.empty();
}

/// A whole number written in digits that does not fit an int.
bool isTooLargeCount(std::string_view token) {
    if (token.empty() ||
        !std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    int value = 0;
    return !ParseNumber(token, value);
}

class OffReader {
public:
    OffReader(std::string_view text, MeshParseError& error)
        : m_scan(text), m_error(error), m_textSize(text.size()) {}

    bool read(PackedMeshData& mesh);

private:
    bool fail(std::string message) {
        m_error.line = m_scan.lineNumber();
        m_error.message = std::move(message);
        return false;
    }
    /// Running out of text belongs to no line.
    bool failAtEnd(std::string message) {
        m_error.line = 0;
        m_error.message = std::move(message);
        return false;
    }
    bool readCounts(int& vertexCount, int& faceCount);
    bool readVertex(int index, PackedMeshData& mesh);
    bool readFace(int index, int vertexCount, PackedMeshData& mesh);

    TextScanner m_scan;
    MeshParseError& m_error;
    size_t m_textSize;
};

bool OffReader::readCounts(int& vertexCount, int& faceCount) {
    if (!m_scan.nextContentLine())
        return failAtEnd("file is empty");
    std::string_view first = m_scan.nextToken();
    if (first == "OFF" || isOffKeyword(first)) {
        std::string_view next = m_scan.nextToken();
        if (next == "BINARY")
            return fail("binary OFF is not supported");
        if (next.empty()) {
            if (!m_scan.nextContentLine())
                return failAtEnd("missing vertex and face counts after " + QuotedToken(first));
            next = m_scan.nextToken();
        }
        first = next;
    } else if (first.find("OFF") != std::string_view::npos) {
        return fail("unsupported OFF variant " + QuotedToken(first) + " (only 3D meshes are read)");
    }
    std::string_view faces = m_scan.nextToken();
    std::string_view edges = m_scan.nextToken();
    for (std::string_view count : {first, faces, edges})
        if (isTooLargeCount(count))
            return fail("count " + QuotedToken(count) + " is too large (at most 2147483647)");
    int edgeCount = 0;
    if (!ParseNumber(first, vertexCount) || !ParseNumber(faces, faceCount) ||
        !ParseNumber(edges, edgeCount))
        return fail("expected 'OFF' or the vertex, face and edge counts, found " +
                    QuotedToken(first));
    if (vertexCount < 0 || faceCount < 0)
        return fail("negative vertex or face count");
    return true;
}

bool OffReader::readVertex(int index, PackedMeshData& mesh) {
    std::string_view tokens[3];
    double xyz[3];
    for (int k = 0; k < 3; ++k) {
        tokens[k] = m_scan.nextToken();
        if (tokens[k].empty())
            return fail("vertex " + std::to_string(index) + ": expected 3 coordinates, found " +
                        std::to_string(k));
        if (!ParseNumber(tokens[k], xyz[k]))
            return fail("vertex " + std::to_string(index) + ": " + QuotedToken(tokens[k]) +
                        " is not a number");
        if (!std::isfinite(xyz[k]))
            return fail("vertex " + std::to_string(index) + ": coordinate is not finite");
    }
    mesh.vertices.emplace_back(xyz[0], xyz[1], xyz[2]);
    return true;
}

bool OffReader::readFace(int index, int vertexCount, PackedMeshData& mesh) {
    // The message prefix is made only on failure: building it for every face would
    // cost a string allocation per face of a huge mesh.
    const auto face = [index] { return "face " + std::to_string(index) + ": "; };
    std::string_view countToken = m_scan.nextToken();
    int sides = 0;
    if (!ParseNumber(countToken, sides))
        return fail(face() + QuotedToken(countToken) + " is not a vertex count");
    if (sides < 3)
        return fail(face() + "has " + std::to_string(sides) + " vertices, needs at least 3");
    // The corners go straight into the shared index array; a failure leaves a partial
    // ring there, which the caller discards with the whole mesh.
    for (int k = 0; k < sides; ++k) {
        std::string_view token = m_scan.nextToken();
        if (token.empty())
            return fail(face() + "expected " + std::to_string(sides) + " vertex indices, found " +
                        std::to_string(k));
        int vertex = 0;
        if (!ParseNumber(token, vertex))
            return fail(face() + QuotedToken(token) + " is not a vertex index");
        if (vertex < 0 || vertex >= vertexCount)
            return fail(face() + "vertex index " + std::to_string(vertex) + " out of range (0.." +
                        std::to_string(vertexCount - 1) + ")");
        mesh.corners.push_back(vertex);
    }
    mesh.endFace();
    const std::span<const int> ring = mesh.face(mesh.faceCount() - 1);
    const std::size_t repeat = FindFirstRepeat(ring);
    if (repeat < ring.size())
        return fail(face() + "vertex index " + std::to_string(ring[repeat]) + " repeated");
    return true;
}

bool OffReader::read(PackedMeshData& mesh) {
    int vertexCount = 0, faceCount = 0;
    if (!readCounts(vertexCount, faceCount))
        return false;
    // Counts come from the file: reserve no more than the text could hold
    // (a vertex line takes at least 6 characters, a face line 8).
    mesh.vertices.reserve(std::min<size_t>(vertexCount, m_textSize / 6));
    const size_t faces = std::min<size_t>(faceCount, m_textSize / 8);
    mesh.faceStarts.reserve(faces + 1);
    mesh.corners.reserve(3 * faces);
    for (int i = 0; i < vertexCount; ++i) {
        if (!m_scan.nextContentLine())
            return failAtEnd("unexpected end of file: " + std::to_string(i) + " of " +
                             std::to_string(vertexCount) + " vertices read");
        if (!readVertex(i, mesh))
            return false;
    }
    for (int i = 0; i < faceCount; ++i) {
        if (!m_scan.nextContentLine())
            return failAtEnd("unexpected end of file: " + std::to_string(i) + " of " +
                             std::to_string(faceCount) + " faces read");
        if (!readFace(i, vertexCount, mesh))
            return false;
    }
    return true;
}

} // namespace

bool ParseOff(std::string_view text, PackedMeshData& out, MeshParseError& error) {
    PackedMeshData mesh;
    OffReader reader(text, error);
    if (!reader.read(mesh))
        return false;
    out = std::move(mesh);
    return true;
}

bool ParseOff(std::string_view text, MeshData& out, MeshParseError& error) {
    PackedMeshData mesh;
    if (!ParseOff(text, mesh, error))
        return false;
    out = mesh.unpack();
    return true;
}
