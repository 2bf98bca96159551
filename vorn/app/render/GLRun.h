#pragma once

#include "scene/Renderer.h"
#include "vorn/app/render/GLBatchRecorder.h"
#include "vorn/app/render/GLFaceClusters.h"
#include "vorn/app/render/GLFlatIndex.h"

#include <QOpenGLBuffer>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class GLCoarseRun;
class SceneObj;

/// What a kept drawing was recorded under: the same part of the same object drawn under
/// the same key draws the same vertices, so it need not be recorded again.
struct GLRunKey {
    std::uint64_t stamp = 0;
    Sorvex::M4x4 transform;
    double transparency = 1.0;
    unsigned long flags = 0;
    double lineWidth = 1.0;
    RGBAColor color;
    Sorvex::M3d normal;

    bool operator==(const GLRunKey& other) const;
};

/// A stretch of the scene's drawing in the order it is drawn: one part of one object kept
/// between frames, or drawing that is recorded on every frame (parts of objects that keep
/// no stamp, and whatever is drawn between parts).
class GLRun {
public:
    /// A run is placed in a vertex buffer of its own from this many vertices on, so that
    /// what it appends or recolours is all that is copied to OpenGL; smaller runs share one
    /// buffer that is written whole whenever any of them changes.
    static constexpr int kOwnBufferVertices = 1 << 15;

    GLRun();
    ~GLRun();

    GLBatchRecorder recorder;
    GLRunKey key;
    /// Items (faces) drawn so far, and where each one's vertices start.
    std::size_t items = 0;
    std::vector<int> itemStarts;
    /// Kept between frames (false: recorded again on every frame).
    bool kept = false;
    /// Seen in the current frame's traversal.
    bool seen = false;
    /// Drawn by the selection or an object below it (what the selection outline bounds).
    bool inSelection = false;

    /// Forgets what was recorded.
    void restart();
    /// Counts restarts and changes marked for upload: a drawing made from the run's vertices
    /// is out of date once this moved on.
    std::uint64_t changeCount() const { return m_changes; }
    /// Makes room for `totalItems` items in all, at the vertices per item drawn so far, so
    /// that the recordings drawing the rest neither move the vertices nor regrow the
    /// buffers (see `uploadOwn`). Only once the same total is asked for twice in a row: a
    /// total that keeps rising (a growing net, whose drawing lags far behind) would
    /// reserve, and size buffers for, far more than is drawn for a long while.
    void reserveForItems(std::size_t totalItems);
    int vertexCount() const { return int(recorder.getVertices().size()); }
    bool hasOwnBuffer() const { return vertexCount() >= kOwnBufferVertices; }

    /// Sets the colours of item `item` (a convex polygon of `corners` corners fanned as the
    /// recorder fans it) to `colors`, marking what changed for upload. False when the item
    /// was not drawn as one such polygon.
    bool recolourItem(std::size_t item, const GLBatchRecorder::PackedColor* colors, int corners);
    /// Whether item `item` was drawn as one polygon of `corners` corners (recolourItem's
    /// condition).
    bool canRecolour(std::size_t item, int corners) const;
    /// Takes `recolourItem(item, colors, corners)` (which must be possible, see
    /// canRecolour) to be carried out later: a recording that has spent its budget still
    /// accepts every colour an object gives, and later recordings apply them (see
    /// applyDeferredColours). Colours the item already shows are dropped, and new colours
    /// of an item still waiting take the place of its old ones, so that an object giving
    /// every item's colours on every recording waits for no more than what changed.
    void deferRecolour(std::size_t item, const GLBatchRecorder::PackedColor* colors, int corners);
    bool hasDeferredColours() const { return m_deferredNext < m_deferredOrder.size(); }
    /// Applies the colours of up to `count` waiting items, those deferred first first.
    void applyDeferredColours(std::size_t count);

    /// Vertices changed since the last upload, bounded by [dirtyFirst, dirtyEnd), and all
    /// of them after `restart`. Only the spans marked are copied: recolouring faces all over
    /// a huge mesh copies those faces, not everything between them.
    int dirtyFirst = 0;
    int dirtyEnd = 0;
    void markDirty(int first, int end);
    void markAllDirty() { markDirty(0, vertexCount()); }
    bool isDirty() const { return dirtyEnd > dirtyFirst; }
    /// The spans to copy, in order, apart and within [dirtyFirst, dirtyEnd): spans closer
    /// together than a few hundred vertices are copied as one.
    const std::vector<std::pair<int, int>>& dirtySpans();
    /// Forgets what is to be copied (copied elsewhere).
    void clearDirty();

    /// Copies what changed into the run's own vertex buffer (current context), growing its
    /// storage with room to spare when it no longer fits (at least the room reserved for
    /// the recorder's vertices, so that it grows no more often than they do), and brings the
    /// clusters of its closed surfaces (see GLFaceClusters) up to date. With `indexed`, also brings
    /// the run's flat index (see GLFlatIndex) up to date in its own index buffer.
    bool uploadOwn(bool indexed);
    QOpenGLBuffer& ownBuffer() { return m_buffer; }
    /// The index buffer of the last `uploadOwn(true)`, or null.
    QOpenGLBuffer* ownIndexBuffer();
    const GLFlatIndex& flatIndex() const { return m_flatIndex; }
    const GLFaceClusters& faceClusters() const { return m_faceClusters; }
    void releaseOwnBuffer();

    /// The coarser stand-in drawn for the run while the camera moves (made on first use).
    GLCoarseRun& coarse();

private:
    bool uploadIndices();

    QOpenGLBuffer m_buffer{QOpenGLBuffer::VertexBuffer};
    qint64 m_bufferBytes = 0;
    /// Vertices the buffer holds, valid or not: a run that shrank uploads again.
    int m_uploaded = 0;
    std::vector<std::pair<int, int>> m_dirtySpans;
    bool m_spansSorted = true;
    GLFlatIndex m_flatIndex;
    GLFaceClusters m_faceClusters;
    QOpenGLBuffer m_indexBuffer{QOpenGLBuffer::IndexBuffer};
    qint64 m_indexBytes = 0;
    /// Indices the index buffer holds valid.
    int m_indicesUploaded = 0;
    bool m_indexReady = false;
    /// The total of the last `reserveForItems`.
    std::size_t m_askedTotal = 0;
    /// Where item `item`'s vertices end, and the corners of the polygon they fan.
    int itemEnd(std::size_t item) const;
    int cornersOf(std::size_t item) const;
    /// Whether item `item` shows `colors` already (a recolourItem would change nothing).
    bool showsColours(std::size_t item, const GLBatchRecorder::PackedColor* colors,
                      int corners) const;

    /// Deferred colours: the items waiting in the order they were deferred (those before
    /// m_deferredNext are applied), where each waiting item's colours start in
    /// m_deferredColours (kNotDeferred for the others; sized only once colours wait).
    static constexpr std::uint32_t kNotDeferred = 0xffffffffu;
    std::vector<std::size_t> m_deferredOrder;
    std::size_t m_deferredNext = 0;
    std::vector<std::uint32_t> m_deferredAt;
    std::vector<GLBatchRecorder::PackedColor> m_deferredColours;
    std::uint64_t m_changes = 0;
    std::unique_ptr<GLCoarseRun> m_coarse;
};
