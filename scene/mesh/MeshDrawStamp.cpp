#include "scene/mesh/MeshDrawStamp.h"

#include "scene/mesh/PolyMesh.h"

MeshDrawStamp::MeshDrawStamp() : m_stamp(SceneObj::NewDrawingStamp()) {}

std::uint64_t MeshDrawStamp::update(const PolyMesh& mesh, const Inputs& inputs) {
    const std::uint64_t revision = mesh.getRevision();
    const std::uint64_t faces = mesh.getPolyCount();
    const std::uint64_t vertices = mesh.getVertexCount();
    const std::uint64_t structural = mesh.getStructuralChanges();
    const std::uint64_t inPlace = mesh.getInPlaceStamp();
    const bool onlyAdded = m_checked && faces >= m_faces && vertices >= m_vertices &&
                           structural >= m_structural && inPlace == m_inPlace &&
                           inputs == m_inputs &&
                           // A structural report with nothing added edited in place.
                           (structural == m_structural || faces > m_faces ||
                            vertices > m_vertices) &&
                           revision - m_revision ==
                               (faces - m_faces) + (vertices - m_vertices) +
                                   (structural - m_structural);
    if (!onlyAdded)
        m_stamp = SceneObj::NewDrawingStamp();
    m_checked = true;
    m_revision = revision;
    m_faces = faces;
    m_vertices = vertices;
    m_structural = structural;
    m_inPlace = inPlace;
    m_inputs = inputs;
    return m_stamp;
}
