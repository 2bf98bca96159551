#pragma once

#include "blobby/MetaBall.h"
#include "common/IdleLoop.h"

#include <optional>

/// A field source that drifts on its own: each idle tick it moves by its velocity, bounces
/// off the walls of the cube [-2, 2]³ (losing a tenth of its speed), is pulled by its
/// siblings and, once drawn, drifts along the view of the picture it was drawn in.
class Animoid : public MetaBall, public SystemIdleHandler {
    VORN_DECLARE_FACTORY(Animoid)

    /// Strength 1, at rest, moved to a random place near the origin; registered with the
    /// idle loop for its whole life.
    Animoid();
    ~Animoid() override;

    const Sorvex::M3d& getVelocity() const { return m_velocity; }
    void setVelocity(const Sorvex::M3d& v) { m_velocity = v; }

    /// Draws the ball and remembers the view direction of the renderer, when it has one.
    void renderSelf(Renderer* r) override;
    /// One step of the motion.
    void onSystemIdle() override;

private:
    Sorvex::M3d m_velocity;
    /// The direction remembered from the last drawing (a copy: the renderer may be gone).
    std::optional<Sorvex::M3d> m_pull;
};
