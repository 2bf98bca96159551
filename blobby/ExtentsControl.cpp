#include "blobby/ExtentsControl.h"

#include "blobby/MetaSurface.h"

VORN_DEFINE_FACTORY(ExtentsControl, "Sphere")

namespace {
constexpr double MinimumExtent = 0.01;
}

ExtentsControl::ExtentsControl(const Sorvex::M3d& position)
    : SphereWithNoSenseOfSelfPreservation(0.125) {
    SceneObj::translate(position);
}

ExtentsControl::~ExtentsControl() {
    if (auto* surface = dynamic_cast<MetaSurface*>(getParent()))
        surface->forgetControl(this);
}

void ExtentsControl::translate(const Sorvex::M3d& d) {
    auto* surface = dynamic_cast<MetaSurface*>(getParent());
    if (!surface) {
        SphereWithNoSenseOfSelfPreservation::translate(d);
        return;
    }
    const Sorvex::M3d at = getTranslation();
    Sorvex::M3d limited = d;
    for (int i = 0; i < 3; ++i)
        if (at[i] + limited[i] < MinimumExtent)
            limited[i] = MinimumExtent - at[i];
    const Sorvex::M3d corner = at + limited;
    if (corner != surface->getExtents() && !surface->isMovingControl())
        surface->setExtents(corner, false);
    SphereWithNoSenseOfSelfPreservation::translate(limited);
}
