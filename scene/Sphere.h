#pragma once

#include "scene/SceneObj.h"

/// A sphere of a given radius centred on the object's origin: a selectable, persistable
/// marker object (metaball sources and handles derive from it).
class Sphere : public SceneObj {
    VORN_DECLARE_FACTORY(Sphere)

    explicit Sphere(double radius = 0.5);

    double getRadius() const { return m_radius; }
    /// Non-finite or negative radii are refused (the radius stays).
    void setRadius(double radius);

    void renderSelf(Renderer* r) override;
    /// Reads "Radius" (default: the current radius); a non-finite or negative radius throws
    /// SceneReadError.
    void read(XML& xml) override;
    void write(XML& xml) override;

private:
    double m_radius;
};

/// A sphere that is never written into documents: handles that belong to their parent
/// and are rebuilt by it.
class SphereWithNoSenseOfSelfPreservation : public Sphere {
    VORN_DECLARE_FACTORY(SphereWithNoSenseOfSelfPreservation)

    explicit SphereWithNoSenseOfSelfPreservation(double radius = 0.5) : Sphere(radius) {}
    bool canSave() override { return false; }
};
