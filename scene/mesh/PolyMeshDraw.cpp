// PolyMesh drawing: faces through limnFace and the colouriser stack, then edges.
#include "scene/Coloriser.h"
#include "scene/mesh/PolyMesh.h"

namespace {

const RGBAColor kHighlightColor{1.0, 1.0, 0.4, 1.0};
const RGBAColor kTwinnedColor{0.25, 0.35, 1.0, 1.0};
const RGBAColor kEdgeColor{0.0, 0.0, 0.0, 1.0};

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

void PolyMesh::limnFace(Renderer* r, Poly& face) {
    const RGBAColor base = faceColor(r, face);
    const int n = face.getVertexCount();
    auto emit = [&](int k) {
        RGBAColor vc;
        bool perVertex = false;
        for (auto it = m_colorisers.rbegin(); !perVertex && it != m_colorisers.rend(); ++it)
            perVertex = (*it)->getVertexColor(r, *this, face, k, vc);
        if (perVertex) {
            vc.a *= base.a;
            r->color(vc);
        } else {
            r->color(base);
        }
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

void PolyMesh::renderFaceEdges(Renderer* r) {
    const bool lineState = r->getFlag(RenderFlag::LineState);
    r->setFlag(RenderFlag::LineState, false);
    r->beginLines();
    r->color(kEdgeColor);
    for (Poly* f : m_polys) {
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
    r->setFlag(RenderFlag::LineState, lineState);
}

bool PolyMesh::isClosedOutward() {
    if (m_closedRevision == m_revision)
        return m_closedOutward;
    m_closedRevision = m_revision;
    m_closedOutward = false;
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
    for (Poly* f : m_polys)
        limnFace(r, *f);
    r->setFlag(RenderFlag::ClosedSurface, closedSurface);
    for (Coloriser* c : m_colorisers)
        c->postDraw(r, *this);
    if (m_renderFaceEdges && !r->isPicking())
        renderFaceEdges(r);
}
