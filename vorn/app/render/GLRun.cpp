#include "vorn/app/render/GLRun.h"

#include <algorithm>

bool GLRunKey::operator==(const GLRunKey& o) const {
    if (stamp != o.stamp || transparency != o.transparency || flags != o.flags ||
        lineWidth != o.lineWidth || color.r != o.color.r ||
        color.g != o.color.g || color.b != o.color.b || color.a != o.color.a ||
        normal.x() != o.normal.x() || normal.y() != o.normal.y() || normal.z() != o.normal.z())
        return false;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (transform.get(r, c) != o.transform.get(r, c))
                return false;
    return true;
}

void GLRun::restart() {
    recorder.clear();
    items = 0;
    itemStarts.clear();
    dirtyFirst = dirtyEnd = 0;
}

void GLRun::markDirty(int first, int end) {
    if (end <= first)
        return;
    if (!isDirty()) {
        dirtyFirst = first;
        dirtyEnd = end;
        return;
    }
    dirtyFirst = std::min(dirtyFirst, first);
    dirtyEnd = std::max(dirtyEnd, end);
}

bool GLRun::recolourItem(std::size_t item, const GLBatchRecorder::PackedColor* colors,
                         int corners) {
    if (item >= itemStarts.size() || corners < 3)
        return false;
    const int first = itemStarts[item];
    const int end = item + 1 < itemStarts.size() ? itemStarts[item + 1] : vertexCount();
    if (end - first != 3 * (corners - 2))
        return false;
    // The recorder fans a polygon round its first corner: triangle t is (0, t + 1, t + 2).
    bool changed = false;
    bool seeThrough = false;
    bool uniform = true;
    for (int t = 0; t + 2 < corners; ++t)
        for (int k = 0; k < 3; ++k) {
            const GLBatchRecorder::PackedColor& c = colors[k == 0 ? 0 : t + k];
            changed |= recorder.setVertexColor(first + 3 * t + k, c);
            seeThrough |= c[3] != 255;
            uniform = uniform && c == colors[0];
        }
    if (changed) {
        markDirty(first, end);
        recorder.markRecoloured(first, seeThrough, !uniform);
    }
    return true;
}

bool GLRun::uploadOwn() {
    const int n = vertexCount();
    if (!m_buffer.isCreated()) {
        if (!m_buffer.create())
            return false;
        m_buffer.setUsagePattern(QOpenGLBuffer::DynamicDraw);
        m_bufferBytes = 0;
        m_uploaded = 0;
    }
    const qint64 bytes = qint64(n) * qint64(sizeof(GLVertex));
    m_buffer.bind();
    int first = dirtyFirst;
    int end = dirtyEnd;
    if (bytes > m_bufferBytes) {
        // Room to grow, so that a growing net appends into the same storage for a while.
        m_bufferBytes = bytes + bytes / 2;
        m_buffer.allocate(int(m_bufferBytes));
        first = 0;
        end = n;
    }
    end = std::min(end, n);
    if (end > first)
        m_buffer.write(int(first * sizeof(GLVertex)), recorder.getVertices().data() + first,
                       int((end - first) * sizeof(GLVertex)));
    m_buffer.release();
    m_uploaded = n;
    dirtyFirst = dirtyEnd = 0;
    return true;
}

void GLRun::releaseOwnBuffer() {
    m_buffer.destroy();
    m_bufferBytes = 0;
    m_uploaded = 0;
}
