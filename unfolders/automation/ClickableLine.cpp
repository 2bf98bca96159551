#include "unfolders/automation/ClickableLine.h"

#include "scene/Renderer.h"
#include "scene/mesh/Vertex.h"
#include "unfolders/automation/ManualUnfolder.h"

VORN_DEFINE_FACTORY(ClickableLine, "SceneObj")

ClickableLine::~ClickableLine() {
    if (ManualUnfolder* u = getUnfolder(); u && u->getHoveredLine() == this)
        u->setHoveredLine(nullptr);
}

ManualUnfolder* ClickableLine::getUnfolder() {
    return dynamic_cast<ManualUnfolder*>(getParent());
}

void ClickableLine::onLButtonUp(const Sorvex::M3d& /*hitPoint*/) {
    ManualUnfolder* u = getUnfolder();
    if (!u || !a || !b)
        return;
    u->toggleRequestedEdge(a, b);
    // The unfolder, not the line, is what the user works on: its panel shows
    // the result of the click.
    onSelectionRequest(u);
}

void ClickableLine::onMouseOver(const Sorvex::M3d& /*hitPoint*/) {
    if (ManualUnfolder* u = getUnfolder())
        u->setHoveredLine(this);
}

void ClickableLine::onMouseLeave() {
    if (ManualUnfolder* u = getUnfolder(); u && u->getHoveredLine() == this)
        u->setHoveredLine(nullptr);
}

ClickableLine::Look ClickableLine::currentLook() {
    ManualUnfolder* u = getUnfolder();
    if (!u || !a || !b || !u->getDrawCutGraph())
        return Look::Hidden;
    if (u->getHoveredLine() == this)
        return Look::Hovered;
    if (u->getRequestedCutGraph().hasEdge(a, b))
        return Look::Requested;
    if (u->getCutGraph().hasEdge(a, b))
        return Look::Cut;
    return Look::Fold;
}

void ClickableLine::refreshDrawingStamp() {
    const Look look = currentLook();
    const Sorvex::M3d atA = a ? Sorvex::M3d(*a) : Sorvex::M3d();
    const Sorvex::M3d atB = b ? Sorvex::M3d(*b) : Sorvex::M3d();
    auto same = [](const Sorvex::M3d& p, const Sorvex::M3d& q) {
        return p.x() == q.x() && p.y() == q.y() && p.z() == q.z();
    };
    if (look == drawnLook && same(atA, drawnA) && same(atB, drawnB))
        return;
    drawnLook = look;
    drawnA = atA;
    drawnB = atB;
    markDrawingChanged();
}

void ClickableLine::renderSelf(Renderer* r) {
    const Look look = currentLook();
    if (look == Look::Hidden)
        return;
    ManualUnfolder* u = getUnfolder();
    const double radius = look == Look::Hovered ? HoverRadius : Radius;
    // Lines are drawn under the unfolder's transform, the unfolder being the source's child.
    r->pushTransform(u->getFromSourceFrame());
    if (r->isPicking()) {
        // Picking sees the same tube, so what is drawn is what a click hits.
        r->renderTube(*a, *b, radius);
        r->popTransform();
        return;
    }
    switch (look) {
    case Look::Hovered:
        r->color(1.0, 0.85, 0.1);
        break;
    case Look::Requested:
        r->color(1.0, 0.15, 0.0);
        break;
    case Look::Cut:
        r->color(0.4, 0.1, 0.1);
        break;
    default:
        r->color(0.5, 0.5, 0.5);
        break;
    }
    r->renderTube(*a, *b, radius);
    r->color(1, 1, 1);
    r->popTransform();
}
