#include "scene/mesh/MeshShortestPaths.h"

#include "scene/mesh/PolyMesh.h"

bool MeshShortestPaths::reset(const PolyMesh& mesh) {
    m_revision = mesh.getRevision();
    m_ready = m_paths.init(int(mesh.getVertexCount()));
    if (!m_ready)
        return false;
    // Every vertex is entered first, in list order, so that node indices follow the list
    // and vertices on no face are still known (reachable from nothing but themselves).
    for (Vertex* v : mesh.getVertices())
        m_paths.setDist(v, v, 0);
    for (const Poly* f : mesh.getPolys())
        for (int i = 0; i < f->getVertexCount(); ++i) {
            Vertex* a = f->getVertex(i);
            Vertex* b = f->getVertex(i + 1);
            m_paths.setDist(a, b, (*b - *a).length());
        }
    return true;
}

bool MeshShortestPaths::advance(int pivots) {
    for (int k = 0; k < pivots && !isDone(); ++k)
        m_paths.calc();
    return isDone();
}

float MeshShortestPaths::getDistance(const Vertex* a, const Vertex* b) const {
    return m_paths.getDist(const_cast<Vertex*>(a), const_cast<Vertex*>(b));
}

std::vector<Vertex*> MeshShortestPaths::getPath(const Vertex* a, const Vertex* b) const {
    std::vector<Vertex*> path;
    for (void* node : m_paths.getPath(const_cast<Vertex*>(a), const_cast<Vertex*>(b)))
        path.push_back(static_cast<Vertex*>(node));
    return path;
}
