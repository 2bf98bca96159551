#include "vorn/core/BuiltinIcosahedron.h"

#include "common/XML.h"
#include "scene/mesh/PolyMesh.h"
#include "scene/SceneRoot.h"
#include "vorn/core/SceneDocument.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(BuiltinIcosahedron, TextFormat) {
    const std::string& text = GetIcosahedronSceneText();
    const std::string declaration = "<?xml version=\"1.0\" ?>\n";
    ASSERT_EQ(0u, text.find(declaration));
    EXPECT_EQ(1, std::count(text.begin(), text.end(), '\n'));
    EXPECT_EQ(declaration.size(), text.find("<SceneRoot>"));
    EXPECT_NE(std::string::npos, text.find("  <Children>"));
    EXPECT_NE(std::string::npos,
              text.find("<Vertex>[bin]000000000000000000000000000000000000008023CFF23F[/bin] "
                        "0.0000  0.0000  1.1756</Vertex>"));
    EXPECT_NE(std::string::npos, text.find("<Face>    0,     1,     2</Face>"));
    EXPECT_NE(std::string::npos, text.find("<Face>    9,    11,    10</Face>"));
    EXPECT_NE(std::string::npos, text.find("<DrawEdges>true</DrawEdges>"));
}

TEST(BuiltinIcosahedron, ReadsAsAClosedMeshOfSingleValues) {
    XML node;
    ASSERT_TRUE(node.parse(GetIcosahedronSceneText())) << node.getError();
    SceneDocument document;
    std::string error;
    ASSERT_TRUE(document.openNode(node, "icosahedron", error)) << error;
    ASSERT_EQ(1u, document.getRoot()->getChildren().size());
    auto* mesh = dynamic_cast<PolyMesh*>(document.getRoot()->getChildren().front());
    ASSERT_TRUE(mesh);
    EXPECT_TRUE(mesh->getRenderFaceEdges());

    const float expected[12][3] = {{0, 0, 1.175571f},
                                   {1.051462f, 0, 0.5257311f},
                                   {0.3249197f, 1, 0.5257311f},
                                   {-0.8506508f, 0.6180340f, 0.5257311f},
                                   {-0.8506508f, -0.6180340f, 0.5257311f},
                                   {0.3249197f, -1, 0.5257311f},
                                   {0.8506508f, 0.6180340f, -0.5257311f},
                                   {0.8506508f, -0.6180340f, -0.5257311f},
                                   {-0.3249197f, 1, -0.5257311f},
                                   {-1.051462f, 0, -0.5257311f},
                                   {-0.3249197f, -1, -0.5257311f},
                                   {0, 0, -1.175571f}};
    MeshData data = mesh->toMeshData();
    ASSERT_EQ(12u, data.vertices.size());
    for (int i = 0; i < 12; ++i)
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(double(expected[i][k]), data.vertices[i][k]) << "vertex " << i;
    ASSERT_EQ(20u, data.faces.size());
    EXPECT_EQ((std::vector<int>{9, 11, 10}), data.faces[19]);
    MeshTopology topology = data.topology();
    EXPECT_TRUE(topology.closed);
    EXPECT_EQ(30, topology.edges);
    EXPECT_EQ(2, topology.eulerCharacteristic);
}

} // namespace
