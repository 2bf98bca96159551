// GLRenderer's kept drawings: recording the scene in runs, reusing, appending to and
// recolouring the parts objects keep, and placing the runs in vertex buffers.
#include "vorn/app/render/GLRenderer.h"

#include "scene/SceneObj.h"

#include <QOpenGLContext>

#include <algorithm>

namespace {

/// Whether `next` can be drawn by the same call as `last`, which it directly follows in
/// the same buffer.
bool canMerge(const GLBatch& last, const GLBatch& next) {
    if (last.first + last.count != next.first || last.kind != next.kind || last.lit != next.lit ||
        last.closedSurface != next.closedSurface || last.mirrored != next.mirrored)
        return false;
    return last.kind == GLBatch::Kind::Triangles ||
           (last.lineWidth == next.lineWidth && last.tubeRadius == next.tubeRadius);
}

void merge(GLBatch& last, const GLBatch& next) {
    const double total = double(last.count + next.count);
    last.anchor = last.anchor * (last.count / total) + next.anchor * (next.count / total);
    for (int i = 0; i < 3; ++i) {
        last.lo[i] = std::min(last.lo[i], next.lo[i]);
        last.hi[i] = std::max(last.hi[i], next.hi[i]);
    }
    last.opaque = last.opaque && next.opaque;
    last.uniform = last.uniform && next.uniform;
    last.count += next.count;
}

} // namespace

void GLRenderer::openFrameRun() {
    if (m_active)
        return;
    if (m_framePoolUsed == m_framePool.size())
        m_framePool.push_back(std::make_unique<GLRun>());
    GLRun* run = m_framePool[m_framePoolUsed++].get();
    run->restart();
    run->recorder.takeStateFrom(m_state);
    run->inSelection = m_inSelection;
    m_runs.push_back(run);
    m_active = run;
}

void GLRenderer::closeFrameRun() {
    if (!m_active || m_active == m_part || m_active == &m_drawing)
        return;
    m_active->recorder.end();
    m_active->markAllDirty();
    m_state.takeStateFrom(m_active->recorder);
    m_active = nullptr;
}

void GLRenderer::recordScene(SceneObj& root) {
    m_runs.clear();
    m_framePoolUsed = 0;
    m_partCounts = {};
    for (auto& [id, run] : m_keptRuns)
        run->seen = false;
    m_state.clear();
    m_active = nullptr;
    m_part = nullptr;
    m_innerParts = 0;
    m_inSelection = false;
    m_caughtUp = true;
    m_recordClock.start();
    m_inScene = true;
    renderScene(root);
    closeFrameRun();
    m_inScene = false;
    m_inSelection = false;

    // Bounds of the scene and of the selection, from the runs' batches.
    m_sceneBox.clear();
    m_selectionBox.clear();
    for (const GLRun* run : m_runs)
        for (const GLBatch& batch : run->recorder.getBatches()) {
            if (batch.count == 0)
                continue;
            m_sceneBox.add(batch.lo);
            m_sceneBox.add(batch.hi);
            if (run->inSelection) {
                m_selectionBox.add(batch.lo);
                m_selectionBox.add(batch.hi);
            }
        }
    recordSelectionOutline();
    closeFrameRun();

    // Parts of objects that were not drawn this time (deleted, hidden) are let go.
    for (auto it = m_keptRuns.begin(); it != m_keptRuns.end();)
        it = it->second->seen ? std::next(it) : m_keptRuns.erase(it);
    std::erase_if(m_shownWhileRecording,
                  [&](const auto& entry) { return !m_keptRuns.count(entry.first); });
    std::erase_if(m_stoppedParts, [&](const PartId& id) { return !m_keptRuns.count(id); });
    ++m_recordCount;
    layoutRuns();
    m_lastRecordMs = double(m_recordClock.nsecsElapsed()) / 1e6;
}

void GLRenderer::dropKeptRuns() {
    // Without a current context the buffers cannot be deleted: their context frees them.
    m_keptRuns.clear();
    m_shownWhileRecording.clear();
    m_stoppedParts.clear();
    m_framePool.clear();
    m_framePoolUsed = 0;
    m_runs.clear();
    m_draws.clear();
    m_sharedBuffer.destroy();
    m_sharedBytes = 0;
}

