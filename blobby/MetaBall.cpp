#include "blobby/MetaBall.h"

#include "blobby/Falloff.h"
#include "blobby/MetaSurface.h"
#include "common/XML.h"

#include <cmath>

VORN_DEFINE_FACTORY(MetaBall, "Sphere")

double MetaBallRadius(double s) {
    return std::fabs(s) * 0.0625 + 0.125;
}

MetaBall::MetaBall(double strength) : Sphere(MetaBallRadius(strength)), m_strength(strength) {}

MetaBall::MetaBall(const Sorvex::M3d& centre, double strength) : MetaBall(strength) {
    translate(centre);
}

MetaBall::MetaBall(const MetaBall& other)
    : Force(), Sphere(MetaBallRadius(other.m_strength)), m_strength(other.m_strength),
      m_centre(other.m_centre) {}

MetaBall::~MetaBall() {
    restartSurface();
}

MetaBall& MetaBall::operator=(const MetaBall& other) {
    assignStrength(other.m_strength);
    m_centre = other.m_centre;
    return *this;
}

void MetaBall::assignStrength(double s) {
    m_strength = s;
    setRadius(MetaBallRadius(s));
}

void MetaBall::restartSurface() {
    if (auto* surface = dynamic_cast<MetaSurface*>(getParent()))
        surface->restart();
}

void MetaBall::setStrength(double s) {
    if (s == m_strength || !std::isfinite(s))
        return;
    assignStrength(s);
    restartSurface();
}

double MetaBall::F(Sorvex::M3d& p) {
    return JimBlynn((p - m_centre).length(), m_strength);
}

void MetaBall::translate(const Sorvex::M3d& d) {
    if (d.x() == 0 && d.y() == 0 && d.z() == 0)
        return;
    if (!std::isfinite(d.x()) || !std::isfinite(d.y()) || !std::isfinite(d.z()))
        return;
    Sphere::translate(d);
    recomputeCenter();
    restartSurface();
}

bool MetaBall::setParent(SceneObj* parent) {
    SceneObj* old = getParent();
    if (auto* surface = dynamic_cast<MetaSurface*>(old))
        surface->restart();
    if (!Sphere::setParent(parent))
        return false;
    if (auto* surface = dynamic_cast<MetaSurface*>(parent))
        surface->restart();
    return true;
}

SceneObj* MetaBall::canPaste(SceneObj* target, SceneObj* other) {
    if (dynamic_cast<MetaSurface*>(other))
        return other;
    if (dynamic_cast<MetaSurface*>(target))
        return target;
    if (target)
        for (SceneObj* child : target->getChildren())
            if (SceneObj* found = child->canPaste(child, nullptr))
                return found;
    return nullptr;
}

void MetaBall::read(XML& xml) {
    const double strength = readDouble(xml, "Strength", 1.0);
    if (!std::isfinite(strength))
        throw SceneReadError("Strength: the value is not a finite number");
    Sphere::read(xml);
    recomputeCenter();
    assignStrength(strength);
}

void MetaBall::write(XML& xml) {
    Sphere::write(xml);
    xml.add("Strength", m_strength);
}
