#pragma once

#include <array>
#include <cstdint>

class PolyMesh;

/// The stamp under which a mesh's faces are drawn for renderers that keep drawings: it
/// stays the same while faces and vertices are only added, and changes when anything was
/// removed, edited or changed in place (including vertices moved and reported with
/// `markDrawingChanged`) or when the extra inputs the mesh's class draws from change.
///
/// Adding is told from the rest by counting: every face or vertex added, removed or
/// edited, and every change report, moves the mesh's revision on by one. When the revision
/// moved by exactly the number of faces and vertices gained plus the structural reports,
/// nothing was removed or edited.
class MeshDrawStamp {
public:
    /// Anything else a class draws its faces from (the face under the mouse, ...).
    using Inputs = std::array<std::uint64_t, 6>;

    MeshDrawStamp();
    /// The stamp for the mesh as it is now.
    std::uint64_t update(const PolyMesh& mesh, const Inputs& inputs);

private:
    std::uint64_t m_stamp;
    bool m_checked = false;
    std::uint64_t m_revision = 0;
    std::uint64_t m_faces = 0;
    std::uint64_t m_vertices = 0;
    std::uint64_t m_structural = 0;
    std::uint64_t m_inPlace = 0;
    Inputs m_inputs{};
};
