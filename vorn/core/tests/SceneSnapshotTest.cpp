// Whole-scene snapshots for undo: restoring one gives back the saved text byte for
// byte, strategies that documents skip included.
#include "vorn/core/SceneSnapshot.h"

#include "common/XML.h"
#include "scene/Factory.h"
#include "scene/SceneRoot.h"
#include "scene/mesh/PolyMesh.h"
#include "tests/support/RunStrategy.h"
#include "unfolders/engine/Unfolder.h"
#include "vorn/core/AttachStrategy.h"
#include "vorn/core/BuiltinIcosahedron.h"
#include "vorn/core/CutList.h"
#include "vorn/core/SceneDocument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

SceneDocument* openIcosahedron(SceneDocument& document) {
    XML node;
    std::string error;
    EXPECT_TRUE(node.parse(GetIcosahedronSceneText()));
    EXPECT_TRUE(document.openNode(node, "icosahedron", error)) << error;
    return &document;
}

Unfolder* strategyOf(PolyMesh& mesh) {
    for (SceneObj* child : mesh.getChildren())
        if (IsUnfoldingStrategy(child))
            return static_cast<Unfolder*>(child);
    return nullptr;
}

} // namespace

TEST(SceneSnapshot, UndoingAnySequenceOfCutTogglesRestoresTheSceneByteForByte) {
    SceneDocument document;
    openIcosahedron(document);
    document.getRoot()->setFileName("kept.xml");
    PolyMesh* mesh = document.getTargetMesh();
    ASSERT_NE(nullptr, mesh);
    std::string error;
    ASSERT_NE(nullptr, AttachManualCuts(*mesh, {}, &error)) << error;

    // Each step toggles one edge through a fresh cut list, as the CLI would;
    // every state's text and snapshot are kept.
    const std::vector<std::vector<CutEdge>> steps = {
        {{0, 1}}, {{0, 1}, {1, 2}}, {{1, 2}}, {{1, 2}, {2, 0}, {0, 5}}, {}};
    std::vector<std::string> texts{document.toText()};
    std::vector<std::string> snapshots{TakeSceneSnapshot(document)};
    for (const std::vector<CutEdge>& cuts : steps) {
        mesh = document.getTargetMesh();
        std::vector<CutEdge> valid;
        for (const CutEdge& e : cuts) {
            // Only pairs that are edges of the icosahedron.
            bool edge = false;
            for (Poly* f : mesh->getPolys())
                for (int i = 0; i < f->getVertexCount(); ++i)
                    edge = edge ||
                           (mesh->getIOIndex(f->getVertex(i)) == e.first &&
                            mesh->getIOIndex(f->getVertex(i + 1)) == e.second) ||
                           (mesh->getIOIndex(f->getVertex(i)) == e.second &&
                            mesh->getIOIndex(f->getVertex(i + 1)) == e.first);
            if (edge)
                valid.push_back(e);
        }
        ASSERT_NE(nullptr, AttachManualCuts(*mesh, valid, &error)) << error;
        texts.push_back(document.toText());
        snapshots.push_back(TakeSceneSnapshot(document));
    }
    EXPECT_NE(texts[0], texts[1]);
    // Undo all the way back, then redo all the way forward.
    for (size_t i = snapshots.size(); i-- > 0;) {
        ASSERT_TRUE(RestoreSceneSnapshot(document, snapshots[i], error)) << error;
        EXPECT_EQ(texts[i], document.toText()) << "undo to state " << i;
        EXPECT_EQ("kept.xml", document.getRoot()->getFileName());
    }
    for (size_t i = 0; i < snapshots.size(); ++i) {
        ASSERT_TRUE(RestoreSceneSnapshot(document, snapshots[i], error)) << error;
        EXPECT_EQ(texts[i], document.toText()) << "redo to state " << i;
    }
}

TEST(SceneSnapshot, StrategiesDocumentsSkipComeBackAndBadRecordsChangeNothing) {
    SceneDocument document;
    openIcosahedron(document);
    PolyMesh* mesh = document.getTargetMesh();
    Factory* breadth = Factory::GetFactory("BreadthFirstUnfolder");
    ASSERT_NE(nullptr, breadth);
    ASSERT_NE(nullptr, AttachStrategy(*mesh, *breadth));
    const std::string text = document.toText();
    const std::string snapshot = TakeSceneSnapshot(document);
    EXPECT_EQ(std::string::npos, text.find("BreadthFirstUnfolder"));
    EXPECT_NE(std::string::npos, snapshot.find("<BreadthFirstUnfolder>"));

    std::string error;
    ASSERT_TRUE(RestoreSceneSnapshot(document, snapshot, error)) << error;
    mesh = document.getTargetMesh();
    Unfolder* restored = strategyOf(*mesh);
    ASSERT_NE(nullptr, restored);
    EXPECT_EQ("BreadthFirstUnfolder", std::string(restored->getClassName()));
    ASSERT_TRUE(testshapes::runToEnd(*restored));
    EXPECT_EQ(mesh->getPolyCount(), restored->getPolyCount());
    EXPECT_EQ(text, document.toText());

    EXPECT_FALSE(RestoreSceneSnapshot(document, "<SceneRoot><Children>", error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(mesh, document.getTargetMesh());
}
