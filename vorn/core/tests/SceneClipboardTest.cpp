#include "vorn/core/SceneClipboard.h"

#include "scene/SceneRoot.h"
#include "scene/mesh/PolyMesh.h"
#include "scene/render/Camera.h"
#include "vorn/core/SceneDocument.h"

#include <gtest/gtest.h>

namespace {

using Sorvex::M3d;

TEST(SceneClipboardTest, CopyThenPasteAddsAnOffsetCopy) {
    SceneDocument doc;
    std::string error;
    ASSERT_TRUE(doc.open(std::string(VORN_SOURCE_DIR) + "/examples/icosahedron.xml", error))
        << error;
    SceneRoot& root = *doc.getRoot();
    ASSERT_EQ(1u, root.getChildren().size());
    SceneObj* original = root.getChildren().front();

    const std::string text = SceneClipboard::copyText(*original);
    EXPECT_NE(std::string::npos, text.find("<PolyMesh>")) << text.substr(0, 60);

    Camera camera;
    camera.setLookAt(M3d(0, 0, 10), M3d(0, 0, 0), M3d(0, 1, 0));
    SceneObj* pasted = SceneClipboard::paste(text, root, camera);
    ASSERT_NE(nullptr, pasted);
    ASSERT_EQ(2u, root.getChildren().size());
    EXPECT_EQ(pasted, root.getChildren().back());
    EXPECT_EQ(pasted, root.getSelection());
    // Looking down -z with y up, the copy moves 0.1 along -y and 0.1 along x (up x d).
    const double* moved = pasted->getTransform()[3];
    const double* still = original->getTransform()[3];
    EXPECT_NEAR(0.1, moved[0] - still[0], 1e-9);
    EXPECT_NEAR(-0.1, moved[1] - still[1], 1e-9);
    EXPECT_NEAR(0.0, moved[2] - still[2], 1e-9);
    auto* copy = dynamic_cast<PolyMesh*>(pasted);
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(size_t(20), copy->getPolyCount());
}

TEST(SceneClipboardTest, TextThatIsNoSceneObjectPastesNothing) {
    SceneDocument doc;
    doc.newDocument();
    SceneRoot& root = *doc.getRoot();
    Camera camera;
    for (const char* text : {"", "hello", "<NoSuchClass/>", "<PolyMesh><Vertices>",
                             "<PolyMesh><Faces><Face>0, 1, 7</Face></Faces></PolyMesh>"}) {
        EXPECT_EQ(nullptr, SceneClipboard::paste(text, root, camera)) << text;
        EXPECT_TRUE(root.getChildren().empty()) << text;
        EXPECT_EQ(nullptr, root.getSelection()) << text;
    }
}

} // namespace
