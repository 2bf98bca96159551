#include "scene/mesh/CurvatureArmature.h"

#include "scene/mesh/Poly.h"
#include "scene/mesh/PolyMesh.h"
#include "scene/mesh/Vertex.h"

#include <cmath>
#include <numbers>
#include <vector>

using Sorvex::M3d;

namespace {

/// Interior angle at ring index k of face f, robust for tiny and obtuse angles.
double cornerAngle(const Poly& f, int k) {
    const M3d& v = *f.getVertex(k);
    const M3d a = *f.getVertex(k - 1) - v;
    const M3d b = *f.getVertex(k + 1) - v;
    M3d c;
    c.cross(a, b);
    return std::atan2(c.length(), a.dot(b));
}

} // namespace

double CurvatureArmature::AngleDeficit(const Vertex* v) {
    double sum = 0;
    if (v) {
        for (const Poly* f : v->getPolys())
            sum += cornerAngle(*f, f->getVertexIndex(v));
    }
    return 2 * std::numbers::pi - sum;
}

double CurvatureArmature::MinAngleDeficit(PolyMesh& mesh) {
    bool any = false;
    double least = 0;
    for (const Vertex* v : mesh.getVertices()) {
        if (v->getPolys().empty())
            continue;
        const double d = AngleDeficit(v);
        if (!any || d < least)
            least = d;
        any = true;
    }
    return least;
}

void CurvatureArmature::compute(PolyMesh& mesh) {
    m_values.clear();
    m_values.reserve(mesh.getVertexCount());
    for (const Vertex* v : mesh.getVertices()) {
        VertexCurvature& c = m_values[v];
        c.angleDeficit = AngleDeficit(v);
        double area = 0;
        for (const Poly* f : v->getPolys())
            area += f->getArea() / f->getVertexCount();
        c.curvature = area > 0 ? c.angleDeficit / area : 0.0;
    }
    std::vector<Vertex*> others;
    for (const Vertex* v : mesh.getVertices()) {
        VertexCurvature& c = m_values[v];
        v->collectOtherVertices(others);
        M3d flow;
        for (const Vertex* u : others) {
            const M3d d = *u - *v;
            const double length2 = d.squared();
            if (length2 > 0)
                flow += d * ((getCurvature(u) - c.curvature) / length2);
        }
        // Keep the tangential part: the surface's own bending would otherwise
        // tilt the sum towards the normal.
        M3d normal;
        for (const Poly* f : v->getPolys())
            normal += f->getNormal() * f->getArea();
        normal.normalize();
        c.flow = flow - normal * flow.dot(normal);
    }
}

double CurvatureArmature::getCurvature(const Vertex* v) const {
    auto it = m_values.find(v);
    return it == m_values.end() ? 0.0 : it->second.curvature;
}

M3d CurvatureArmature::getCurvatureFlow(const Vertex* v) const {
    auto it = m_values.find(v);
    return it == m_values.end() ? M3d() : it->second.flow;
}

double CurvatureArmature::getAngleDeficit(const Vertex* v) const {
    auto it = m_values.find(v);
    return it == m_values.end() ? 0.0 : it->second.angleDeficit;
}
