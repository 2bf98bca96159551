#include "unfolders/engine/UnfolderColoriser.h"

#include "unfolders/engine/Unfolder.h"

UnfolderColoriser& UnfolderColoriser::Shared() {
    static UnfolderColoriser shared;
    return shared;
}

void UnfolderColoriser::preDraw(Renderer* r, PolyMesh& mesh) {
    auto* unfolder = dynamic_cast<Unfolder*>(&mesh);
    if (unfolder && unfolder->getDrawHeightBands())
        r->setFlag(RenderFlag::Shading, true);
}

bool UnfolderColoriser::getFaceColor(Renderer* r, PolyMesh& mesh, Poly& face, RGBAColor& out) {
    auto* unfolder = dynamic_cast<Unfolder*>(&mesh);
    if (!unfolder)
        return false;
    if (unfolder->getDrawConflict() && unfolder->getConflicted(&face))
        out = ConflictColor;
    else if (r->getFlag(RenderFlag::WhiteFaces))
        out = RGBAColor{1, 1, 1, 1};
    else
        out = mesh.getColor();
    return true;
}

bool UnfolderColoriser::getVertexColor(Renderer* /*r*/, PolyMesh& mesh, Poly& face, int vertexIndex,
                                       RGBAColor& out) {
    auto* unfolder = dynamic_cast<Unfolder*>(&mesh);
    if (!unfolder || !unfolder->getDrawHeightBands() || !unfolder->getSource() || !face.getTwin())
        return false;
    double low = 0, high = 0;
    unfolder->getSource()->getHeightRange(low, high);
    if (high <= low)
        return false;
    const double t = (face.getTwin()->getVertex(vertexIndex)->y() - low) / (high - low);
    // Low parts of the model blue, high parts red.
    out = RGBAColor{t, 0.3, 1 - t, 1.0};
    return true;
}

void UnfolderColoriser::postDraw(Renderer* r, PolyMesh& mesh) {
    auto* unfolder = dynamic_cast<Unfolder*>(&mesh);
    if (unfolder && unfolder->getDrawHeightBands())
        r->setFlag(RenderFlag::Shading, false);
}

bool UnfolderColoriser::getColourKey(Renderer* r, PolyMesh& mesh, std::uint64_t& key) {
    auto* unfolder = dynamic_cast<Unfolder*>(&mesh);
    if (!unfolder) {
        key = 0;
        return true;
    }
    if (unfolder->getDrawHeightBands())
        return false;
    key = r->getFlag(RenderFlag::WhiteFaces) ? 2 : 1;
    // Overlaps drawn: the colours also hold while the overlap graph stands still. Its
    // size joins the revision for strategies that empty the graph themselves.
    if (unfolder->getDrawConflict() && unfolder->isConflictsValid()) {
        const Graph<Poly*>& conflicts = unfolder->getConflicts();
        const std::uint64_t state =
            (unfolder->getConflictsRevision() << 24) ^ std::uint64_t(conflicts.getVertexCount());
        key |= (state + 1) << 2;
    }
    return true;
}
