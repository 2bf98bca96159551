#pragma once

#include "scene/mesh/PolyMesh.h"
#include "unfolders/engine/Unfolder.h"

// Binding an unfolding strategy to a mesh and driving it as the idle loop does.
namespace testshapes {

/// Builds strategy T and binds it to `mesh` (which then owns it).
template <typename T> T* bind(PolyMesh& mesh) {
    auto* u = new T;
    u->setParent(&mesh);
    return u;
}

/// Drives the unfolder as the idle loop does until it reports done (and has
/// run onDone); false when it had not finished after `maxTicks` ticks.
bool runToEnd(Unfolder& u, int maxTicks = 200000);

} // namespace testshapes
