#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "scene/mesh/MeshData.h"
#include "scene/mesh/PolyMesh.h"
#include "unfolders/engine/Unfolder.h"

namespace testmeshes {

using Outline = std::vector<std::pair<double, double>>;

/// A closed prism over a simple polygon (x, z) from y = 0 to y = height.
/// Faces: the walls in outline order, then the top, then the bottom (last,
/// so that choosing it as the lowest face does not depend on face order).
/// Every face is wound so that its normal points outwards.
inline std::unique_ptr<PolyMesh> prism(const Outline& outline, double height) {
    MeshData data;
    const int n = int(outline.size());
    for (auto [x, z] : outline)
        data.vertices.emplace_back(x, 0, z);
    for (auto [x, z] : outline)
        data.vertices.emplace_back(x, height, z);
    std::vector<int> top, bottom;
    for (int i = 0; i < n; ++i) {
        const int j = (i + 1) % n;
        data.faces.push_back({j, i, n + i, n + j});
        bottom.push_back(i);
        top.push_back(2 * n - 1 - i);
    }
    data.faces.push_back(top);
    data.faces.push_back(bottom);
    auto mesh = std::make_unique<PolyMesh>();
    mesh->fromMeshData(data);
    return mesh;
}

inline std::unique_ptr<PolyMesh> cube() {
    return prism({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, 1);
}

/// An L-shaped prism of height 0.5 whose notch corner is at (1, 1): the two
/// notch walls meet at a reflex edge and, laid out from the bottom, overlap.
/// Its faces: six walls (the notch walls are 2 and 3), top 6, bottom 7.
inline std::unique_ptr<PolyMesh> lPrism() {
    return prism({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}}, 0.5);
}

inline std::unique_ptr<PolyMesh> tetrahedron() {
    MeshData data;
    data.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}};
    data.faces = {{0, 1, 2}, {0, 3, 1}, {0, 2, 3}, {1, 3, 2}};
    auto mesh = std::make_unique<PolyMesh>();
    mesh->fromMeshData(data);
    return mesh;
}

} // namespace testmeshes

/// A strategy for tests: exposes the protected operations and reports done
/// once `unfold()` has run `stepsUntilDone` times.
class TestUnfolder : public Unfolder {
public:
    using Unfolder::addPoly;
    using Unfolder::chooseStartingFace;
    using Unfolder::copyAndFlatten;
    using Unfolder::copyToCenter;
    using Unfolder::findDevelopmentCenter;
    using Unfolder::findHeightBands;
    using Unfolder::getRotationToPlane;
    using Unfolder::onConflict;
    using Unfolder::touchedByAnAngle;
    using Unfolder::unfoldFromEdge;
    using Unfolder::unfoldToCutGraph;
    using Unfolder::unfoldToEdge;
    using Unfolder::unfoldToNet;

    int stepsUntilDone = 0;
    int unfoldCalls = 0;
    int doneCalls = 0;

    bool isDone() override { return unfoldCalls >= stepsUntilDone; }
    void unfold() override { ++unfoldCalls; }
    void onDone() override {
        ++doneCalls;
        Unfolder::onDone();
    }
};
