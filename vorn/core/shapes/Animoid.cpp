#include "vorn/core/shapes/Animoid.h"

#include "common/Random.h"
#include "scene/render/CairoRenderer.h"

#include <cmath>

using Sorvex::M3d;

VORN_DEFINE_FACTORY(Animoid, "MetaBall")

namespace {

/// Each coordinate of the starting offset: a draw in [0, 1000) mapped by `shift`.
double draw(double shift) {
    return 2 * (vornRand() % 1000 / 1000.0 - shift);
}

/// A velocity component after the position `p` left [-2, 2]: sent back at 0.9 times the
/// speed.
double bounce(double p, double v) {
    if (p > 2)
        return -std::fabs(0.9 * v);
    if (p < -2)
        return std::fabs(0.9 * v);
    return v;
}

} // namespace

Animoid::Animoid() : MetaBall(1.0) {
    // Three separate statements: the draws must happen in x, y, z order.
    const double x = draw(1);
    const double y = draw(0.5);
    const double z = draw(0.5);
    translate(M3d(x, y, z));
    RegisterSystemIdleHandler(this);
}

Animoid::~Animoid() {
    UnregisterSystemIdleHandler(this);
}

void Animoid::renderSelf(Renderer* r) {
    MetaBall::renderSelf(r);
    if (auto* pictures = dynamic_cast<CairoRenderer*>(r))
        m_pull = pictures->getCamera().getViewDirection();
}

void Animoid::onSystemIdle() {
    translate(m_velocity);
    if (m_pull)
        m_velocity += *m_pull * -0.005;
    const M3d p = getCenter();
    for (int axis = 0; axis < 3; ++axis)
        m_velocity[axis] = bounce(p[axis], m_velocity[axis]);
    SceneObj* parent = getParent();
    if (!parent)
        return;
    for (SceneObj* sibling : parent->getChildren()) {
        if (sibling == this)
            continue;
        const M3d d = sibling->getCenter() - p;
        const double distance = d.length();
        if (distance != 0)
            m_velocity += d.normalized() / (10000 * distance);
    }
}
