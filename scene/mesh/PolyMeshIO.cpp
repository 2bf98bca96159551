// PolyMesh persistence and conversion to and from MeshData.
#include "scene/mesh/PolyMesh.h"

#include "common/XML.h"
#include "scene/loaders/PositionKey.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>
#include <utility>

using Sorvex::M3d;

namespace {

std::string quoted(const std::string& text) {
    constexpr std::size_t shown = 60;
    if (text.size() <= shown)
        return "\"" + text + "\"";
    return "\"" + text.substr(0, shown) + "...\"";
}

/// Parses "    0,     1,     2" (commas and blanks both separate). False on
/// anything that is not an int.
bool parseIndexList(const std::string& text, std::vector<int>& out) {
    out.clear();
    const char* p = text.c_str();
    while (true) {
        while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == ',')
            ++p;
        if (*p == '\0')
            return true;
        char* end = nullptr;
        errno = 0;
        const long value = std::strtol(p, &end, 10);
        if (end == p || errno == ERANGE || value < INT_MIN || value > INT_MAX)
            return false;
        if (*end != '\0' && *end != ',' && *end != ' ' && *end != '\t' && *end != '\n' &&
            *end != '\r')
            return false;
        out.push_back(int(value));
        p = end;
    }
}

/// Appends `value` as printf's "%5i" would, without a printf call per index
/// (100k faces hold 300k of them).
void appendIndex(std::string& out, int value) {
    char digits[12];
    int n = 0;
    unsigned magnitude = value < 0 ? 0u - unsigned(value) : unsigned(value);
    do {
        digits[n++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        digits[n++] = '-';
    for (int pad = n; pad < 5; ++pad)
        out += ' ';
    while (n > 0)
        out += digits[--n];
}

/// Reads the "UnindexedFace" elements of `faces` (each lists its corners as "Vertex"
/// positions, as streamed surfaces are written) into `data`; corners at exactly the same
/// place become one vertex, and triangles whose corners merged are dropped.
void readUnindexedFaces(const XML& faces, MeshData& data) {
    using Key = PositionKey<std::uint64_t>;
    std::unordered_map<Key, int, PositionKeyHash<std::uint64_t>> index;
    for (const XML& element : faces) {
        if (element.getName() != "UnindexedFace")
            continue;
        std::vector<int> ring;
        for (const XML& corner : element) {
            if (corner.getName() != "Vertex")
                continue;
            M3d p;
            if (!p.fromText(corner.getText().c_str()))
                throw SceneReadError("face " + std::to_string(data.faces.size()) + ": " +
                                     quoted(corner.getText()) + " is not a vector");
            const auto [at, added] =
                index.try_emplace(Key::of(p.x(), p.y(), p.z()), int(data.vertices.size()));
            if (added)
                data.vertices.push_back(p);
            ring.push_back(at->second);
        }
        // Corners that fell on one place in the text form leave a face without area: dropped.
        if (ring.size() == 3 && (ring[0] == ring[1] || ring[1] == ring[2] || ring[0] == ring[2]))
            continue;
        data.faces.push_back(std::move(ring));
    }
}

/// Reads the "Vertices" and "Faces" elements into `data`; throws
/// SceneReadError for text that is not a vector or an index list.
void readGeometry(XML& xml, MeshData& data) {
    if (const XML* vertices = xml.child("Vertices")) {
        data.vertices.reserve(vertices->getChildCount());
        for (const XML& element : *vertices) {
            if (element.getName() != "Vertex")
                continue;
            M3d p;
            if (!p.fromText(element.getText().c_str()))
                throw SceneReadError("vertex " + std::to_string(data.vertices.size()) + ": " +
                                     quoted(element.getText()) + " is not a vector");
            data.vertices.push_back(p);
        }
    }
    if (const XML* faces = xml.child("Faces")) {
        data.faces.reserve(faces->getChildCount());
        for (const XML& element : *faces) {
            if (element.getName() != "Face")
                continue;
            std::vector<int> ring;
            if (!parseIndexList(element.getText(), ring))
                throw SceneReadError("face " + std::to_string(data.faces.size()) + ": " +
                                     quoted(element.getText()) +
                                     " is not a list of vertex indices");
            data.faces.push_back(std::move(ring));
        }
        readUnindexedFaces(*faces, data);
    }
}

} // namespace

void PolyMesh::read(XML& xml) {
    const bool hasGeometry = xml.child("Vertices") || xml.child("Faces");
    MeshData data;
    readGeometry(xml, data);
    std::string error;
    if (!data.validate(error))
        throw SceneReadError(error);
    const RGBAColor oldColor = m_color;
    const bool oldEdges = m_renderFaceEdges;
    const M3d colour = readVector(xml, "Color", M3d(m_color.r, m_color.g, m_color.b));
    if (!std::isfinite(colour.x()) || !std::isfinite(colour.y()) || !std::isfinite(colour.z()))
        throw SceneReadError("Color: component is not finite");

    // The geometry goes in before the base builds the children, so that a
    // child (an unfolder) finds its mesh complete when it is attached. If the
    // base then fails, the old geometry comes back.
    PolyList oldPolys;
    VertexList oldVertices;
    if (hasGeometry) {
        std::swap(oldPolys, m_polys);
        std::swap(oldVertices, m_vertices);
        replaceGeometry(data);
    }
    m_renderFaceEdges = readBool(xml, "DrawEdges", m_renderFaceEdges);
    m_color = {colour.x(), colour.y(), colour.z(), m_color.a};
    try {
        SceneObj::read(xml);
    } catch (...) {
        if (hasGeometry) {
            std::swap(oldPolys, m_polys);
            std::swap(oldVertices, m_vertices);
            deleteGeometry(oldPolys, oldVertices);
        }
        m_color = oldColor;
        m_renderFaceEdges = oldEdges;
        ++m_revision;
        throw;
    }
    if (hasGeometry)
        deleteGeometry(oldPolys, oldVertices);
    ++m_revision;
}

void PolyMesh::write(XML& xml) {
    SceneObj::write(xml);
    XML* vertices = xml.add("Vertices");
    char text[M3d::TextCapacity];
    for (const Vertex* v : m_vertices) {
        const std::size_t n = v->toText(text);
        vertices->add("Vertex", std::string_view(text, n));
    }
    XML* faces = xml.add("Faces");
    std::string line;
    for (const Poly* f : m_polys) {
        line.clear();
        bool first = true;
        for (const Vertex* v : f->getVertices()) {
            if (!first)
                line += ", ";
            first = false;
            appendIndex(line, getIOIndex(v));
        }
        faces->add("Face", std::string_view(line));
    }
    xml.add("DrawEdges", m_renderFaceEdges);
    char colour[M3d::TextCapacity];
    const std::size_t n = M3d(m_color.r, m_color.g, m_color.b).toText(colour);
    xml.add("Color", std::string_view(colour, n));
}

template <typename Faces>
void PolyMesh::buildGeometry(const std::vector<M3d>& positions, const Faces& faces) {
    deleteGeometry(m_polys, m_vertices);
    m_vertices.reserve(positions.size());
    m_polys.reserve(faces.size());
    // Each vertex's face list is sized once from its use count: grown face by face it
    // would be reallocated three or four times per vertex. The use count is also the
    // number of ring edges leaving the vertex, which `leaving` lists from `firstLeaving`.
    std::vector<std::uint32_t> uses(positions.size(), 0);
    for (std::size_t f = 0; f < faces.size(); ++f)
        for (int index : faces[f])
            ++uses[std::size_t(index)];
    std::vector<Vertex*> vertices;
    vertices.reserve(positions.size());
    std::vector<std::uint32_t> firstLeaving(positions.size() + 1, 0);
    for (std::size_t i = 0; i < positions.size(); ++i) {
        Vertex* v = addVertexAt(positions[i]);
        v->m_polys.reserve(uses[i]);
        vertices.push_back(v);
        firstLeaving[i + 1] = firstLeaving[i] + uses[i];
    }
    struct Leaving {
        int to;
        std::uint32_t face;
        std::uint32_t edge;
    };
    std::vector<Leaving> leaving(firstLeaving.back());
    std::vector<std::uint32_t> filled(firstLeaving.begin(), firstLeaving.end() - 1);
    std::vector<Poly*> polys;
    polys.reserve(faces.size());
    std::vector<Vertex*> ring;
    for (std::size_t i = 0; i < faces.size(); ++i) {
        const auto& face = faces[i];
        ring.clear();
        for (std::size_t k = 0; k < face.size(); ++k) {
            const int from = face[k];
            ring.push_back(vertices[std::size_t(from)]);
            leaving[filled[std::size_t(from)]++] = {face[k + 1 == face.size() ? 0 : k + 1],
                                                    std::uint32_t(i), std::uint32_t(k)};
        }
        // The ring was validated and the normal computed by the constructor.
        polys.push_back(new Poly(ring));
    }
    // Validated data has at most two faces on an edge, so the face across an edge is the
    // other face with the same two corners, whichever way it runs: the face adding the
    // faces one by one (addPoly) would link, found here without a search per face.
    auto partner = [&](int from, int to, std::uint32_t self) -> const Leaving* {
        for (std::uint32_t h = firstLeaving[std::size_t(from)];
             h < firstLeaving[std::size_t(from) + 1]; ++h)
            if (leaving[h].to == to && leaving[h].face != self)
                return &leaving[h];
        return nullptr;
    };
    for (std::size_t i = 0; i < faces.size(); ++i) {
        const auto& face = faces[i];
        Poly* f = polys[i];
        for (std::size_t k = 0; k < face.size(); ++k) {
            const int a = face[k];
            const int b = face[k + 1 == face.size() ? 0 : k + 1];
            const Leaving* other = partner(b, a, std::uint32_t(i));
            if (!other)
                other = partner(a, b, std::uint32_t(i));
            if (other)
                f->m_neighbors[k] = polys[other->face];
            vertices[std::size_t(a)]->m_polys.push_back(f);
        }
        m_polys.add(f);
        f->m_mesh = this;
        ++m_revision;
    }
    ++m_revision;
}

namespace {

/// Packed rings by index, as buildGeometry reads faces.
struct PackedRings {
    const PackedMeshData& data;
    std::size_t size() const { return data.faceCount(); }
    std::span<const int> operator[](std::size_t f) const { return data.face(f); }
};

} // namespace

void PolyMesh::replaceGeometry(const MeshData& data) {
    buildGeometry(data.vertices, data.faces);
}

void PolyMesh::replaceGeometry(const PackedMeshData& data) {
    buildGeometry(data.vertices, PackedRings{data});
}

bool PolyMesh::fromMeshData(const MeshData& data, std::string* error) {
    std::string reason;
    if (!data.validate(reason)) {
        if (error)
            *error = reason;
        return false;
    }
    replaceGeometry(data);
    onChanged(true);
    return true;
}

bool PolyMesh::fromMeshData(const PackedMeshData& data, std::string* error) {
    std::string reason;
    if (!data.validate(reason)) {
        if (error)
            *error = reason;
        return false;
    }
    replaceGeometry(data);
    onChanged(true);
    return true;
}

MeshData PolyMesh::toMeshData() const {
    MeshData data;
    data.vertices.reserve(m_vertices.size());
    for (const Vertex* v : m_vertices)
        data.vertices.push_back(*v);
    data.faces.reserve(m_polys.size());
    for (const Poly* f : m_polys) {
        std::vector<int> ring;
        ring.reserve(f->getVertices().size());
        for (const Vertex* v : f->getVertices())
            ring.push_back(getIOIndex(v));
        data.faces.push_back(std::move(ring));
    }
    return data;
}
