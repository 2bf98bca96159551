#include "vorn/core/shapes/WitchHat.h"

#include "common/XML.h"
#include "sorvex/M4x4.h"
#include "vorn/core/shapes/ShapeParams.h"

#include <array>
#include <cmath>
#include <numbers>

using Sorvex::M3d;
using Sorvex::M4x4;

VORN_DEFINE_FACTORY(WitchHat, "PolyMesh")

namespace {

constexpr const char* kSection = "Settings";

/// A rotation by `angle` about the line through `at` along `axis`.
M4x4 rotationAbout(const M3d& at, const M3d& axis, double angle) {
    return M4x4::Translation(at) * M4x4::Rotation(axis, angle) * M4x4::Translation(-at);
}

/// Moves every vertex by minus the mean vertex position.
void centreOnMean(PolyMesh& mesh) {
    M3d sum;
    for (const Vertex* v : mesh.getVertices())
        sum += *v;
    const M3d mean = sum / double(mesh.getVertexCount());
    for (Vertex* v : mesh.getVertices())
        v->setPosition(*v - mean);
}

/// The belt ring of a hat: a quarter of the way from each base corner to the apex, pushed
/// away from the ring's centre by `push` times the distance.
std::array<M3d, 3> beltOf(const M3d& apex, const M3d (&base)[3], double push) {
    std::array<M3d, 3> belt;
    for (int i = 0; i < 3; ++i)
        belt[i] = base[i] * 0.75 + apex * 0.25;
    const M3d centre = (belt[0] + belt[1] + belt[2]) / 3;
    for (M3d& b : belt)
        b = b - (centre - b) * push;
    return belt;
}

} // namespace

WitchHat::WitchHat() {
    setRenderFaceEdges(true);
    setColor(0.5, 0.5, 0.5);
    rebuild(SettingDouble(kSection, "WitchHatHeight", "2.0"),
            SettingDouble(kSection, "WitchHatBelt", "0.0"));
}

void WitchHat::addHatFaces(Vertex* apex, Vertex* const (&a)[3], Vertex* const (&b)[3]) {
    for (int i = 0; i < 3; ++i) {
        const int next = (i + 1) % 3;
        addPoly(new Poly{b[i], apex, b[next]});
        addPoly(new Poly{a[i], b[i], b[next], a[next]});
    }
}

void WitchHat::rebuild(double height, double belt) {
    if (!std::isfinite(height) || !std::isfinite(belt))
        return;
    clear();
    m_height = height;
    m_belt = belt;
    StoreSettings(kSection,
                  {DoubleSetting("WitchHatHeight", height), DoubleSetting("WitchHatBelt", belt)});

    const double pi = std::numbers::pi;
    Vertex* apex = addVertexAt({0, height, 0});
    M3d corners[3];
    for (int i = 0; i < 3; ++i)
        corners[i] = M3d(std::cos(2 * pi * i / 3), 0, std::sin(2 * pi * i / 3));
    const std::array<M3d, 3> firstBelt = beltOf(*apex, corners, belt);
    Vertex *a[3], *b[3];
    for (int i = 0; i < 3; ++i) {
        a[i] = addVertexAt(corners[i]);
        b[i] = addVertexAt(firstBelt[i]);
    }
    addHatFaces(apex, a, b);

    // The three other faces of the tetrahedron are found by folding the first hat over
    // each base edge until its apex lies where the neighbouring hat's apex belongs.
    const M3d g = (*a[0] + *a[1]) / 2;
    const double phi1 = std::acos(g.length() / (*apex - g).length());
    const double phi2 = std::acos(g.length() / (*a[2] - g).length());
    const double theta = -(2 * pi - (2 * phi1 + phi2)) / 2;
    Vertex* s = nullptr;
    for (int e = 1; e <= 3; ++e) {
        Vertex* from = a[(e - 1) % 3];
        Vertex* to = a[e % 3];
        const M3d mid = (*from + *to) / 2;
        const M3d axis = (*from - *to).normalized();
        const M3d p = rotationAbout(mid, axis, theta) * M3d(*apex);
        const M4x4 flip = rotationAbout(mid, (p - mid).normalized(), pi);
        Vertex* newApex = addVertexAt(flip * M3d(*apex));
        if (!s)
            s = addVertexAt(flip * M3d(*a[(e + 1) % 3]));
        Vertex* const base[3] = {from, s, to};
        const M3d corners2[3] = {*from, *s, *to};
        const std::array<M3d, 3> ring = beltOf(*newApex, corners2, belt);
        Vertex* const hatBelt[3] = {addVertexAt(ring[0]), addVertexAt(ring[1]),
                                    addVertexAt(ring[2])};
        addHatFaces(newApex, base, hatBelt);
    }
    centreOnMean(*this);
    onChanged(true);
}

void WitchHat::read(XML& xml) {
    PolyMesh::read(xml);
    rebuild(readDouble(xml, "height", m_height), readDouble(xml, "belt", m_belt));
}

void WitchHat::write(XML& xml) {
    PolyMesh::write(xml);
    xml["height"] = m_height;
    xml["belt"] = m_belt;
}
