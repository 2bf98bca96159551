#include "vorn/core/SceneDocument.h"

#include "common/XML.h"
#include "scene/Factory.h"
#include "scene/SceneObj.h"
#include "scene/SceneRoot.h"
#include "scene/mesh/PolyMesh.h"

#include <gtest/gtest.h>

namespace {

TEST(SceneDocumentInsert, InsertNeedsAKnownClass) {
    SceneDocument doc;
    EXPECT_FALSE(doc.insertObject("PolyMesh")) << "no root before new or open";
    doc.newDocument();
    EXPECT_FALSE(doc.insertObject("NoSuchClass"));
    EXPECT_TRUE(doc.getRoot()->getChildren().empty());
    ASSERT_TRUE(doc.insertObject("PolyMesh"));
    ASSERT_EQ(1u, doc.getRoot()->getChildren().size());
    SceneObj::ProcessDelayedOperations();
    EXPECT_EQ(doc.getRoot()->getChildren().front(), doc.getRoot()->getSelection());
}

TEST(SceneDocumentInsert, ShapesComeInGreyAndSelected) {
    SceneDocument doc;
    doc.newDocument();
    for (const char* shape : {"MathFn", "Coolinoid", "WitchHat", "BinTree"}) {
        ASSERT_TRUE(doc.insertObject(shape)) << shape;
        auto* mesh = dynamic_cast<PolyMesh*>(doc.getRoot()->getChildren().back());
        ASSERT_TRUE(mesh);
        EXPECT_EQ(shape, mesh->getClassName());
        EXPECT_GT(mesh->getPolyCount(), 0u) << shape;
        EXPECT_DOUBLE_EQ(0.75, mesh->getColor().g) << shape;
        SceneObj::ProcessDelayedOperations();
        EXPECT_EQ(mesh, doc.getRoot()->getSelection());
    }
}

TEST(SceneDocumentInsert, FromXmlAddsAndSelectsOrChangesNothing) {
    SceneDocument doc;
    doc.newDocument();
    SceneRoot* root = doc.getRoot();
    std::string error;
    EXPECT_FALSE(doc.insertFromXml("<PolyMesh><Vertices>", &error));
    EXPECT_FALSE(doc.insertFromXml("<NoSuchClass/>", &error));
    EXPECT_NE(std::string::npos, error.find("NoSuchClass"));
    EXPECT_TRUE(root->getChildren().empty()) << "refused text leaves the scene as it was";

    SceneDocument source;
    ASSERT_TRUE(source.open(std::string(VORN_SOURCE_DIR) + "/examples/two-meshes.xml", error));
    XML mesh("PolyMesh");
    source.getTargetMesh()->write(mesh);
    ASSERT_TRUE(doc.insertFromXml(mesh.toString(), &error)) << error;
    SceneObj::ProcessDelayedOperations();
    ASSERT_EQ(1u, root->getChildren().size());
    EXPECT_EQ(root->getChildren().front(), root->getSelection());
    auto* copy = dynamic_cast<PolyMesh*>(root->getChildren().front());
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(source.getTargetMesh()->getPolys().size(), copy->getPolys().size());
}

} // namespace
