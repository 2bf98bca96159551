#include "vorn/app/CVornDoc.h"

#include "scene/SceneRoot.h"
#include "tests/support/FileText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

} // namespace
