// How well the faces of a MeshData are shaped: faces without area and faces whose corners
// do not lie in one plane.
#include "scene/mesh/MeshData.h"

#include <algorithm>
#include <cmath>

using Sorvex::M3d;

namespace {

/// Twice the vector area of the ring (Newell's sum): its length is twice the area, its
/// direction the face normal, for planar and bent rings alike.
M3d areaVector(const MeshData& data, const std::vector<int>& face) {
    M3d sum(0, 0, 0);
    const M3d& origin = data.vertices[std::size_t(face[0])];
    for (std::size_t i = 1; i + 1 < face.size(); ++i) {
        const M3d a = data.vertices[std::size_t(face[i])] - origin;
        const M3d b = data.vertices[std::size_t(face[i + 1])] - origin;
        M3d c;
        c.cross(a, b);
        sum += c;
    }
    return sum;
}

/// The longest side of the ring: the face's own length scale.
double longestSide(const MeshData& data, const std::vector<int>& face) {
    double longest = 0;
    for (std::size_t i = 0; i < face.size(); ++i) {
        const M3d d = data.vertices[std::size_t(face[(i + 1) % face.size()])] -
                      data.vertices[std::size_t(face[i])];
        longest = std::max(longest, d.length());
    }
    return longest;
}

bool usable(const MeshData& data, const std::vector<int>& face) {
    if (face.size() < 3)
        return false;
    for (int index : face)
        if (index < 0 || std::size_t(index) >= data.vertices.size())
            return false;
    return true;
}

} // namespace

MeshFaceShapes MeshData::faceShapes() const {
    MeshFaceShapes shapes;
    for (const std::vector<int>& face : faces) {
        if (!usable(*this, face))
            continue;
        const double side = longestSide(*this, face);
        const M3d twiceArea = areaVector(*this, face);
        const double area = twiceArea.length() / 2;
        if (side == 0 || area <= kFlatFaceShare * side * side) {
            ++shapes.zeroArea;
            continue;
        }
        const M3d normal = twiceArea / (2 * area);
        const M3d& origin = vertices[std::size_t(face[0])];
        for (int index : face) {
            if (std::abs((vertices[std::size_t(index)] - origin).dot(normal)) >
                kPlanarShare * side) {
                ++shapes.nonPlanar;
                break;
            }
        }
    }
    return shapes;
}
