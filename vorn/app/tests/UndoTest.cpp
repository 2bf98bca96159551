// Undo and redo in the workbench: clicks on a manual unfolder's edges, deletions and
// strategy attachments are steps that put the scene text back byte for byte.
#include "vorn/app/CVornDoc.h"
#include "vorn/app/CVornView.h"
#include "vorn/app/SettingsBar.h"

#include "scene/Factory.h"
#include "scene/SceneRoot.h"
#include "scene/mesh/PolyMesh.h"
#include "scene/render/ScenePicker.h"
#include "scene/settings/CSettingsDlg.h"
#include "scene/settings/CSettingsListDlg.h"
#include "tests/support/TestShapes.h"
#include "unfolders/engine/Unfolder.h"
#include "vorn/core/AttachStrategy.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Sorvex::M3d;

class UndoTest : public testing::Test {
protected:
    void SetUp() override {
        doc.onNewDocument();
        auto* mesh = new PolyMesh;
        ASSERT_TRUE(mesh->fromMeshData(testshapes::cube()));
        ASSERT_TRUE(mesh->setParent(doc.getRoot()));
        view = std::make_unique<CVornView>(doc);
        view->resize(400, 300);
        const M3d centre = mesh->getCenter();
        view->getCamera().setLookAt(centre + M3d(2.5, 2.0, 3.0), centre, M3d(0, 1, 0));
        view->getCamera().setViewport(400, 300);
    }
    void TearDown() override {
        view.reset();
        SceneObj::ProcessDelayedOperations();
    }
    PolyMesh* mesh() { return doc.getTargetMesh(); }
    void click(QPoint at) {
        for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, QPointF(at), QPointF(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(view.get(), &event);
        }
    }
    std::string text() { return doc.toText(); }

    CVornDoc doc;
    std::unique_ptr<CVornView> view;
};

} // namespace

TEST_F(UndoTest, ClicksOnCutEdgesUndoAndRedoToTheSameSceneText) {
    Factory* manual = Factory::GetFactory("ManualUnfolder");
    ASSERT_NE(nullptr, manual);
    ASSERT_TRUE(doc.perform("Unfold With Manual",
                            [&] { return AttachStrategy(*mesh(), *manual) != nullptr; }));
    QUndoStack& stack = doc.getUndoStack();
    ASSERT_EQ(1, stack.count());
    EXPECT_EQ(QString("Unfold With Manual"), stack.undoText());

    // Click the middle of every edge the camera sees; each toggle is one step.
    std::vector<std::string> texts{text()};
    const Camera& camera = view->getCamera();
    std::vector<QPoint> middles;
    for (Poly* f : mesh()->getPolys())
        for (int i = 0; i < f->getVertexCount(); ++i) {
            const ScreenPoint p = camera.project((*f->getVertex(i) + *f->getVertex(i + 1)) * 0.5);
            middles.emplace_back(int(p.x + 0.5), int(p.y + 0.5));
        }
    for (QPoint at : middles) {
        const int before = stack.count();
        click(at);
        if (stack.count() > before) {
            EXPECT_EQ(QString("Toggle Cut Edge"), stack.undoText());
            EXPECT_NE(texts.back(), text());
            texts.push_back(text());
        }
    }
    ASSERT_GE(texts.size(), size_t(4)) << "visible edges toggled by clicks";

    for (size_t i = texts.size() - 1; i-- > 0;) {
        stack.undo();
        EXPECT_EQ(texts[i], text()) << "after undoing to state " << i;
    }
    stack.undo(); // the attachment
    EXPECT_EQ(nullptr, doc.getRoot()->getSelection());
    for (SceneObj* child : mesh()->getChildren())
        EXPECT_FALSE(IsUnfoldingStrategy(child));
    stack.redo();
    for (size_t i = 1; i < texts.size(); ++i) {
        stack.redo();
        EXPECT_EQ(texts[i], text()) << "after redoing to state " << i;
    }
}

TEST_F(UndoTest, EdgeClicksHandTheSelectionStraightToTheUnfolder) {
    Factory* manual = Factory::GetFactory("ManualUnfolder");
    ASSERT_NE(nullptr, manual);
    SceneObj* unfolder = AttachStrategy(*mesh(), *manual);
    ASSERT_NE(nullptr, unfolder);
    SceneObj::ProcessDelayedOperations();
    doc.getRoot()->select(nullptr);
    // Every selection the view reports rebuilds the settings panels in the workbench.
    std::vector<SceneObj*> reported;
    view->setSelectionCallback([&](SceneObj* obj) { reported.push_back(obj); });
    const Camera& camera = view->getCamera();
    ScenePicker picker;
    int toggles = 0;
    for (Poly* f : mesh()->getPolys())
        for (int i = 0; i < f->getVertexCount(); ++i) {
            const ScreenPoint p = camera.project((*f->getVertex(i) + *f->getVertex(i + 1)) * 0.5);
            const QPoint at(int(p.x + 0.5), int(p.y + 0.5));
            const PickResult hit = picker.pick(*doc.getRoot(), camera, at.x(), at.y());
            if (!hit.object || hit.object->getClassName() != "ClickableLine")
                continue; // an edge behind the cube
            const int before = doc.getUndoStack().count();
            click(at);
            toggles += doc.getUndoStack().count() - before;
        }
    ASSERT_GE(toggles, 4) << "visible edges toggled by clicks";
    EXPECT_EQ(std::vector<SceneObj*>{unfolder}, reported);
    EXPECT_EQ(unfolder, doc.getRoot()->getSelection());
}

