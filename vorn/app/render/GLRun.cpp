#include "vorn/app/render/GLRun.h"

#include "vorn/app/render/GLCoarseRun.h"

#include <algorithm>
#include <cstring>

bool GLRunKey::operator==(const GLRunKey& o) const {
    if (stamp != o.stamp || transparency != o.transparency || flags != o.flags ||
        lineWidth != o.lineWidth || color.r != o.color.r || color.g != o.color.g ||
        color.b != o.color.b || color.a != o.color.a || normal.x() != o.normal.x() ||
        normal.y() != o.normal.y() || normal.z() != o.normal.z())
        return false;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (transform.get(r, c) != o.transform.get(r, c))
                return false;
    return true;
}

namespace {

/// Spans of changed vertices closer than this are copied as one: a copy call costs about
/// as much as copying a few hundred vertices.
constexpr int kSpanGap = 256;

/// Compared as one word (std::array's == calls memcmp, a cost for each face recoloured).
bool sameColor(const GLBatchRecorder::PackedColor& a, const GLBatchRecorder::PackedColor& b) {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::memcpy(&x, a.data(), sizeof(x));
    std::memcpy(&y, b.data(), sizeof(y));
    return x == y;
}

} // namespace

GLRun::GLRun() = default;
GLRun::~GLRun() = default;

GLCoarseRun& GLRun::coarse() {
    if (!m_coarse)
        m_coarse = std::make_unique<GLCoarseRun>();
    return *m_coarse;
}

void GLRun::restart() {
    ++m_changes;
    recorder.clear();
    items = 0;
    itemStarts.clear();
    m_deferredOrder.clear();
    m_deferredNext = 0;
    m_deferredAt.clear();
    m_deferredColours.clear();
    clearDirty();
    m_flatIndex.clear();
    m_faceClusters.clear();
    m_indicesUploaded = 0;
    m_indexReady = false;
}

void GLRun::reserveForItems(std::size_t totalItems) {
    const bool steady = totalItems == m_askedTotal;
    m_askedTotal = totalItems;
    if (!steady || items == 0 || totalItems <= items)
        return;
    const std::size_t vertices = recorder.getVertices().size();
    const std::size_t capacity = recorder.getVertices().capacity();
    // Rounded up: a total just short of the room reserved would move everything once more.
    const std::size_t needed = (vertices * totalItems + items - 1) / items;
    if (needed > capacity)
        recorder.reserveVertices(needed);
    itemStarts.reserve(totalItems);
}

void GLRun::markDirty(int first, int end) {
    if (end <= first)
        return;
    ++m_changes;
    if (!isDirty()) {
        dirtyFirst = first;
        dirtyEnd = end;
    } else {
        dirtyFirst = std::min(dirtyFirst, first);
        dirtyEnd = std::max(dirtyEnd, end);
    }
    // Recolouring walks the items in order and appending adds at the end, so a new span
    // mostly extends the last one or follows it.
    if (!m_dirtySpans.empty()) {
        std::pair<int, int>& last = m_dirtySpans.back();
        if (first >= last.first && first <= last.second + kSpanGap) {
            last.second = std::max(last.second, end);
            return;
        }
        if (first < last.first)
            m_spansSorted = false;
    }
    m_dirtySpans.emplace_back(first, end);
}

const std::vector<std::pair<int, int>>& GLRun::dirtySpans() {
    if (m_spansSorted)
        return m_dirtySpans;
    std::sort(m_dirtySpans.begin(), m_dirtySpans.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto& span : m_dirtySpans) {
        if (!merged.empty() && span.first <= merged.back().second + kSpanGap)
            merged.back().second = std::max(merged.back().second, span.second);
        else
            merged.push_back(span);
    }
    m_dirtySpans.swap(merged);
    m_spansSorted = true;
    return m_dirtySpans;
}

void GLRun::clearDirty() {
    dirtyFirst = dirtyEnd = 0;
    m_dirtySpans.clear();
    m_spansSorted = true;
}

