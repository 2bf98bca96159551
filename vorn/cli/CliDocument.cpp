#include "vorn/cli/CliDocument.h"

#include "scene/SceneObj.h"
#include "scene/SceneRoot.h"
#include "scene/mesh/PolyMesh.h"
#include "vorn/cli/CliCommand.h"
#include "vorn/core/SceneDocument.h"

#include <cctype>
#include <iostream>

bool CliOpenDocument(SceneDocument& document, const std::string& path) {
    std::string error;
    if (!document.open(path, error)) {
        CliFail(error);
        return false;
    }
    if (!document.getWarning().empty())
        std::cerr << "vorn-cli: warning: " << document.getWarning() << std::endl;
    SceneObj::ProcessDelayedOperations();
    return true;
}

PolyMesh* CliOpenMeshToUnfold(SceneDocument& document, const std::string& path) {
    if (!CliOpenDocument(document, path))
        return nullptr;
    PolyMesh* mesh = document.getTargetMesh();
    if (!mesh) {
        CliFail(path + ": the model holds no mesh to unfold");
        return nullptr;
    }
    if (mesh->getPolyCount() == 0) {
        CliFail(path + ": the mesh has no faces to unfold");
        return nullptr;
    }
    return mesh;
}

std::string CliExtensionOf(const std::string& path) {
    size_t dot = path.find_last_of('.');
    size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot);
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool CliIsMeshOutput(const std::string& path) {
    const std::string ext = CliExtensionOf(path);
    return ext == ".off" || ext == ".xml";
}

bool CliWriteMesh(std::unique_ptr<PolyMesh> mesh, const std::string& path, std::string& error) {
    SceneDocument result;
    result.newDocument();
    if (!mesh->setParent(result.getRoot())) {
        error = "the mesh cannot be placed in a document";
        return false;
    }
    mesh.release(); // owned by the result's root
    return CliExtensionOf(path) == ".off" ? result.exportOff(path, error)
                                          : result.save(path, error);
}
