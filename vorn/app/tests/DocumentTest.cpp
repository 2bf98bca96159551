#include "vorn/app/CVornDoc.h"

#include "common/XML.h"
#include "scene/SceneRoot.h"
#include "tests/support/FileText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

fs::path tempDir() {
    const fs::path dir = fs::path(VORN_BINARY_DIR) / "test-home" / "app-docs";
    fs::create_directories(dir);
    return dir;
}

TEST(DocumentTest, OpenSaveRoundTrip) {
    CVornDoc doc;
    std::string error;
    const std::string example = std::string(VORN_SOURCE_DIR) + "/examples/two-meshes.xml";
    ASSERT_TRUE(doc.onOpenDocument(example, error)) << error;
    ASSERT_NE(nullptr, doc.getRoot());
    EXPECT_EQ(2u, doc.getRoot()->getChildren().size());
    EXPECT_EQ("two-meshes.xml", doc.getTitle());

    const fs::path saved = tempDir() / "round-trip.xml";
    ASSERT_TRUE(doc.onSaveDocument(saved.string(), error)) << error;
    CVornDoc again;
    ASSERT_TRUE(again.onOpenDocument(saved.string(), error)) << error;
    EXPECT_EQ(2u, again.getRoot()->getChildren().size());
    const fs::path savedAgain = tempDir() / "round-trip-2.xml";
    ASSERT_TRUE(again.onSaveDocument(savedAgain.string(), error)) << error;
    EXPECT_EQ(ReadFileText(saved), ReadFileText(savedAgain)) << "a saved scene reads back unchanged";

    // Export proposes the opened scene's name with ".off".
    EXPECT_EQ("two-meshes.off", doc.proposeExportName());
}

TEST(DocumentTest, FailedOpenKeepsTheScene) {
    CVornDoc doc;
    doc.onNewDocument();
    SceneRoot* root = doc.getRoot();
    ASSERT_NE(nullptr, root);
    EXPECT_EQ("Untitled", doc.getTitle());
    EXPECT_TRUE(doc.proposeExportName().empty()) << "an empty scene has nothing to export";

    const fs::path bad = tempDir() / "broken.xml";
    std::ofstream(bad) << "<SceneRoot><Children><PolyMesh>";
    std::string error;
    EXPECT_FALSE(doc.onOpenDocument(bad.string(), error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(root, doc.getRoot());
    EXPECT_FALSE(doc.onOpenDocument((tempDir() / "missing.xml").string(), error));
    EXPECT_EQ(root, doc.getRoot());
}

/// The values an object writes, by element name.
XML writtenValues(SceneObj& obj) {
    XML xml(obj.getClassName());
    obj.write(xml);
    return xml;
}

TEST(DocumentTest, InsertMetaSurfaceWithOneLineSource) {
    CVornDoc doc;
    doc.onNewDocument();
    std::string error;
    ASSERT_TRUE(doc.insertObject("MetaSurface", &error)) << error;
    ASSERT_EQ(1u, doc.getRoot()->getChildren().size());
    SceneObj* surface = doc.getRoot()->getChildren().front();
    ASSERT_EQ("MetaSurface", surface->getClassName());
    XML values = writtenValues(*surface);
    EXPECT_EQ(Sorvex::M3d(3, 3, 3), SceneObj::readVector(values, "Extents", Sorvex::M3d()));
    std::vector<SceneObj*> lines;
    for (SceneObj* child : surface->getChildren())
        if (child->getClassName() == "MetaLine")
            lines.push_back(child);
    ASSERT_EQ(1u, lines.size());
    XML lineValues = writtenValues(*lines.front());
    EXPECT_DOUBLE_EQ(1.0, SceneObj::readDouble(lineValues, "Strength", -1));
    SceneObj::ProcessDelayedOperations();
    EXPECT_EQ(surface, doc.getRoot()->getSelection()) << "the surface is selected, not the line";
}

} // namespace
