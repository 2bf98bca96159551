#pragma once

#include "scene/mesh/PolyMesh.h"

/// A tetrahedron with a pointed hat raised on each of its four faces: 20 vertices and
/// 24 faces whatever the parameters. `height` is the first hat's apex height; `belt` pushes
/// each hat's belt ring (a quarter of the way up) away from its centre.
class WitchHat : public PolyMesh {
    VORN_DECLARE_FACTORY(WitchHat)

    /// Built from the stored settings ("WitchHatHeight" 2.0, "WitchHatBelt" 0.0).
    WitchHat();

    /// Rebuilds and stores both values in the settings. Non-finite values are ignored
    /// (nothing changes).
    void rebuild(double height, double belt);

    double getHeight() const { return m_height; }
    double getBelt() const { return m_belt; }

    /// Reads the mesh, then "height" and "belt" (the current values as defaults), then
    /// rebuilds.
    void read(XML& xml) override;
    void write(XML& xml) override;

private:
    /// Adds the six faces of one hat: apex, base corners `a` and belt ring `b`.
    void addHatFaces(Vertex* apex, Vertex* const (&a)[3], Vertex* const (&b)[3]);

    double m_height = 0;
    double m_belt = 0;
};
