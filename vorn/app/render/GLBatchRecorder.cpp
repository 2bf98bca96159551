#include "vorn/app/render/GLBatchRecorder.h"

#include "scene/render/PolygonTriangles.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

using Sorvex::M3d;
using Sorvex::M4x4;

void GLBatchRecorder::clear() {
    m_vertices.clear();
    m_batches.clear();
    m_texts.clear();
    m_pending.clear();
    m_stack.assign(1, M4x4());
    updateNormalMatrix();
    // Every recording starts from OpenGL's own state, so that it does not depend on what
    // the last one ended with.
    normal(M3d(0, 0, 1));
    color(RGBAColor{});
    m_open = false;
}

void GLBatchRecorder::assign(std::vector<GLVertex> vertices, std::vector<GLBatch> batches) {
    clear();
    m_vertices = std::move(vertices);
    m_batches = std::move(batches);
}

void GLBatchRecorder::takeStateFrom(const GLBatchRecorder& other) {
    end();
    m_stack = other.m_stack;
    updateNormalMatrix();
    m_normal = other.m_normal;
    m_color = other.m_color;
    m_packedColor = other.m_packedColor;
}

void GLBatchRecorder::setTransformStack(const std::vector<Sorvex::M4x4>& stack) {
    end();
    m_stack = stack;
    updateNormalMatrix();
}

bool GLBatchRecorder::setVertexColor(int index, const PackedColor& c) {
    // Compared and written as one word: recolouring visits every corner of every face
    // placed since the last recording, and a call to compare four bytes costs more.
    std::uint8_t* out = m_vertices[size_t(index)].color;
    std::uint32_t now = 0;
    std::uint32_t next = 0;
    std::memcpy(&now, out, sizeof(now));
    std::memcpy(&next, c.data(), sizeof(next));
    if (now == next)
        return false;
    std::memcpy(out, &next, sizeof(next));
    return true;
}

void GLBatchRecorder::markRecoloured(int index, bool seeThrough, bool mixed) {
    if (!seeThrough && !mixed)
        return;
    // Batches are in vertex order: the last one starting at or before `index`.
    auto it = std::upper_bound(m_batches.begin(), m_batches.end(), index,
                               [](int i, const GLBatch& b) { return i < b.first; });
    if (it == m_batches.begin())
        return;
    GLBatch& batch = *std::prev(it);
    batch.opaque = batch.opaque && !seeThrough;
    batch.uniform = batch.uniform && !mixed;
}

void GLBatchRecorder::begin(Primitive primitive, bool lit, float lineWidth, bool closedSurface) {
    end();
    m_primitive = primitive;
    m_lit = lit;
    m_lineWidth = lineWidth;
    m_closedSurface = closedSurface;
    m_open = true;
}

void GLBatchRecorder::vertex(const M3d& p) {
    if (!m_open)
        return;
    // A face's corners share one normal: it is turned into world space and packed once.
    if (m_normalStale) {
        const double* n = m_normalMatrix;
        const M3d worldNormal(n[0] * m_normal.x() + n[3] * m_normal.y() + n[6] * m_normal.z(),
                              n[1] * m_normal.x() + n[4] * m_normal.y() + n[7] * m_normal.z(),
                              n[2] * m_normal.x() + n[5] * m_normal.y() + n[8] * m_normal.z());
        m_packedNormal = PackNormal(worldNormal);
        m_normalStale = false;
    }
    m_pending.push_back({toWorld(p), m_packedNormal, m_packedColor});
}

void GLBatchRecorder::normal(const M3d& n) {
    m_normal = n;
    m_normalStale = true;
}

void GLBatchRecorder::color(const RGBAColor& c) {
    m_color = c;
    m_packedColor = PackColor(c);
}

void GLBatchRecorder::end() {
    if (!m_open)
        return;
    m_open = false;
    const size_t n = m_pending.size();
    switch (m_primitive) {
    case Primitive::Triangles:
        if (n >= 3)
            useBatch(GLBatch::Kind::Triangles, m_lit, 1.0f, 0.0, m_closedSurface);
        for (size_t i = 0; i + 3 <= n; i += 3) {
            if (!sameLook(i, i + 3))
                m_batches.back().uniform = false;
            for (size_t k = 0; k < 3; ++k)
                appendVertex(m_pending[i + k]);
        }
        break;
    case Primitive::Polygon:
        if (n >= 3) {
            useBatch(GLBatch::Kind::Triangles, m_lit, 1.0f, 0.0, m_closedSurface);
            if (!sameLook(0, n))
                m_batches.back().uniform = false;
        }
        if (n == 3) {
            for (size_t k = 0; k < 3; ++k)
                appendVertex(m_pending[k]);
        } else if (n > 3) {
            // Faces may be non-convex (a U-shaped end, an L-shaped wall): a fan of those
            // would fill their notches.
            m_corners.clear();
            for (const Pending& v : m_pending)
                m_corners.push_back(v.position);
            m_triangles.clear();
            TriangulatePolygon(m_corners, m_triangles);
            for (int corner : m_triangles)
                appendVertex(m_pending[size_t(corner)]);
        }
        break;
    case Primitive::Lines:
        if (n >= 2)
            useBatch(GLBatch::Kind::Lines, false, m_lineWidth, 0.0);
        for (size_t i = 0; i + 2 <= n; i += 2) {
            if (!sameLook(i, i + 2))
                m_batches.back().uniform = false;
            appendVertex(m_pending[i]);
            appendVertex(m_pending[i + 1]);
        }
        break;
    case Primitive::LineLoop:
        if (n >= 2) {
            useBatch(GLBatch::Kind::Lines, false, m_lineWidth, 0.0);
            if (!sameLook(0, n))
                m_batches.back().uniform = false;
        }
        for (size_t i = 0; n >= 2 && i < n; ++i) {
            // Two points make one segment, not the same segment twice.
            if (n == 2 && i == 1)
                break;
            appendVertex(m_pending[i]);
            appendVertex(m_pending[(i + 1) % n]);
        }
        break;
    }
    m_pending.clear();
}

