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
    if (m_renderBackFaces) {
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

void PolyMesh::renderSelf(Renderer* r) {
    if (!r)
        return;
    for (auto it = m_colorisers.rbegin(); it != m_colorisers.rend(); ++it)
        (*it)->preDraw(r, *this);
    for (Poly* f : m_polys)
        limnFace(r, *f);
    for (Coloriser* c : m_colorisers)
        c->postDraw(r, *this);
    if (m_renderFaceEdges && !r->isPicking())
        renderFaceEdges(r);
}
