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

void ClickableLine::renderSelf(Renderer* r) {
    ManualUnfolder* u = getUnfolder();
    if (!u || !a || !b || !u->getDrawCutGraph())
        return;
    const bool hover = u->getHoveredLine() == this;
    const double radius = hover ? HoverRadius : Radius;
    // Lines are drawn under the unfolder's transform, the unfolder being the source's child.
    r->pushTransform(u->getFromSourceFrame());
    if (r->isPicking()) {
        // Picking sees the same tube, so what is drawn is what a click hits.
        r->renderTube(*a, *b, radius);
        r->popTransform();
        return;
    }
    if (hover)
        r->color(1.0, 0.85, 0.1);
    else if (u->getRequestedCutGraph().hasEdge(a, b))
        r->color(1.0, 0.15, 0.0);
    else if (u->getCutGraph().hasEdge(a, b))
        r->color(0.4, 0.1, 0.1);
    else
        r->color(0.5, 0.5, 0.5);
    r->renderTube(*a, *b, radius);
    r->color(1, 1, 1);
    r->popTransform();
}