void GLRenderer::layoutRuns() {
    m_draws.clear();
    m_sharedVertices.clear();
    if (!QOpenGLContext::currentContext())
        return;
    const bool indexed = m_indexed && provokeByFirstVertex(false);
    for (GLRun* run : m_runs) {
        const auto& batches = run->recorder.getBatches();
        if (run->hasOwnBuffer()) {
            if (!run->uploadOwn(indexed))
                continue;
            for (std::size_t b = 0; b < batches.size(); ++b)
                m_draws.push_back({&run->ownBuffer(), batches[b], run->ownIndexBuffer(),
                                   &run->faceClusters(), run, int(b)});
            continue;
        }
        if (run->ownBuffer().isCreated())
            run->releaseOwnBuffer();
        // Small runs follow one another in the shared buffer, written whole below: what
        // follows on directly with the same state is drawn by one call, as it would be if
        // the scene were recorded in one piece.
        const int offset = int(m_sharedVertices.size());
        const auto& vertices = run->recorder.getVertices();
        m_sharedVertices.insert(m_sharedVertices.end(), vertices.begin(), vertices.end());
        run->clearDirty();
        for (GLBatch batch : batches) {
            batch.first += offset;
            if (!m_draws.empty() && m_draws.back().buffer == &m_sharedBuffer &&
                canMerge(m_draws.back().batch, batch))
                merge(m_draws.back().batch, batch);
            else
                m_draws.push_back({&m_sharedBuffer, batch});
        }
    }
    if (m_sharedVertices.empty())
        return;
    if (!m_sharedBuffer.isCreated() && !m_sharedBuffer.create()) {
        m_draws.clear();
        return;
    }
    const qint64 bytes = qint64(m_sharedVertices.size() * sizeof(GLVertex));
    m_sharedBuffer.bind();
    if (bytes > m_sharedBytes || bytes < m_sharedBytes / 4) {
        m_sharedBytes = bytes + bytes / 4;
        m_sharedBuffer.allocate(int(m_sharedBytes));
    }
    m_sharedBuffer.write(0, m_sharedVertices.data(), int(bytes));
    m_sharedBuffer.release();
}

std::size_t GLRenderer::beginPart(SceneObj& obj, int part, std::uint64_t stamp, std::size_t items) {
    if (m_part) {
        // Parts do not nest: an inner part is drawn whole into the outer one.
        ++m_innerParts;
        return 0;
    }
    if (!m_inScene || m_active == &m_drawing)
        return 0;
    closeFrameRun();
    m_state.end();
    GLRunKey key;
    key.stamp = stamp;
    key.transform = m_state.transform();
    key.transparency = getTransparency();
    key.flags = getFlagBits();
    key.lineWidth = getLineWidth();
    key.color = m_state.currentColor();
    key.normal = m_state.currentNormal();

    const PartId id{&obj, part};
    std::unique_ptr<GLRun>& slot = m_keptRuns[id];
    if (!slot)
        slot = std::make_unique<GLRun>();
    GLRun* run = slot.get();
    if (run->seen) {
        // Drawn twice in one frame: the second drawing is not kept.
        openFrameRun();
        return 0;
    }
    if (m_reuse && m_keepParts && !(run->key == key && run->items <= items) && run->items > 0 &&
        !m_stoppedParts.count(id) && !m_shownWhileRecording.count(id)) {
        // A complete drawing stays on show while its successor is recorded over several
        // recordings: a huge mesh does not appear as a partial shell in between.
        m_shownWhileRecording[id] = std::move(slot);
        slot = std::make_unique<GLRun>();
        run = slot.get();
    }
    m_partId = id;
    run->seen = true;
    run->kept = true;
    run->inSelection = m_inSelection;
    m_runs.push_back(run);
    m_part = run;
    m_active = run;
    m_partVerticesBefore = run->vertexCount();
    m_partDirtyBefore = {run->dirtyFirst, run->dirtyEnd};
    m_partStack = m_state.transformStack();
    const bool keep =
        m_reuse && m_keepParts && run->key == key && run->items <= items && run->items > 0;
    m_partFresh = !keep;
    if (!keep) {
        run->restart();
        run->key = key;
        run->recorder.takeStateFrom(m_state);
        m_partVerticesBefore = 0;
    }
    m_partRecoloured = 0;
    m_partDeferring = false;
    m_partCatchingUp = keep && m_stoppedParts.count(id) > 0;
    if (run->hasDeferredColours()) {
        // Colours that earlier recordings put off come first, oldest first; what the budget
        // leaves of them waits again, and newer colours queue up behind it.
        std::size_t applied = 0;
        while (run->hasDeferredColours() && !isPastBudget(applied)) {
            run->applyDeferredColours(64);
            applied += 64;
        }
        m_partDeferring = run->hasDeferredColours();
    }
    m_partItems = items;
    m_partFrom = keep ? run->items : 0;
    m_partDrawn = 0;
    m_partStopped = false;
    return m_partFrom;
}

bool GLRenderer::markItem() {
    if (!m_part || m_innerParts > 0)
        return true;
    if (isPastBudget(m_partDrawn)) {
        m_partStopped = true;
        m_caughtUp = false;
        return false;
    }
    // Lines drawn as one primitive over many items (a mesh's edges) go on after the mark.
    m_part->recorder.flush();
    m_part->itemStarts.push_back(m_part->vertexCount());
    ++m_partDrawn;
    return true;
}

bool GLRenderer::isPastBudget(std::size_t done) const {
    // The clock is read every few items: reading it costs about as much as an item.
    return m_recordBudgetNs > 0 && done >= m_itemsPastBudget && done % 64 == 0 &&
           m_recordClock.nsecsElapsed() >= m_recordBudgetNs;
}

