// Model-folder tests open their files straight into a mesh: every model gives the mesh its
// XML form gives (the way the batch runner used to read them), scenes their first mesh.
#include "common/XML.h"
#include "scene/mesh/PolyMesh.h"
#include "scene/SceneRoot.h"
#include "vorn/core/LoaderList.h"
#include "vorn/core/batch/BatchTests.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

/// The scene text of `mesh` alone.
std::string meshText(PolyMesh& mesh) {
    XML node("PolyMesh");
    mesh.write(node);
    return node.toString();
}

/// The mesh of `path` read through the XML form: the node itself when it is a mesh, else
/// the first mesh of the scene.
std::string meshTextThroughXml(const std::string& path) {
    XML node("SceneRoot");
    std::string error;
    EXPECT_TRUE(LoadWithLoaders(path, node, error)) << error;
    if (node.getName() != "SceneRoot") {
        PolyMesh mesh;
        mesh.read(node);
        return meshText(mesh);
    }
    SceneRoot root;
    root.read(node);
    for (SceneObj* child : root.getChildren())
        if (auto* mesh = dynamic_cast<PolyMesh*>(child)) {
            PolyMesh copy;
            mesh->copy(copy);
            return meshText(copy);
        }
    return {};
}

} // namespace

TEST(LoadTestModel, EveryModelGivesTheMeshOfItsXmlForm) {
    int checked = 0;
    for (const char* folder : {"tests/data", "examples"}) {
        for (const std::string& name : ListModelFiles(fs::path(VORN_SOURCE_DIR) / folder)) {
            const std::string path = (fs::path(VORN_SOURCE_DIR) / folder / name).string();
            SCOPED_TRACE(path);
            std::string error;
            std::unique_ptr<PolyMesh> mesh = LoadTestModel(path, &error);
            const std::string expected = meshTextThroughXml(path);
            if (expected.empty()) {
                EXPECT_FALSE(mesh) << "a file without a mesh is refused";
                continue;
            }
            ASSERT_TRUE(mesh) << error;
            EXPECT_GT(mesh->getPolyCount(), 0u);
            EXPECT_EQ(expected, meshText(*mesh));
            ++checked;
        }
    }
    EXPECT_GE(checked, 10) << "OFF, PLY, STL, OBJ and scene files were all compared";
}
