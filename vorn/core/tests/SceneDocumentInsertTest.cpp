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

/// Stand-ins for the metaball classes: they keep what they read.
struct RecordingSurface : SceneObj {
    Sorvex::M3d extents;
    void read(XML& xml) override {
        SceneObj::read(xml);
        extents = readVector(xml, "Extents", Sorvex::M3d(0, 0, 0));
    }
};
struct RecordingLine : SceneObj {
    double strength = 0;
    void read(XML& xml) override {
        SceneObj::read(xml);
        strength = readDouble(xml, "Strength", -1);
    }
};
template <class T> struct StandInFactory : Factory {
    explicit StandInFactory(const char* name) : Factory(name, "SceneObj") {}
    Factorable* newInstance() const override { return new T; }
};

TEST(SceneDocumentInsert, MetaSurfaceComesWithOneLineSource) {
    SceneDocument doc;
    doc.newDocument();
    StandInFactory<RecordingSurface> surfaces("MetaSurface");
    std::string error;
    // Without line sources the surface is not inserted either.
    EXPECT_FALSE(doc.insertObject("MetaSurface", &error));
    EXPECT_NE(std::string::npos, error.find("MetaLine")) << error;
    EXPECT_TRUE(doc.getRoot()->getChildren().empty());
    StandInFactory<RecordingLine> lines("MetaLine");
    ASSERT_TRUE(doc.insertObject("MetaSurface", &error)) << error;
    ASSERT_EQ(1u, doc.getRoot()->getChildren().size());
    auto* surface = dynamic_cast<RecordingSurface*>(doc.getRoot()->getChildren().front());
    ASSERT_NE(nullptr, surface);
    EXPECT_EQ(Sorvex::M3d(3, 3, 3), surface->extents);
    ASSERT_EQ(1u, surface->getChildren().size());
    auto* line = dynamic_cast<RecordingLine*>(surface->getChildren().front());
    ASSERT_NE(nullptr, line);
    EXPECT_DOUBLE_EQ(1.0, line->strength);
    SceneObj::ProcessDelayedOperations();
    EXPECT_EQ(surface, doc.getRoot()->getSelection()) << "the surface is selected, not the line";
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