int GLRun::itemEnd(std::size_t item) const {
    return item + 1 < itemStarts.size() ? itemStarts[item + 1] : vertexCount();
}

int GLRun::cornersOf(std::size_t item) const {
    return (itemEnd(item) - itemStarts[item]) / 3 + 2;
}

bool GLRun::canRecolour(std::size_t item, int corners) const {
    if (item >= itemStarts.size() || corners < 3)
        return false;
    return itemEnd(item) - itemStarts[item] == 3 * (corners - 2);
}

bool GLRun::showsColours(std::size_t item, const GLBatchRecorder::PackedColor* colors,
                         int corners) const {
    const int first = itemStarts[item];
    const auto& vertices = recorder.getVertices();
    // The recorder fans a polygon round its first corner: triangle t is (0, t + 1, t + 2).
    for (int t = 0; t + 2 < corners; ++t)
        for (int k = 0; k < 3; ++k) {
            const GLBatchRecorder::PackedColor& c = colors[k == 0 ? 0 : t + k];
            if (std::memcmp(vertices[std::size_t(first + 3 * t + k)].color, c.data(), 4) != 0)
                return false;
        }
    return true;
}

void GLRun::deferRecolour(std::size_t item, const GLBatchRecorder::PackedColor* colors,
                          int corners) {
    if (m_deferredAt.size() < itemStarts.size())
        m_deferredAt.resize(itemStarts.size(), kNotDeferred);
    if (const std::uint32_t at = m_deferredAt[item]; at != kNotDeferred) {
        std::copy(colors, colors + corners, m_deferredColours.begin() + at);
        return;
    }
    if (showsColours(item, colors, corners))
        return;
    m_deferredAt[item] = std::uint32_t(m_deferredColours.size());
    m_deferredColours.insert(m_deferredColours.end(), colors, colors + corners);
    m_deferredOrder.push_back(item);
}

void GLRun::applyDeferredColours(std::size_t count) {
    for (; count > 0 && hasDeferredColours(); --count) {
        const std::size_t item = m_deferredOrder[m_deferredNext++];
        recolourItem(item, m_deferredColours.data() + m_deferredAt[item], cornersOf(item));
        m_deferredAt[item] = kNotDeferred;
    }
    if (!hasDeferredColours()) {
        // Every item is back to kNotDeferred: the table is kept for the next wait.
        m_deferredOrder.clear();
        m_deferredNext = 0;
        m_deferredColours.clear();
        return;
    }
    // Colours that never stop changing keep the queue from emptying: what was applied is
    // dropped once it is the larger part, so the queue holds about what waits.
    if (m_deferredNext < 4096 || 2 * m_deferredNext < m_deferredOrder.size())
        return;
    std::vector<GLBatchRecorder::PackedColor> colours;
    for (std::size_t k = m_deferredNext; k < m_deferredOrder.size(); ++k) {
        const std::size_t item = m_deferredOrder[k];
        std::uint32_t& at = m_deferredAt[item];
        const auto from = m_deferredColours.begin() + at;
        at = std::uint32_t(colours.size());
        colours.insert(colours.end(), from, from + cornersOf(item));
    }
    m_deferredColours.swap(colours);
    m_deferredOrder.erase(m_deferredOrder.begin(), m_deferredOrder.begin() + long(m_deferredNext));
    m_deferredNext = 0;
}

bool GLRun::recolourItem(std::size_t item, const GLBatchRecorder::PackedColor* colors,
                         int corners) {
    if (!canRecolour(item, corners))
        return false;
    const int first = itemStarts[item];
    const int end = itemEnd(item);
    bool changed = false;
    bool seeThrough = false;
    bool uniform = true;
    for (int k = 0; k < corners; ++k) {
        seeThrough |= colors[k][3] != 255;
        uniform = uniform && sameColor(colors[k], colors[0]);
    }
    if (uniform) {
        // The usual case: every vertex of the face takes its one colour.
        for (int v = first; v < end; ++v)
            changed |= recorder.setVertexColor(v, colors[0]);
    } else {
        // The recorder fans a polygon round its first corner: triangle t is (0, t + 1, t + 2).
        for (int t = 0; t + 2 < corners; ++t)
            for (int k = 0; k < 3; ++k)
                changed |= recorder.setVertexColor(first + 3 * t + k, colors[k == 0 ? 0 : t + k]);
    }
    if (changed) {
        markDirty(first, end);
        recorder.markRecoloured(first, seeThrough, !uniform);
    }
    return true;
}

