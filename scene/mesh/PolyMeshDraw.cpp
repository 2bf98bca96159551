// PolyMesh drawing: faces through limnFace and the colouriser stack, then edges.
#include "scene/Coloriser.h"
#include "scene/mesh/PolyMesh.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

const RGBAColor kHighlightColor{1.0, 1.0, 0.4, 1.0};
const RGBAColor kTwinnedColor{0.25, 0.35, 1.0, 1.0};
const RGBAColor kEdgeColor{0.0, 0.0, 0.0, 1.0};

// The parts of a mesh's drawing a renderer may keep (see Renderer::beginPart).
constexpr int kFacesPart = 0;
constexpr int kEdgesPart = 1;

// The twin journal is started afresh past the face count, and never below this.
constexpr std::size_t kTwinJournalMin = 1024;
// Renderers whose kept colours a mesh follows (views open at once, and a few more).
constexpr std::size_t kColourMarks = 8;

} // namespace

RGBAColor PolyMesh::faceColor(Renderer* r, Poly& face) {
    RGBAColor c = getColor();
    bool decided = false;
    if (&face == getHighlightedPoly()) {
        c = kHighlightColor;
        decided = true;
    }
    for (auto it = m_colorisers.rbegin(); !decided && it != m_colorisers.rend(); ++it)
        decided = (*it)->getFaceColor(r, *this, face, c);
    if (!decided && m_renderTwinnedInBlue && face.getTwin())
        c = kTwinnedColor;
    c.a *= getTransparency(r);
    return c;
}

RGBAColor PolyMesh::cornerColor(Renderer* r, Poly& face, int k, const RGBAColor& base) {
    RGBAColor vc;
    for (auto it = m_colorisers.rbegin(); it != m_colorisers.rend(); ++it)
        if ((*it)->getVertexColor(r, *this, face, k, vc)) {
            vc.a *= base.a;
            return vc;
        }
    return base;
}

void PolyMesh::limnFace(Renderer* r, Poly& face) {
    const RGBAColor base = faceColor(r, face);
    const int n = face.getVertexCount();
    auto emit = [&](int k) {
        r->color(cornerColor(r, face, k, base));
        r->vertex(*face.getVertex(k));
    };
    r->beginPolygon();
    r->normal(face.getNormal());
    for (int k = 0; k < n; ++k)
        emit(k);
    r->end();
    if (m_renderBackFaces && !r->showsBackSides()) {
        r->beginPolygon();
        r->normal(-face.getNormal());
        for (int k = n - 1; k >= 0; --k)
            emit(k);
        r->end();
    }
}

bool PolyMesh::keepsFaceDrawing() {
    return true;
}

MeshDrawStamp::Inputs PolyMesh::faceDrawingInputs() {
    // Reversed copies make two polygons of a face where a renderer needs them.
    return {m_renderBackFaces ? 1u : 0u, 0, 0, 0, 0, 0};
}

void PolyMesh::noteTwinChanged(Poly& f) {
    if (m_twinJournal.size() >= std::max<std::size_t>(kTwinJournalMin, m_polys.size())) {
        // Longer, it would cost as much as recolouring every face.
        m_twinJournalBase += m_twinJournal.size();
        m_twinJournal.clear();
    }
    m_twinJournal.push_back(&f);
}

bool PolyMesh::ColourMark::operator==(const ColourMark& other) const {
    return renderer == other.renderer && color.r == other.color.r &&
           color.g == other.color.g && color.b == other.color.b && color.a == other.color.a &&
           highlighted == other.highlighted && twinnedInBlue == other.twinnedInBlue &&
           transparency == other.transparency && coloriserKeys == other.coloriserKeys;
}

bool PolyMesh::getColourMark(Renderer* r, ColourMark& mark) {
    mark.renderer = r;
    mark.journalEnd = m_twinJournalBase + m_twinJournal.size();
    mark.color = getColor();
    mark.highlighted = getHighlightedPoly();
    mark.twinnedInBlue = m_renderTwinnedInBlue;
    mark.transparency = getTransparency(r);
    mark.coloriserKeys.resize(m_colorisers.size());
    for (std::size_t k = 0; k < m_colorisers.size(); ++k)
        if (!m_colorisers[k]->getColourKey(r, *this, mark.coloriserKeys[k]))
            return false;
    return true;
}

void PolyMesh::rememberColours(Renderer* r, bool known, const ColourMark& mark) {
    auto it = std::find_if(m_colourMarks.begin(), m_colourMarks.end(),
                           [&](const ColourMark& m) { return m.renderer == r; });
    if (it != m_colourMarks.end())
        m_colourMarks.erase(it);
    if (!known)
        return;
    if (m_colourMarks.size() >= kColourMarks)
        m_colourMarks.erase(m_colourMarks.begin());
    m_colourMarks.push_back(mark);
}

bool PolyMesh::recolourKeptFaces(Renderer* r, std::size_t count) {
    std::vector<RGBAColor> corners;
    auto recolour = [&](Poly& f, std::size_t i) {
        const RGBAColor base = faceColor(r, f);
        const int n = f.getVertexCount();
        corners.resize(std::size_t(n));
        for (int k = 0; k < n; ++k)
            corners[std::size_t(k)] = cornerColor(r, f, k, base);
        return r->recolourItem(i, corners.data(), n);
    };
    // The kept faces took their colours when this renderer last drew them: when nothing
    // that decides colours changed since but twins, only the faces whose twin changed
    // since then (still in the journal) take theirs anew.
    ColourMark now;
    const bool known = getColourMark(r, now);
    auto last = std::find_if(m_colourMarks.begin(), m_colourMarks.end(),
                             [&](const ColourMark& m) { return m.renderer == r; });
    if (known && last != m_colourMarks.end() && last->journalEnd >= m_twinJournalBase) {
        ColourMark then = *last;
        then.journalEnd = now.journalEnd;
        if (then == now) {
            for (std::uint64_t at = last->journalEnd; at < now.journalEnd; ++at) {
                Poly* f = m_twinJournal[std::size_t(at - m_twinJournalBase)];
                const long i = m_polys.indexOf(f);
                if (i >= 0 && std::size_t(i) < count && !recolour(*f, std::size_t(i)))
                    return false;
            }
            rememberColours(r, true, now);
            return true;
        }
    }
    std::size_t i = 0;
    for (Poly* f : m_polys) {
        if (i == count)
            break;
        if (!recolour(*f, i++))
            return false;
    }
    rememberColours(r, known, now);
    return true;
}

