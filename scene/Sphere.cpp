#include "scene/Sphere.h"

#include "common/XML.h"
#include "scene/Renderer.h"

#include <cmath>
#include <string>

VORN_DEFINE_FACTORY(Sphere, "SceneObj")
VORN_DEFINE_FACTORY(SphereWithNoSenseOfSelfPreservation, "Sphere")

Sphere::Sphere(double radius) : m_radius(radius) {}

void Sphere::setRadius(double radius) {
    if (!std::isfinite(radius) || radius < 0 || radius == m_radius)
        return;
    m_radius = radius;
    onChanged(false);
}

void Sphere::renderSelf(Renderer* r) {
    r->renderSphere(Sorvex::M3d(0, 0, 0), m_radius);
}

void Sphere::read(XML& xml) {
    const double radius = readDouble(xml, "Radius", m_radius);
    if (!std::isfinite(radius) || radius < 0)
        throw SceneReadError("Radius: " + std::to_string(radius) + " is not a usable radius");
    SceneObj::read(xml);
    m_radius = radius;
}

void Sphere::write(XML& xml) {
    SceneObj::write(xml);
    xml.add("Radius", m_radius);
}