bool GLRun::uploadOwn(bool indexed) {
    const int n = vertexCount();
    if (!m_buffer.isCreated()) {
        if (!m_buffer.create())
            return false;
        m_buffer.setUsagePattern(QOpenGLBuffer::DynamicDraw);
        m_bufferBytes = 0;
        m_uploaded = 0;
    }
    const qint64 bytes = qint64(n) * qint64(sizeof(GLVertex));
    const GLVertex* vertices = recorder.getVertices().data();
    auto copy = [&](int first, int end) {
        end = std::min(end, n);
        if (end > first)
            m_buffer.write(int(first * sizeof(GLVertex)), vertices + first,
                           int((end - first) * sizeof(GLVertex)));
    };
    m_buffer.bind();
    if (bytes > m_bufferBytes) {
        // Room to grow, so that a growing net appends into the same storage for a while.
        const qint64 reserved =
            qint64(recorder.getVertices().capacity()) * qint64(sizeof(GLVertex));
        m_bufferBytes = std::max(bytes + bytes / 2, reserved);
        m_buffer.allocate(int(m_bufferBytes));
        copy(0, n);
    } else {
        for (const auto& [first, end] : dirtySpans())
            copy(first, end);
    }
    m_buffer.release();
    m_uploaded = n;
    clearDirty();
    // Recolouring moves no corner: only what was appended needs clusters.
    m_faceClusters.extend(recorder.getVertices(), recorder.getBatches());
    m_indexReady = indexed && uploadIndices();
    return true;
}

bool GLRun::uploadIndices() {
    m_flatIndex.extend(recorder.getVertices(), recorder.getBatches());
    if (!m_indexBuffer.isCreated()) {
        if (!m_indexBuffer.create())
            return false;
        m_indexBuffer.setUsagePattern(QOpenGLBuffer::DynamicDraw);
        m_indexBytes = 0;
        m_indicesUploaded = 0;
    }
    const int n = m_flatIndex.indexedCount();
    const qint64 bytes = qint64(n) * qint64(sizeof(std::uint32_t));
    const std::uint32_t* indices = m_flatIndex.indices().data();
    m_indexBuffer.bind();
    if (bytes > m_indexBytes) {
        // One index per vertex: as much room as the vertex buffer has.
        const qint64 reserved =
            qint64(m_flatIndex.indices().capacity()) * qint64(sizeof(std::uint32_t));
        m_indexBytes = std::max(bytes + bytes / 2, reserved);
        m_indexBuffer.allocate(int(m_indexBytes));
        m_indicesUploaded = 0;
    }
    // Indices only change near the end: what was appended since the last upload, and the
    // corners before it that now point to an appended vertex.
    m_indicesUploaded = std::min(m_indicesUploaded, m_flatIndex.firstChanged());
    if (n > m_indicesUploaded)
        m_indexBuffer.write(int(m_indicesUploaded * sizeof(std::uint32_t)),
                            indices + m_indicesUploaded,
                            int((n - m_indicesUploaded) * sizeof(std::uint32_t)));
    m_indexBuffer.release();
    m_indicesUploaded = n;
    return true;
}

QOpenGLBuffer* GLRun::ownIndexBuffer() {
    return m_indexReady ? &m_indexBuffer : nullptr;
}

void GLRun::releaseOwnBuffer() {
    m_buffer.destroy();
    m_bufferBytes = 0;
    m_uploaded = 0;
    m_indexBuffer.destroy();
    m_indexBytes = 0;
    m_indicesUploaded = 0;
    m_indexReady = false;
    if (m_coarse)
        m_coarse->release();
}