TEST_F(UndoTest, DeletionIsUndoneAndStepsThatChangeNothingAreNotRecorded) {
    const std::string start = text();
    doc.getRoot()->select(mesh());
    view->deleteSelection();
    EXPECT_EQ(nullptr, mesh());
    QUndoStack& stack = doc.getUndoStack();
    ASSERT_EQ(1, stack.count());
    EXPECT_EQ(QString("Delete PolyMesh"), stack.undoText());
    stack.undo();
    EXPECT_EQ(start, text());
    ASSERT_NE(nullptr, mesh());

    // A click on empty space selects nothing and changes nothing: no step.
    stack.redo();
    stack.undo();
    click(QPoint(2, 2));
    EXPECT_TRUE(stack.canRedo()) << "nothing was pushed over the redo step";
    EXPECT_EQ(start, text());
}

TEST_F(UndoTest, PanelCommandsAreStepsOfTheDocument) {
    Factory* manual = Factory::GetFactory("ManualUnfolder");
    ASSERT_NE(nullptr, manual);
    SceneObj* unfolder = AttachStrategy(*mesh(), *manual);
    ASSERT_NE(nullptr, unfolder);
    SettingsBar bar;
    bar.setStepRunner([this](const QString& name, const std::function<void()>& run) {
        doc.perform(name, run, false);
    });
    bar.setSelection(unfolder);
    CSettingsDlg* panel = nullptr;
    for (CSettingsDlg* p : bar.getList().getPanels())
        if (p->getTitle() == "Manual Unfolder Settings")
            panel = p;
    ASSERT_NE(nullptr, panel);
    auto* request = qobject_cast<QPushButton*>(bar.findWidget(panel, "Request Graph"));
    auto* reset = qobject_cast<QPushButton*>(bar.findWidget(panel, "Reset"));
    ASSERT_TRUE(request && reset);
    const std::string start = text();
    request->click();
    const std::string requested = text();
    EXPECT_NE(start, requested);
    QUndoStack& stack = doc.getUndoStack();
    EXPECT_EQ(QString("Request Graph"), stack.undoText());
    stack.undo();
    EXPECT_EQ(start, text());
    stack.redo();
    EXPECT_EQ(requested, text());
    bar.setSelection(nullptr);
}

TEST_F(UndoTest, EdgeClickStepsFindTheirLineInARebuiltSceneAndNeverClickAStranger) {
    Factory* manual = Factory::GetFactory("ManualUnfolder");
    ASSERT_NE(nullptr, manual);
    SceneObj* unfolder = AttachStrategy(*mesh(), *manual);
    ASSERT_NE(nullptr, unfolder);
    SceneObj::ProcessDelayedOperations();
    QUndoStack& stack = doc.getUndoStack();
    const M3d hit = mesh()->getCenter();
    const auto line = [&](size_t k) { return doc.getTargetMesh()->getChildren()[0]->getChildren()[k]; };

    const std::string start = text();
    doc.performSelfInverseClick("Toggle Cut Edge", *line(3), hit);
    doc.performSelfInverseClick("Toggle Cut Edge", *line(7), hit);
    const std::string cut = text();
    ASSERT_EQ(2, stack.count());
    EXPECT_NE(start, cut);

    // A step rebuilt from snapshots (a label inserted, undone and redone) comes between.
    ASSERT_TRUE(doc.perform("Insert", [&] { return doc.insertObject("TextLabel"); }));
    const std::string labelled = text();
    stack.undo();
    stack.undo();
    stack.undo();
    EXPECT_EQ(start, text());
    for (int i = 0; i < 3; ++i)
        stack.redo();
    EXPECT_EQ(labelled, text());
    stack.undo();
    EXPECT_EQ(cut, text());

    // Inside an open step a click belongs to it; a step whose place now holds another
    // kind of object leaves the scene alone.
    doc.beginAction();
    doc.performSelfInverseClick("Toggle Cut Edge", *line(7), hit);
    doc.endAction("Outer");
    EXPECT_EQ(QString("Outer"), stack.undoText());
    stack.undo();
    EXPECT_EQ(cut, text());
    const int at = stack.index();
    for (SceneObj* child : mesh()->getChildren())
        SceneObj::DelayedDelete(child);
    SceneObj::ProcessDelayedOperations();
    // Meshes where the unfolder and its lines were.
    auto* stranger = new PolyMesh;
    ASSERT_TRUE(stranger->setParent(mesh()));
    for (int k = 0; k < 8; ++k)
        ASSERT_TRUE((new PolyMesh)->setParent(stranger));
    const std::string changed = text();
    stack.undo();
    EXPECT_EQ(at - 1, stack.index());
    EXPECT_EQ(changed, text());
}
