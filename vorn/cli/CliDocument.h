#pragma once

#include <memory>
#include <string>

class PolyMesh;
class SceneDocument;

/// Opens `path` into `document` as the workbench would, then carries out
/// what the open queued (the selection of a lone object). On failure prints
/// the one-line error and returns false.
bool CliOpenDocument(SceneDocument& document, const std::string& path);

/// Opens `path` as CliOpenDocument does and returns its target mesh, which must have
/// faces; on failure prints why and returns null.
PolyMesh* CliOpenMeshToUnfold(SceneDocument& document, const std::string& path);

/// The extension of `path` in lower case, with its dot; empty when it has none.
std::string CliExtensionOf(const std::string& path);

/// True when `path` names a mesh file the mesh-writing commands make (.off or .xml).
bool CliIsMeshOutput(const std::string& path);
/// Writes `mesh` to `path` as OFF or, for .xml, as a new scene holding only the mesh.
/// False with the reason in `error` when the file could not be written.
bool CliWriteMesh(std::unique_ptr<PolyMesh> mesh, const std::string& path, std::string& error);
