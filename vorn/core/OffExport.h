#pragma once

#include "scene/mesh/MeshData.h"

#include <string>

class PolyMesh;

/// The OFF text of a mesh: the header "OFF", the vertex and face counts and a
/// 0 edge count, one "%10.8f %10.8f %10.8f" line per vertex in list order,
/// then one line per face: its side count and its vertex indices, every
/// number followed by one blank.
std::string FormatOff(const MeshData& mesh);

/// Writes FormatOff of `mesh` to `path`, replacing the file atomically. On
/// failure nothing is written, false is returned and `error` names the file.
bool ExportOff(const PolyMesh& mesh, const std::string& path, std::string& error);

/// The file name offered for an export: `sceneFileName` with every ".xml" replaced by ".off",
/// and any other last extension replaced by (or a missing one given) ".off". Empty stays empty.
std::string ProposeOffName(const std::string& sceneFileName);
