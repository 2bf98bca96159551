// Annotations and shortest-path displays in documents: inserted as the Insert commands
// place them, saved and read back, and the paths advanced on idle ticks.
#include "vorn/core/SceneDocument.h"

#include "common/IdleLoop.h"
#include "scene/Annotation.h"
#include "scene/SceneRoot.h"
#include "scene/ShortestPathViz.h"
#include "scene/settings/CSettingsDlg.h"
#include "scene/settings/CSettingsListDlg.h"
#include "scene/mesh/MeshShortestPaths.h"
#include "scene/mesh/PolyMesh.h"
#include "tests/support/RecordingRenderer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using Sorvex::M3d;

namespace {

PolyMesh* firstMesh(SceneDocument& doc) {
    for (SceneObj* child : doc.getRoot()->getChildren())
        if (auto* mesh = dynamic_cast<PolyMesh*>(child))
            return mesh;
    return nullptr;
}

template <typename T> T* childOf(SceneObj& parent) {
    for (SceneObj* child : parent.getChildren())
        if (auto* found = dynamic_cast<T*>(child))
            return found;
    return nullptr;
}

} // namespace

TEST(SceneNotes, AnnotationAndPathDisplaySurviveASaveAndOpen) {
    TempDir dir;
    SceneDocument doc;
    doc.newDocument();
    std::string error;
    EXPECT_FALSE(doc.insertObject("ShortestPathViz", &error)) << "no mesh yet";
    EXPECT_EQ("There is no mesh to show shortest paths on", error);
    ASSERT_TRUE(doc.insertObject("WitchHat"));
    ASSERT_TRUE(doc.insertObject("ShortestPathViz"));
    ASSERT_TRUE(doc.insertObject("Annotation"));
    PolyMesh* hat = firstMesh(doc);
    ASSERT_NE(nullptr, hat);
    auto* viz = childOf<ShortestPathViz>(*hat);
    ASSERT_NE(nullptr, viz) << "the display goes under the target mesh";
    auto* note = childOf<Annotation>(*doc.getRoot());
    ASSERT_NE(nullptr, note);
    EXPECT_EQ("Annotation", note->getText());
    note->setText("apex <left> & \"right\"");
    note->translate(M3d(1, 2, 3));

    // Placed at the highest vertex, which is its own source vertex.
    const Vertex* source = viz->getSourceVertex();
    ASSERT_NE(nullptr, source);
    for (const Vertex* v : hat->getVertices())
        EXPECT_LE(v->y(), source->y());
    viz->translate(M3d(0.01, 0, 0));
    const M3d point = viz->getPoint();

    ASSERT_TRUE(doc.save(dir.file("notes.xml"), error)) << error;
    SceneDocument loaded;
    ASSERT_TRUE(loaded.open(dir.file("notes.xml"), error)) << error;
    PolyMesh* hatAgain = firstMesh(loaded);
    ASSERT_NE(nullptr, hatAgain);
    auto* vizAgain = childOf<ShortestPathViz>(*hatAgain);
    ASSERT_NE(nullptr, vizAgain);
    EXPECT_EQ(point, vizAgain->getPoint()) << "a placed display keeps its place";
    auto* noteAgain = childOf<Annotation>(*loaded.getRoot());
    ASSERT_NE(nullptr, noteAgain);
    EXPECT_EQ("apex <left> & \"right\"", noteAgain->getText());
    EXPECT_EQ(M3d(1, 2, 3), noteAgain->getTranslation());
}

TEST(SceneNotes, PathsGrowOnIdleTicksAndAreDrawnAsATree) {
    SceneDocument doc;
    doc.newDocument();
    ASSERT_TRUE(doc.insertObject("WitchHat"));
    ASSERT_TRUE(doc.insertObject("ShortestPathViz"));
    PolyMesh* hat = firstMesh(doc);
    auto* viz = childOf<ShortestPathViz>(*hat);
    ASSERT_NE(nullptr, viz);
    for (int tick = 0; tick < 50 && !hat->getShortestPaths().isDone(); ++tick)
        OnSystemIdle();
    ASSERT_TRUE(hat->getShortestPaths().isDone());

    // One line per vertex other than the source: the last step of its path.
    RecordingRenderer r;
    viz->renderSelf(&r);
    EXPECT_EQ(2 * (hat->getVertexCount() - 1), r.count("vertex"));
    EXPECT_EQ(1u, r.count("renderSphere")) << "the source marker";
}

TEST(SceneNotes, AnAnnotationIsEditedInItsPanel) {
    Annotation note;
    CSettingsListDlg bar;
    bar.setSelection(&note);
    ASSERT_EQ(1u, bar.getPanels().size()) << "the text label's panel serves annotations";
    CSettingsDlg* panel = bar.getPanels().front();
    EXPECT_EQ("Annotation", panel->findControl(ControlKind::Edit, "Text")->text);
    EXPECT_TRUE(panel->setEdit("Text", "glue tab here"));
    EXPECT_EQ("glue tab here", note.getText());
    bar.setSelection(nullptr);
}
