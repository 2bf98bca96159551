#include "scene/mesh/PolyMesh.h"

#include "common/FirstRepeat.h"
#include "scene/Coloriser.h"
#include "scene/mesh/CurvatureArmature.h"
#include "scene/mesh/MeshLinks.h"
#include "scene/mesh/MeshShortestPaths.h"
#include "sorvex/M4x4.h"
#include "sorvex/PointSorter.h"

#include <algorithm>
#include <limits>

using Sorvex::M3d;

VORN_DEFINE_FACTORY(PolyMesh, "SceneObj")

PolyMesh::PolyMesh() = default;

PolyMesh::~PolyMesh() {
    // Children such as unfolders hold pointers into this mesh; let them go
    // while the mesh is still whole.
    while (!getChildren().empty())
        delete getChildren().back();
    deleteGeometry(m_polys, m_vertices);
}

void PolyMesh::deleteGeometry(PolyList& polys, VertexList& vertices) {
    if (m_highlighted && m_highlighted->m_mesh == this)
        m_highlighted = nullptr;
    for (Poly* f : polys) {
        f->m_mesh = nullptr;
        delete f;
    }
    polys.clear();
    for (Vertex* v : vertices)
        delete v;
    vertices.clear();
}

M3d PolyMesh::getCenter() {
    if (m_vertices.empty())
        return M3d();
    constexpr double inf = std::numeric_limits<double>::infinity();
    M3d low(inf, inf, inf);
    M3d high(-inf, -inf, -inf);
    for (const Vertex* v : m_vertices) {
        low.min(*v);
        high.max(*v);
    }
    return (low + high) * 0.5;
}

void PolyMesh::onChanged(bool structural) {
    ++m_revision;
    SceneObj::onChanged(structural);
}

void PolyMesh::onMouseOver(const M3d& hitPoint) {
    SceneObj::onMouseOver(hitPoint);
    if (!m_trackMouse)
        return;
    Sorvex::M4x4 toLocal = getWorldTransform();
    if (!toLocal.inv())
        return;
    setHighlightedPoly(findNearestFace(toLocal * hitPoint));
}

void PolyMesh::onEdgeTruncation(Vertex*, Vertex*, Vertex*) {}
void PolyMesh::onFaceDestroyedInTruncation(Poly*) {}
void PolyMesh::onVertexDestroyedInTruncation(Vertex*) {}
void PolyMesh::onFaceCreatedInTruncation(Poly*) {}
RGBAColor PolyMesh::getColor() {
    return m_color;
}
bool PolyMesh::autoMergePolys() {
    return true;
}
bool PolyMesh::canUserUnfold() {
    return true;
}

Vertex* PolyMesh::addVertex(Vertex* v) {
    if (!v || (v->m_mesh && v->m_mesh != this))
        return nullptr;
    if (v->m_mesh == this)
        return v;
    m_vertices.add(v);
    v->m_mesh = this;
    ++m_revision;
    return v;
}

Vertex* PolyMesh::addVertexAt(const M3d& p) {
    return addVertex(new Vertex(p));
}

bool PolyMesh::remVertex(Vertex* v) {
    if (!v || v->m_mesh != this || !v->m_polys.empty())
        return false;
    m_vertices.remove(v);
    v->m_mesh = nullptr;
    ++m_revision;
    return true;
}

bool PolyMesh::addPoly(Poly* f, bool updateNormal) {
    if (!f || f->m_mesh)
        return false;
    const auto ring = f->getVertices();
    if (ring.size() < 3)
        return false;
    for (std::size_t k = 0; k < ring.size(); ++k) {
        const Vertex* v = ring[k];
        if (!v || (v->m_mesh && v->m_mesh != this))
            return false;
    }
    if (FindFirstRepeat(ring) < ring.size())
        return false;
    for (Vertex* v : ring)
        addVertex(v);
    if (updateNormal)
        f->computeNormal();
    MeshLinks::attach(*f);
    m_polys.add(f);
    f->m_mesh = this;
    ++m_revision;
    return true;
}

bool PolyMesh::remPoly(Poly* f) {
    if (!f || f->m_mesh != this)
        return false;
    MeshLinks::detach(*f);
    m_polys.remove(f);
    f->m_mesh = nullptr;
    if (m_highlighted == f)
        m_highlighted = nullptr;
    ++m_revision;
    return true;
}

