#include "vorn/core/shapes/Coolinoid.h"

#include "common/Registry.h"
#include "common/XML.h"
#include "vorn/core/shapes/ShapeParams.h"

#include <cmath>
#include <numbers>
#include <vector>

VORN_DEFINE_FACTORY(Coolinoid, "PolyMesh")

Coolinoid::Coolinoid() {
    setRenderFaceEdges(true);
    setRenderBackFaces(true);
    rebuild(SettingInt(kCoolinoidSection, "du", "20"), SettingInt(kCoolinoidSection, "dv", "20"),
            SettingDouble(kCoolinoidSection, "h", "3"),
            SettingDouble(kCoolinoidSection, "k", "2.5"));
}

void Coolinoid::rebuild(int du, int dv, double h, double k) {
    du = std::max(du, 3);
    dv = std::max(dv, 3);
    h = AtLeast(h, 0.00001);
    k = AtLeast(k, 0);
    if (du == m_du && dv == m_dv && h == m_h && k == m_k)
        return;
    clear();
    m_du = du;
    m_dv = dv;
    m_h = h;
    m_k = k;
    // Column du is the seam: it reuses column 0.
    std::vector<std::vector<Vertex*>> g(std::size_t(du) + 1, std::vector<Vertex*>(dv + 1));
    for (int i = 0; i < du; ++i) {
        const double theta = 2 * std::numbers::pi * i / du;
        for (int j = 0; j <= dv; ++j) {
            const double v = 1 - 2.0 * j / dv;
            // pow(0, 0) is 1, so k = 0 gives the cylinder of radius 2.
            const double r = 1 + std::pow(std::fabs(v), k);
            g[i][j] = addVertexAt({r * std::cos(theta), h * v, r * std::sin(theta)});
        }
    }
    g[du] = g[0];
    for (int i = 0; i < du; ++i)
        for (int j = 1; j <= dv; ++j)
            addPoly(new Poly{g[i][j - 1], g[i + 1][j - 1], g[i + 1][j], g[i][j]});
    onChanged(true);
}

void Coolinoid::read(XML& xml) {
    PolyMesh::read(xml);
    const int du = readInt(xml, "du", m_du);
    const int dv = readInt(xml, "dv", m_dv);
    const double h = readDouble(xml, "h", m_h);
    const double k = readDouble(xml, "k", m_k);
    rebuild(du, dv, h, k);
}

void Coolinoid::write(XML& xml) {
    PolyMesh::write(xml);
    xml["du"] = m_du;
    xml["dv"] = m_dv;
    xml["h"] = m_h;
    xml["k"] = m_k;
}
