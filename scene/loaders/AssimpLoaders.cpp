#include "scene/loaders/AssimpLoaders.h"

#include "scene/loaders/AssimpMeshReader.h"
#include "scene/loaders/PlyCheck.h"
#include "scene/loaders/StlCheck.h"

VORN_DEFINE_FACTORY(STLLoader, "Loader")
VORN_DEFINE_FACTORY(PLYLoader, "Loader")

bool AssimpLoader::parseMesh(std::string_view bytes, MeshData& mesh, MeshParseError& error) {
    // The importer is picked by the extension without its dot.
    std::string format(getExtension().substr(1));
    error.line = 0;
    return ReadMeshWithAssimp(bytes, format.c_str(), mesh, error.message);
}

bool PLYLoader::parseMesh(std::string_view bytes, MeshData& mesh, MeshParseError& error) {
    return CheckPlyFile(bytes, error) && AssimpLoader::parseMesh(bytes, mesh, error);
}

bool STLLoader::parseMesh(std::string_view bytes, MeshData& mesh, MeshParseError& error) {
    return CheckStlFile(bytes, error) && AssimpLoader::parseMesh(bytes, mesh, error);
}