bool GLRenderer::recoloursItems() const {
    // A part still being caught up with (stopped past the budget last time) takes its new
    // colours once it is whole: an object that recolours all its kept items every time
    // would otherwise spend each step on them and draw only a handful of new ones.
    return m_part != nullptr && !m_partFresh && m_innerParts == 0 && !m_partCatchingUp;
}

bool GLRenderer::recolourItem(std::size_t item, const RGBAColor* colors, int corners) {
    if (!m_part || !m_part->canRecolour(item, corners))
        return false;
    // Colours reach the buffer as `color` would send them: with the drawing's opacity.
    thread_local std::vector<GLBatchRecorder::PackedColor> packed;
    packed.resize(std::size_t(corners));
    for (int k = 0; k < corners; ++k) {
        const RGBAColor& c = colors[k];
        // Corners mostly share their face's colour: packed once.
        if (k > 0 && c.r == colors[k - 1].r && c.g == colors[k - 1].g && c.b == colors[k - 1].b &&
            c.a == colors[k - 1].a) {
            packed[std::size_t(k)] = packed[std::size_t(k - 1)];
            continue;
        }
        packed[std::size_t(k)] =
            GLBatchRecorder::PackColor(RGBAColor{c.r, c.g, c.b, c.a * getTransparency()});
    }
    // Recolouring counts against the recording's budget like drawing items: past it, and
    // past the share every part is given, the colours wait for the next recordings.
    if (!m_partDeferring && isPastBudget(m_partRecoloured))
        m_partDeferring = true;
    if (m_partDeferring) {
        m_part->deferRecolour(item, packed.data(), corners);
        return true;
    }
    ++m_partRecoloured;
    return m_part->recolourItem(item, packed.data(), corners);
}

std::size_t GLRenderer::restartPart() {
    if (!m_part || m_innerParts > 0)
        return 0;
    const GLRunKey key = m_part->key;
    m_part->restart();
    m_part->key = key;
    m_part->recorder.takeStateFrom(m_state);
    m_partVerticesBefore = 0;
    m_partFresh = true;
    m_partFrom = 0;
    m_partDrawn = 0;
    return 0;
}

void GLRenderer::endPart() {
    if (m_innerParts > 0) {
        --m_innerParts;
        return;
    }
    if (!m_part)
        return;
    GLRun* run = m_part;
    run->recorder.end();
    // A part that stopped keeps the items it drew; the next recording draws the rest.
    const std::size_t items = m_partStopped ? m_partFrom + m_partDrawn : m_partItems;
    const bool grew = run->vertexCount() != m_partVerticesBefore || run->items != items;
    if (m_partFresh) {
        run->markAllDirty();
        ++m_partCounts.recorded;
    } else if (grew) {
        run->markDirty(m_partVerticesBefore, run->vertexCount());
        ++m_partCounts.appended;
    } else if (std::make_pair(run->dirtyFirst, run->dirtyEnd) != m_partDirtyBefore) {
        ++m_partCounts.recoloured;
    } else {
        ++m_partCounts.reused;
    }
    run->items = items;
    // Kept items that took no new colours while caught up with take them next time.
    if (run->hasDeferredColours() || (m_partCatchingUp && m_partFrom > 0))
        m_caughtUp = false;
    if (m_partStopped) {
        // The next recordings draw the rest: room for it now, so that none of them pays for
        // moving everything drawn so far.
        run->reserveForItems(m_partItems);
        m_stoppedParts.insert(m_partId);
    } else {
        m_stoppedParts.erase(m_partId);
        m_shownWhileRecording.erase(m_partId);
    }
    if (auto shown = m_shownWhileRecording.find(m_partId); shown != m_shownWhileRecording.end()) {
        // Still being recorded: the complete drawing it replaces is drawn in its place.
        shown->second->inSelection = run->inSelection;
        std::replace(m_runs.begin(), m_runs.end(), run, shown->second.get());
    }
    m_state.takeStateFrom(run->recorder);
    // A kept run's stack is the one it was recorded under: only its top is in the key, so
    // the transforms below it (what an object pops back to after the part) are today's.
    m_state.setTransformStack(m_partStack);
    m_part = nullptr;
    m_active = nullptr;
}

GLRenderer::FlatRecording GLRenderer::getRecording() const {
    FlatRecording flat;
    for (const GLRun* run : m_runs) {
        const int offset = int(flat.vertices.size());
        const auto& vertices = run->recorder.getVertices();
        flat.vertices.insert(flat.vertices.end(), vertices.begin(), vertices.end());
        for (GLBatch batch : run->recorder.getBatches()) {
            batch.first += offset;
            if (!flat.batches.empty() && canMerge(flat.batches.back(), batch))
                merge(flat.batches.back(), batch);
            else
                flat.batches.push_back(batch);
        }
        const auto& texts = run->recorder.getTexts();
        flat.texts.insert(flat.texts.end(), texts.begin(), texts.end());
    }
    return flat;
}
