#include "vorn/core/papercraft/SlitGuard.h"

#include "vorn/core/papercraft/PaperSurface.h"

#include <algorithm>
#include <cmath>

using Sorvex::M3d;

namespace {

double angleBetween(const M3d& u, const M3d& v) {
    M3d normal;
    normal.cross(u, v);
    return std::atan2(normal.length(), u.dot(v));
}

} // namespace

SlitGuard::SlitGuard(const PaperSurface& surface, double narrowRadians) : s(surface) {
    int vertices = 0;
    for (const auto& f : s.faces)
        for (int v : f.vertexIds)
            vertices = std::max(vertices, v + 1);
    std::vector<double> angleSum(size_t(vertices), 0.0);
    std::vector<char> border(size_t(vertices), 0);
    cutEdges.assign(size_t(vertices), 0);
    for (const auto& f : s.faces) {
        const size_t n = f.corners.size();
        for (size_t i = 0; i < n; ++i) {
            const M3d& here = f.corners[i];
            angleSum[size_t(f.vertexIds[i])] +=
                angleBetween(f.corners[(i + 1) % n] - here, f.corners[(i + n - 1) % n] - here);
            const int a = f.vertexIds[i], b = f.vertexIds[(i + 1) % n];
            if (f.neighbor[i] < 0) {
                border[size_t(a)] = border[size_t(b)] = 1;
            } else if (a < b) {
                // Each inner edge once, from the face that runs it upwards.
                ++cutEdges[size_t(a)], ++cutEdges[size_t(b)];
            }
        }
    }
    narrow.assign(size_t(vertices), 0);
    if (!(narrowRadians > 0.0))
        return;
    for (size_t v = 0; v < size_t(vertices); ++v)
        narrow[v] = !border[v] && angleSum[v] > 0.0 && 2.0 * M_PI - angleSum[v] < narrowRadians;
}

bool SlitGuard::mayFold(int face, int edge) const {
    if (relaxed)
        return true;
    const auto& ids = s.faces[size_t(face)].vertexIds;
    for (int v : {ids[size_t(edge)], ids[(size_t(edge) + 1) % ids.size()]})
        if (narrow[size_t(v)] && cutEdges[size_t(v)] == 2)
            return false;
    return true;
}

void SlitGuard::fold(int face, int edge) {
    const auto& ids = s.faces[size_t(face)].vertexIds;
    --cutEdges[size_t(ids[size_t(edge)])];
    --cutEdges[size_t(ids[(size_t(edge) + 1) % ids.size()])];
}

void SlitGuard::cut(int face, int edge) {
    const auto& ids = s.faces[size_t(face)].vertexIds;
    ++cutEdges[size_t(ids[size_t(edge)])];
    ++cutEdges[size_t(ids[(size_t(edge) + 1) % ids.size()])];
}

bool SlitGuard::isSlit(int v) const {
    return narrow[size_t(v)] && cutEdges[size_t(v)] == 1;
}
