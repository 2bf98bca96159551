#include "scene/mesh/CurvatureArmature.h"

#include "scene/mesh/Poly.h"
#include "scene/mesh/PolyMesh.h"
#include "scene/mesh/Vertex.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <system_error>
#include <thread>
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

/// An angle's error bound in FastAngle: the polynomial's 1e-5 with room for rounding.
constexpr double kFastAngleError = 2e-5;

/// atan2(s, c) for s >= 0 to within kFastAngleError, without a library call: a
/// polynomial for atan on [0, 1] (error at most 1e-5) on the smaller of |s| and |c|
/// over the larger, then moved to its quadrant.
double FastAngle(double s, double c) {
    const double ac = std::abs(c);
    const double larger = std::max(s, ac);
    if (larger == 0)
        return 0;
    const double t = std::min(s, ac) / larger;
    const double t2 = t * t;
    const double atanT =
        t * (0.9998660 + t2 * (-0.3302995 + t2 * (0.1801410 + t2 * (-0.0851330 + t2 * 0.0208351))));
    const double fromAxis = s > ac ? std::numbers::pi / 2 - atanT : atanT;
    return c < 0 ? std::numbers::pi - fromAxis : fromAxis;
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

bool CurvatureArmature::AngleDeficitsAtLeast(PolyMesh& mesh, double least) {
    bool any = false;
    for (const Vertex* v : mesh.getVertices()) {
        const auto faces = v->getPolys();
        if (faces.empty())
            continue;
        any = true;
        double sum = 0;
        for (const Poly* f : faces) {
            const int k = f->getVertexIndex(v);
            const M3d a = *f->getVertex(k - 1) - *v;
            const M3d b = *f->getVertex(k + 1) - *v;
            M3d c;
            c.cross(a, b);
            sum += FastAngle(c.length(), a.dot(b));
        }
        const double slack = kFastAngleError * double(faces.size());
        if (2 * std::numbers::pi - (sum + slack) >= least)
            continue; // clearly enough
        if (2 * std::numbers::pi - (sum - slack) < least)
            return false; // clearly too little
        if (AngleDeficit(v) < least)
            return false;
    }
    return any ? true : 0.0 >= least;
}

namespace {

/// Meshes with at least this many vertices have their curvatures computed on two threads:
/// below it, starting a thread costs more than it saves.
constexpr std::size_t kSplitVertices = std::size_t(1) << 15;

/// The angle deficit and curvature of `v`; its flow is left out.
CurvatureArmature::VertexCurvature valueOf(const Vertex* v) {
    CurvatureArmature::VertexCurvature c;
    c.angleDeficit = CurvatureArmature::AngleDeficit(v);
    double area = 0;
    for (const Poly* f : v->getPolys())
        area += f->getArea() / f->getVertexCount();
    c.curvature = area > 0 ? c.angleDeficit / area : 0.0;
    return c;
}

/// The values of each vertex in `vertices[from, to)`, into `out`.
void computeRange(const std::vector<const Vertex*>& vertices, std::size_t from, std::size_t to,
                  std::vector<CurvatureArmature::VertexCurvature>& out) {
    for (std::size_t i = from; i < to; ++i)
        out[i] = valueOf(vertices[i]);
}

} // namespace

void CurvatureArmature::compute(PolyMesh& mesh, bool withFlow) {
    m_hasFlow = false;
    m_values.clear();
    m_values.reserve(mesh.getVertexCount());
    if (mesh.getVertexCount() < kSplitVertices) {
        // Small meshes (a batch computes thousands) go straight into the map.
        for (const Vertex* v : mesh.getVertices())
            m_values[v] = valueOf(v);
    } else {
        computeInHalves(mesh);
    }
    if (withFlow)
        computeFlow(mesh);
}

void CurvatureArmature::computeInHalves(const PolyMesh& mesh) {
    std::vector<const Vertex*> vertices(mesh.getVertices().begin(), mesh.getVertices().end());
    std::vector<VertexCurvature> values(vertices.size());
    // Each vertex's value depends on its own faces only, so the halves of a huge mesh are
    // computed side by side (a 160,000-vertex mesh takes a tenth of a second on one core);
    // the map is then filled in vertex order, as one thread would fill it.
    const std::size_t half = vertices.size() / 2;
    std::thread second;
    try {
        second = std::thread(computeRange, std::cref(vertices), half, vertices.size(), std::ref(values));
    } catch (const std::system_error&) {
        // No thread to spare: this one computes both halves.
    }
    computeRange(vertices, 0, half, values);
    if (second.joinable())
        second.join();
    else
        computeRange(vertices, half, vertices.size(), values);
    for (std::size_t i = 0; i < vertices.size(); ++i)
        m_values[vertices[i]] = values[i];
}

void CurvatureArmature::computeFlow(PolyMesh& mesh) {
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
    m_hasFlow = true;
}

double CurvatureArmature::getCurvature(const Vertex* v) const {
    const VertexCurvature* c = m_values.find(v);
    return c ? c->curvature : 0.0;
}

M3d CurvatureArmature::getCurvatureFlow(const Vertex* v) const {
    const VertexCurvature* c = m_values.find(v);
    return c ? c->flow : M3d();
}

double CurvatureArmature::getAngleDeficit(const Vertex* v) const {
    const VertexCurvature* c = m_values.find(v);
    return c ? c->angleDeficit : 0.0;
}
