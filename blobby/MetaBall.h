#pragma once

#include "blobby/Force.h"
#include "scene/Sphere.h"

/// A point source of the implicit field, drawn as a small sphere whose radius shows the
/// strength. Any change of strength, position or parent restarts the MetaSurface it hangs
/// from, so the surface is rebuilt.
class MetaBall : public Force, public Sphere {
    VORN_DECLARE_FACTORY(MetaBall)

    explicit MetaBall(double strength = 1.0);
    MetaBall(const Sorvex::M3d& centre, double strength);
    MetaBall(const MetaBall& other);
    /// Restarts the surface the ball hung from.
    ~MetaBall() override;
    MetaBall& operator=(const MetaBall& other);

    double getStrength() const { return m_strength; }
    /// Non-finite strengths are refused (nothing changes).
    virtual void setStrength(double s);
    /// The ball's position in its parent's frame.
    const Sorvex::M3d& getCenter() const { return m_centre; }

    double F(Sorvex::M3d& p) override;

    /// Centre reported through the scene-object interface: the ball's position.
    Sorvex::M3d getCenter() override { return m_centre; }
    void translate(const Sorvex::M3d& d) override;
    bool setParent(SceneObj* parent) override;
    bool canCopy() override { return true; }
    bool canDelete() override { return true; }
    SceneObj* canPaste(SceneObj* target, SceneObj* other) override;
    /// Reads the sphere's data, then "Strength" (default 1). A non-finite strength or
    /// position throws SceneReadError.
    void read(XML& xml) override;
    void write(XML& xml) override;

protected:
    /// Sets the strength and the radius shown, without restarting anything.
    void assignStrength(double s);
    /// Restarts the parent when it is a MetaSurface.
    void restartSurface();
    void recomputeCenter() { m_centre = getTranslation(); }

private:
    double m_strength = 1.0;
    Sorvex::M3d m_centre;
};

/// The radius a source of strength `s` is drawn with.
double MetaBallRadius(double s);