void PolyMesh::renderFaceEdges(Renderer* r, bool keep, std::uint64_t stamp) {
    const bool lineState = r->getFlag(RenderFlag::LineState);
    r->setFlag(RenderFlag::LineState, false);
    // Colour and normal are set before the part starts, so that it is kept under the same
    // state whatever the last face drew in (lines are unlit: the normal is never read).
    r->color(kEdgeColor);
    r->normal(Sorvex::M3d(0, 0, 1));
    // Edges of faces added later are drawn after the kept ones, as a full drawing orders
    // them: a shared edge is drawn by the earlier face, and a face is only ever added
    // after the faces it shares edges with at that time.
    const std::size_t from = keep ? r->beginPart(*this, kEdgesPart, stamp, m_polys.size()) : 0;
    r->beginLines();
    std::size_t index = 0;
    for (Poly* f : m_polys) {
        if (index++ < from)
            continue;
        if (keep && !r->markItem())
            break;
        const int n = f->getVertexCount();
        for (int i = 0; i < n; ++i) {
            // A shared edge is drawn once, by the earlier of its two faces.
            const Poly* g = f->getNeighbor(i);
            if (g && g->m_slot < f->m_slot)
                continue;
            r->vertex(*f->getVertex(i));
            r->vertex(*f->getVertex(i + 1));
        }
    }
    r->end();
    if (keep)
        r->endPart();
    r->setFlag(RenderFlag::LineState, lineState);
}

bool PolyMesh::isClosedOutward() {
    if (m_closedRevision == m_revision)
        return m_closedOutward;
    m_closedRevision = m_revision;
    m_closedOutward = false;
    // A growing net asks after every few faces added, and the face added last is the one
    // most likely to have an open edge: looked at first, it answers at once.
    if (const Poly* last = m_polys.back())
        for (int i = 0; i < last->getVertexCount(); ++i)
            if (!last->getNeighbor(i))
                return false;
    double volume = 0.0; // six times the signed volume, summed over fans of the faces
    for (Poly* f : m_polys) {
        const int n = f->getVertexCount();
        for (int i = 0; i < n; ++i) {
            // Across a consistently wound edge the neighbour runs from our end to our start.
            const Poly* g = f->getNeighbor(i);
            if (!g)
                return false;
            const int j = g->getNeighborIndex(f);
            if (j < 0 || g->getVertex(j) != f->getVertex(i + 1))
                return false;
        }
        const Sorvex::M3d& a = *f->getVertex(0);
        for (int i = 1; i + 1 < n; ++i) {
            Sorvex::M3d cross;
            cross.cross(*f->getVertex(i), *f->getVertex(i + 1));
            volume += a.dot(cross);
        }
    }
    m_closedOutward = !m_polys.empty() && volume > 0.0;
    return m_closedOutward;
}

void PolyMesh::renderSelf(Renderer* r) {
    if (!r)
        return;
    for (auto it = m_colorisers.rbegin(); it != m_colorisers.rend(); ++it)
        (*it)->preDraw(r, *this);
    // A closed, opaque mesh tells the renderer its faces' back sides stay hidden.
    const bool closedSurface = r->getFlag(RenderFlag::ClosedSurface);
    r->setFlag(RenderFlag::ClosedSurface,
               getTransparency(r) >= 1.0 && !r->isPicking() && isClosedOutward());
    // A renderer that kept the faces drawn before has them still while faces were only
    // added (see MeshDrawStamp); it takes the kept faces' colours anew, as those depend on
    // more than the mesh (twins, highlight, colourisers), and the rest are drawn.
    const bool keep = !r->isPicking() && keepsFaceDrawing();
    const std::uint64_t stamp = keep ? m_drawStamp.update(*this, faceDrawingInputs()) : 0;
    if (keep) {
        // Every face sets its own colour and normal: the part starts from fixed ones, so it
        // is kept whatever was drawn before it (an earlier part that stopped part-way).
        r->color(kEdgeColor);
        r->normal(Sorvex::M3d(0, 0, 1));
    }
    std::size_t from = keep ? r->beginPart(*this, kFacesPart, stamp, m_polys.size()) : 0;
    if (from > 0 && r->recoloursItems() && !recolourKeptFaces(r, from))
        from = r->restartPart();
    if (keep && from == 0) {
        // Every face is drawn now with its colour as it is.
        ColourMark mark;
        const bool known = getColourMark(r, mark);
        rememberColours(r, known, mark);
    }
    std::size_t index = 0;
    for (Poly* f : m_polys) {
        if (index++ < from)
            continue;
        if (keep && !r->markItem())
            break;
        limnFace(r, *f);
    }
    if (keep)
        r->endPart();
    r->setFlag(RenderFlag::ClosedSurface, closedSurface);
    for (Coloriser* c : m_colorisers)
        c->postDraw(r, *this);
    if (m_renderFaceEdges && !r->isPicking())
        renderFaceEdges(r, keep, stamp);
}