bool PolyMesh::spliceRing(Poly& f, int first, int count, const std::vector<Vertex*>& inserted,
                          bool updateNormal) {
    const int n = f.getVertexCount();
    if (f.m_mesh != this || first < 0 || first >= n || count < 0 || count > n ||
        n - count + int(inserted.size()) < 3)
        return false;
    auto inSpan = [&](const Vertex* v) {
        for (int k = first; k < first + count; ++k)
            if (f.m_vertices[std::size_t(k % n)] == v)
                return true;
        return false;
    };
    for (std::size_t k = 0; k < inserted.size(); ++k) {
        const Vertex* v = inserted[k];
        if (!v || (v->m_mesh && v->m_mesh != this))
            return false;
        // A vertex of f outside the span, or one inserted twice, would repeat in the ring.
        const bool inFace = std::find(v->m_polys.begin(), v->m_polys.end(), &f) != v->m_polys.end();
        if ((inFace && !inSpan(v)) || std::find(inserted.begin() + std::ptrdiff_t(k) + 1,
                                                inserted.end(), v) != inserted.end())
            return false;
    }
    for (Vertex* v : inserted)
        addVertex(v);
    MeshLinks::splice(f, first, count, inserted);
    if (updateNormal)
        f.computeNormal();
    ++m_revision;
    return true;
}

bool PolyMesh::remPolyClean(Poly* f) {
    if (!remPoly(f))
        return false;
    for (Vertex* v : f->m_vertices) {
        if (v->m_polys.empty() && remVertex(v))
            delete v;
    }
    delete f;
    return true;
}

bool PolyMesh::hasNeighbor(Poly& f, int edge) {
    return f.m_mesh == this && f.getNeighbor(edge) != nullptr;
}

Poly* PolyMesh::findNearestFace(const M3d& p) {
    Poly* best = nullptr;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (Poly* f : m_polys) {
        const double d = (f->getCenter() - p).squared();
        if (d < bestDistance) {
            bestDistance = d;
            best = f;
        }
    }
    return best;
}

void PolyMesh::clear() {
    deleteGeometry(m_polys, m_vertices);
    ++m_revision;
}

M3d PolyMesh::shiftToCenter() {
    const M3d c = getCenter();
    for (Vertex* v : m_vertices)
        v->setPosition(*v - c);
    markDrawingChanged();
    return c;
}

void PolyMesh::copy(PolyMesh& target) const {
    if (&target == this)
        return;
    target.clear();
    std::vector<Vertex*> copies;
    copies.reserve(m_vertices.size());
    for (const Vertex* v : m_vertices)
        copies.push_back(target.addVertexAt(*v));
    std::vector<Vertex*> ring;
    for (const Poly* f : m_polys) {
        ring.clear();
        for (const Vertex* v : f->m_vertices)
            ring.push_back(copies[std::size_t(getIOIndex(v))]);
        auto* c = new Poly(ring);
        c->setNormal(f->getNormal());
        c->setScalar(f->getScalar());
        if (!target.addPoly(c, false))
            delete c;
    }
}

void PolyMesh::getHeightRange(double& low, double& high) const {
    low = high = 0;
    bool first = true;
    for (const Vertex* v : m_vertices) {
        if (first || v->y() < low)
            low = v->y();
        if (first || v->y() > high)
            high = v->y();
        first = false;
    }
}

MeshShortestPaths& PolyMesh::getShortestPaths(bool restart) {
    if (!m_shortestPaths) {
        m_shortestPaths = std::make_unique<MeshShortestPaths>();
        restart = true;
    }
    if (restart || m_shortestPaths->getRevision() != m_revision)
        m_shortestPaths->reset(*this);
    return *m_shortestPaths;
}

CurvatureArmature& PolyMesh::getCurvature(bool recompute, bool needFlow) {
    if (!m_curvature) {
        m_curvature = std::make_unique<CurvatureArmature>();
        recompute = true;
    }
    if (recompute || m_curvatureRevision != m_revision) {
        m_curvature->compute(*this, needFlow);
        m_curvatureRevision = m_revision;
    } else if (needFlow && !m_curvature->hasFlow()) {
        m_curvature->computeFlow(*this);
    }
    return *m_curvature;
}

void PolyMesh::setTrackMouse(bool on) {
    m_trackMouse = on;
    if (!on)
        setHighlightedPoly(nullptr);
}

void PolyMesh::setHighlightedPoly(Poly* f) {
    Poly* highlighted = (f && f->m_mesh == this) ? f : nullptr;
    if (highlighted == m_highlighted)
        return;
    m_highlighted = highlighted;
    requestSceneRedraw();
}

void PolyMesh::pushColoriser(Coloriser* c) {
    if (c)
        m_colorisers.push_back(c);
    requestSceneRedraw();
}

void PolyMesh::popColoriser() {
    if (!m_colorisers.empty())
        m_colorisers.pop_back();
    requestSceneRedraw();
}

// The sorter holds vertex positions: a Vertex is an M3d, so the points it finds are the
// position parts of this mesh's vertices.
Vertex* PolyMesh::findBestVertex(const Sorvex::M3d& p, Sorvex::PointSorter& sorter) {
    if (Sorvex::M3d* found = sorter.findNear(p))
        return static_cast<Vertex*>(found);
    Vertex* v = addVertexAt(p);
    sorter.add(v);
    return v;
}