void GLBatchRecorder::flush() {
    if (!m_open)
        return;
    const Primitive primitive = m_primitive;
    end();
    m_primitive = primitive;
    m_open = true;
}

bool GLBatchRecorder::sameLook(size_t first, size_t end) const {
    const Pending& a = m_pending[first];
    for (size_t i = first + 1; i < end; ++i)
        if (m_pending[i].normal != a.normal || m_pending[i].color != a.color)
            return false;
    return true;
}

void GLBatchRecorder::tube(const M3d& a, const M3d& b, double radius) {
    end();
    useBatch(GLBatch::Kind::Lines, false, 1.0f, radius > 0.0 ? radius : 0.0);
    // Tubes are drawn unlit: their normal is never read.
    appendVertex({toWorld(a), m_packedNormal, m_packedColor});
    appendVertex({toWorld(b), m_packedNormal, m_packedColor});
}

void GLBatchRecorder::text(const M3d& at, const std::string& text) {
    m_texts.push_back({toWorld(at), text, m_color});
}

void GLBatchRecorder::pushTransform(const M4x4& m) {
    m_stack.push_back(m_stack.back() * m);
    updateNormalMatrix();
}

void GLBatchRecorder::popTransform() {
    if (m_stack.size() <= 1)
        return;
    m_stack.pop_back();
    updateNormalMatrix();
}

namespace {

/// One normal component as a signed byte.
std::int8_t packComponent(double c) {
    return std::int8_t(std::lround(std::clamp(c, -1.0, 1.0) * 127.0));
}

std::uint8_t packChannel(double c) {
    return std::uint8_t(std::lround(std::clamp(c, 0.0, 1.0) * 255.0));
}

double unpackComponent(std::int8_t c) {
    return std::max(c / 127.0, -1.0);
}

} // namespace

Sorvex::M3d GLVertex::unpackNormal() const {
    return M3d(unpackComponent(normal[0]), unpackComponent(normal[1]), unpackComponent(normal[2]));
}

PackedNormal GLBatchRecorder::PackNormal(const M3d& normal) {
    M3d n = normal;
    const double length = n.length();
    if (length > 0.0)
        n = n * (1.0 / length);
    return {packComponent(n.x()), packComponent(n.y()), packComponent(n.z()), 0};
}

GLBatchRecorder::PackedColor GLBatchRecorder::PackColor(const RGBAColor& c) {
    return {packChannel(c.r), packChannel(c.g), packChannel(c.b), packChannel(c.a)};
}

void GLBatchRecorder::appendVertex(const Pending& v) {
    GLVertex out;
    for (int i = 0; i < 3; ++i)
        out.position[i] = float(v.position[i]);
    out.normal = v.normal;
    std::copy(v.color.begin(), v.color.end(), out.color);
    m_vertices.push_back(out);
    GLBatch& batch = m_batches.back();
    if (out.color[3] != 255)
        batch.opaque = false;
    if (batch.count == 0) {
        batch.lo = batch.hi = v.position;
    } else {
        for (int i = 0; i < 3; ++i) {
            batch.lo[i] = std::min(batch.lo[i], v.position[i]);
            batch.hi[i] = std::max(batch.hi[i], v.position[i]);
        }
    }
    ++batch.count;
    m_anchorSum = m_anchorSum + v.position;
    batch.anchor = m_anchorSum * (1.0 / batch.count);
}

void GLBatchRecorder::useBatch(GLBatch::Kind kind, bool lit, float lineWidth, double tubeRadius,
                               bool closedSurface) {
    const bool mirrored = kind == GLBatch::Kind::Triangles && m_mirrored;
    if (!m_batches.empty()) {
        const GLBatch& last = m_batches.back();
        const bool linesMatch = kind == GLBatch::Kind::Triangles ||
                                (last.lineWidth == lineWidth && last.tubeRadius == tubeRadius);
        if (last.kind == kind && last.lit == lit && linesMatch &&
            last.closedSurface == closedSurface && last.mirrored == mirrored)
            return;
    }
    GLBatch batch;
    batch.kind = kind;
    batch.lit = lit;
    batch.lineWidth = lineWidth;
    batch.tubeRadius = tubeRadius;
    batch.closedSurface = closedSurface;
    batch.mirrored = mirrored;
    batch.first = int(m_vertices.size());
    m_batches.push_back(batch);
    m_anchorSum = M3d(0, 0, 0);
}

void GLBatchRecorder::updateNormalMatrix() {
    // Normals transform by the inverse transpose of the linear part; its cofactor matrix
    // is that times the determinant, so the same direction (flipped back for mirrors) with
    // no division that could fail on a flat transform.
    const M4x4& m = m_stack.back();
    const M3d a0(m.get(0, 0), m.get(0, 1), m.get(0, 2));
    const M3d a1(m.get(1, 0), m.get(1, 1), m.get(1, 2));
    const M3d a2(m.get(2, 0), m.get(2, 1), m.get(2, 2));
    M3d c0, c1, c2;
    c0.cross(a1, a2);
    c1.cross(a2, a0);
    c2.cross(a0, a1);
    const double sign = a0.dot(c0) < 0.0 ? -1.0 : 1.0;
    m_mirrored = sign < 0.0;
    m_normalStale = true;
    const M3d cols[3] = {c0 * sign, c1 * sign, c2 * sign};
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            m_normalMatrix[3 * c + r] = cols[c][r];
}
