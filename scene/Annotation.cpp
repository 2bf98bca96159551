#include "scene/Annotation.h"

#include "scene/Renderer.h"

VORN_DEFINE_FACTORY(Annotation, "TextLabel")

namespace {

constexpr double kMarkerRadius = 0.05;

} // namespace

Annotation::Annotation() : TextLabel("Annotation") {}

void Annotation::renderSelf(Renderer* r) {
    r->color(1.0, 0.85, 0.2);
    r->renderSphere(Sorvex::M3d(0, 0, 0), kMarkerRadius);
    // The text starts just beside the marker.
    r->color(1, 1, 1);
    r->renderText(Sorvex::M3d(2 * kMarkerRadius, 0, 0), getText());
}
