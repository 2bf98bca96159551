#pragma once

#include "scene/Sphere.h"

/// The handle at the (+x, +y, +z) corner of a MetaSurface's bounding cube: dragging it
/// sets the surface's extents. It belongs to the surface and is never saved.
class ExtentsControl : public SphereWithNoSenseOfSelfPreservation {
    VORN_DECLARE_FACTORY(ExtentsControl)

    explicit ExtentsControl(const Sorvex::M3d& position = Sorvex::M3d(0, 0, 0));
    /// The surface forgets its control.
    ~ExtentsControl() override;

    /// Under a MetaSurface each coordinate stops at 0.01 and the surface takes the new
    /// corner as its extents; under any other parent a plain move.
    void translate(const Sorvex::M3d& d) override;
};
