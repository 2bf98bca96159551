#pragma once

#include "scene/mesh/PolyMesh.h"

#include <memory>
#include <string>

namespace testshapes {

/// The model `fileName` of tests/data (an OFF file; see the README there) as a mesh.
/// Throws std::runtime_error naming the file when it cannot be read or parsed, so a
/// test that needs it fails with the reason instead of running on an empty mesh.
std::unique_ptr<PolyMesh> dataModel(const std::string& fileName);

} // namespace testshapes
