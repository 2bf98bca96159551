#include "tests/support/DataModels.h"

#include "scene/loaders/OffParser.h"
#include "tests/support/TestShapes.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testshapes {

std::unique_ptr<PolyMesh> dataModel(const std::string& fileName) {
    const std::string path = std::string(VORN_TEST_SOURCE_DIR) + "/tests/data/" + fileName;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error(path + ": cannot be opened");
    std::stringstream text;
    text << in.rdbuf();
    MeshData data;
    MeshParseError error;
    if (!ParseOff(text.str(), data, error))
        throw std::runtime_error(path + ": " + error.message);
    return meshOf(data);
}

} // namespace testshapes
