#include "unfolders/strategies/regions/RegionShell.h"

#include <unordered_map>

#include "unfolders/strategies/regions/Region.h"

using Sorvex::M3d;

VORN_DEFINE_FACTORY(RegionShell, "PolyMesh")

void RegionShell::build(Region& r) {
    region = &r;
    clear();
    std::unordered_map<Vertex*, Vertex*> moved;
    for (Vertex* v : r.getVertices()) {
        M3d out;
        for (const Poly* f : v->getPolys())
            out += f->getNormal();
        if (out.length() > 0)
            out = out / out.length();
        moved[v] = addVertexAt(*v + out * Offset);
    }
    for (Poly* f : r.getPolys()) {
        std::vector<Vertex*> ring;
        for (Vertex* v : f->getVertices())
            ring.push_back(moved[v]);
        auto* copy = new Poly(ring);
        if (!addPoly(copy))
            delete copy;
    }
    if (r.isPositive())
        setColor(0, 0.5, 0);
    else
        setColor(0.5, 0, 0);
}

void RegionShell::setFullDrawing(bool on) {
    fullDrawing = on;
    requestSceneRedraw();
}

double RegionShell::getTransparency(Renderer* /*r*/) {
    return fullDrawing ? 0.5 : 1.0;
}

void RegionShell::renderSelf(Renderer* r) {
    if (fullDrawing) {
        PolyMesh::renderSelf(r);
        return;
    }
    const RGBAColor c = getColor();
    r->color(c.r, c.g, c.b);
    r->beginLines();
    for (Poly* f : getPolys())
        for (int i = 0; i < f->getVertexCount(); ++i)
            if (!f->getNeighbor(i)) {
                r->vertex(*f->getVertex(i));
                r->vertex(*f->getVertex(i + 1));
            }
    r->end();
}
