#include "SceneTestObjects.h"

#include "scene/SceneRoot.h"
#include "scene/settings/CSettingsListDlg.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

std::unique_ptr<CTestShapeSettings> panelFor(TestShape& shape) {
    std::unique_ptr<CSettingsDlg> dlg(
        CTestShapeSettings::g_CTestShapeSettingsBuilder.createSettingsDlg(&shape));
    return std::unique_ptr<CTestShapeSettings>(dynamic_cast<CTestShapeSettings*>(dlg.release()));
}

} // namespace

TEST(SettingsDlg, ControlsRunTheirCodeWhenDriven) {
    TestShape shape;
    auto panel = panelFor(shape);
    ASSERT_NE(nullptr, panel);
    EXPECT_EQ("C Test Shape Settings", panel->getTitle());
    EXPECT_EQ("Size 1.00", panel->findControl(ControlKind::StaticText, "size goes here")->text);

    EXPECT_TRUE(panel->click("Next"));
    EXPECT_EQ(2.0, shape.size);
    // The shape reported its change, so the panel refreshed its text.
    EXPECT_EQ("Size 2.00", panel->findControl(ControlKind::StaticText, "size goes here")->text);

    EXPECT_TRUE(panel->setSlider("Repeat", 25));
    EXPECT_EQ(10.0, shape.size) << "slider values are limited to the range";
    EXPECT_EQ(10, panel->findControl(ControlKind::Slider, "Repeat")->value);

    EXPECT_TRUE(panel->selectRadio("Large"));
    EXPECT_EQ(100.0, shape.size);
    EXPECT_EQ(1, panel->findControl(ControlKind::RadioGroup, "Small")->selected);

    EXPECT_TRUE(panel->setCheck("Visible", false));
    EXPECT_EQ("hidden", shape.label);
    EXPECT_TRUE(panel->setEdit("Label", "renamed"));
    EXPECT_EQ("renamed", shape.label);
}

TEST(SettingsDlg, WrongKindOrUnknownOrDisabledControlsDoNothing) {
    TestShape shape;
    auto panel = panelFor(shape);
    EXPECT_FALSE(panel->click("Visible")) << "a check box is not a button";
    EXPECT_FALSE(panel->setCheck("Next", true));
    EXPECT_FALSE(panel->click("next")) << "labels are exact";
    EXPECT_FALSE(panel->selectRadio("Medium"));
    EXPECT_FALSE(panel->selectRadio("")) << "a group's caption is not an option";
    EXPECT_EQ(1.0, shape.size);

    panel->findControl(ControlKind::Button, "Next")->enabled = false;
    EXPECT_FALSE(panel->click("Next"));
    EXPECT_EQ(1.0, shape.size);
}

TEST(SettingsDlg, CodeUpdatesReachTheHostButRunNoControlCode) {
    TestShape shape;
    auto panel = panelFor(shape);
    std::vector<std::string> updated;
    panel->setViewListener([&](const SettingsControl& c) { updated.push_back(c.label); });
    shape.size = 5;
    shape.onChanged(false);
    EXPECT_EQ(std::vector<std::string>{"size goes here"}, updated);
    shape.onChanged(false); // same text: nothing to update
    EXPECT_EQ(1u, updated.size());
}

TEST(SettingsDlg, PanelOutlivingItsTargetIsDetached) {
    auto* shape = new TestShape;
    auto panel = panelFor(*shape);
    delete shape;
    EXPECT_EQ(nullptr, panel->getTarget());
    EXPECT_TRUE(panel->click("Next")); // runs, but has nothing to change
}

TEST(SettingsDlg, SpacedClassName) {
    EXPECT_EQ("Breadth First Unfolder", CSettingsDlg::SpacedClassName("BreadthFirstUnfolder"));
    EXPECT_EQ("Unfolder", CSettingsDlg::SpacedClassName("Unfolder"));
    EXPECT_EQ("", CSettingsDlg::SpacedClassName(""));
}

TEST(SettingsListDlg, BuildsThePanelsOfTheClassChainMostSpecificFirst) {
    SceneRoot root;
    auto* cube = new TestCube;
    cube->setParent(&root);
    auto* plain = new TestWatcher;
    plain->setParent(&root);

    CSettingsListDlg bar;
    int rebuilt = 0;
    bar.setPanelsChangedCallback([&] { ++rebuilt; });
    bar.setSelection(cube);
    const std::vector<CSettingsDlg*> panels = bar.getPanels();
    ASSERT_EQ(2u, panels.size());
    EXPECT_EQ("CTestCubeSettings", panels[0]->getClassName());
    EXPECT_EQ("CTestShapeSettings", panels[1]->getClassName());
    EXPECT_EQ(2u, cube->getSettingsDlgList().size());
    EXPECT_EQ(cube, panels[1]->getTarget());
    EXPECT_TRUE(bar.findPanel("CTestShapeSettings")->click("Next"));
    EXPECT_EQ(2.0, cube->size);

    bar.setSelection(cube); // same object: panels kept
    EXPECT_EQ(panels, bar.getPanels());
    EXPECT_EQ(1, rebuilt);

    // A class with no panel in its chain gets none; the old panels are dropped.
    bar.setSelection(plain);
    EXPECT_TRUE(bar.getPanels().empty());
    EXPECT_TRUE(cube->getSettingsDlgList().empty());
    EXPECT_EQ(1, plain->selectedCount);
    bar.setSelection(nullptr);
    EXPECT_EQ(3, rebuilt);
}

TEST(SettingsListDlg, DropsPanelsWhenTheSelectedObjectIsDeleted) {
    SceneRoot root;
    auto* shape = new TestShape;
    shape->setParent(&root);
    CSettingsListDlg bar;
    bar.setSelection(shape);
    ASSERT_EQ(1u, bar.getPanels().size());

    SceneObj::DelayedDelete(shape);
    SceneObj::ProcessDelayedOperations();
    EXPECT_EQ(nullptr, bar.getSelection());
    EXPECT_TRUE(bar.getPanels().empty());

    // Deleting the parent of the selection drops them as well.
    auto* parent = new TestShape;
    parent->setParent(&root);
    auto* child = new TestCube;
    child->setParent(parent);
    bar.setSelection(child);
    ASSERT_EQ(2u, bar.getPanels().size());
    delete parent;
    EXPECT_TRUE(bar.getPanels().empty());
}

TEST(SettingsDlg, ControlKeyIsHeldOnlyDuringAControlClick) {
    TestShape shape;
    auto panel = panelFor(shape);
    std::vector<bool> seen;
    panel->findControl(ControlKind::Button, "Next")->onAction = [&](SettingsControl&) {
        seen.push_back(panel->isControlKeyHeld());
    };
    EXPECT_TRUE(panel->clickWithControl("Next"));
    EXPECT_TRUE(panel->click("Next"));
    EXPECT_FALSE(panel->clickWithControl("Visible")) << "only buttons are clicked";
    EXPECT_EQ((std::vector<bool>{true, false}), seen);
    EXPECT_FALSE(panel->isControlKeyHeld());
}
