#include "vorn/core/shapes/BinTree.h"
#include "vorn/core/shapes/Coolinoid.h"
#include "vorn/core/shapes/MathFn.h"
#include "vorn/core/shapes/ShapeSettings.h"
#include "vorn/core/shapes/WitchHat.h"

#include "common/Registry.h"
#include "common/StatusLine.h"
#include "scene/HeightMap.h"

#include <gtest/gtest.h>

TEST(ShapePanels, CoolinoidSlidersMapAndAreStored) {
    Coolinoid c;
    c.rebuild(10, 12, 1.25, 2.5);
    CCoolinoidSettings panel;
    ASSERT_TRUE(panel.create(&c));
    EXPECT_EQ("Coolinoid Settings", panel.getTitle());
    EXPECT_EQ(7, panel.findControl(ControlKind::Slider, "du")->value);
    EXPECT_EQ(12, panel.findControl(ControlKind::Slider, "h")->value);
    EXPECT_EQ(20, panel.findControl(ControlKind::Slider, "k")->value);

    ASSERT_TRUE(panel.setSlider("du", 0));
    ASSERT_TRUE(panel.setSlider("k", 4));
    EXPECT_EQ(3, c.getDU());
    EXPECT_EQ(0.5, c.getK());
    EXPECT_EQ("3", GetRegistryString(kCoolinoidSection, "du", ""));
    EXPECT_EQ("0.500000", GetRegistryString(kCoolinoidSection, "k", ""));
    EXPECT_EQ("3", panel.findControl(ControlKind::StaticText, "du value")->text);
    // A later Coolinoid starts from the stored values.
    EXPECT_EQ(3, Coolinoid().getDU());

}

TEST(ShapePanels, CoolinoidSweepBoxesStartAndStopTheSweeps) {
    Coolinoid c;
    c.rebuild(9, 9, 3, 2.5);
    CCoolinoidSettings panel;
    ASSERT_TRUE(panel.create(&c));
    ASSERT_TRUE(panel.setEdit("h steps", "4"));
    ASSERT_TRUE(panel.setEdit("dim max", "12"));
    ASSERT_TRUE(panel.setCheck("2D", true));
    ASSERT_EQ(c.getChildren().size(), 1u);
    auto* map = dynamic_cast<HeightMap*>(c.getChildren()[0]);
    ASSERT_TRUE(map);
    EXPECT_EQ(map->getClassName(), "UnfolderAutomator");
    EXPECT_EQ(map->getTranslation(), Sorvex::M3d(0, 0, 20));
    // The sweep read the fields: 5 h values by 51 k values.
    EXPECT_EQ(map->getColumns(), 5);
    EXPECT_EQ(map->getRows(), 51);
    EXPECT_EQ("4", GetRegistryString(kCoolinoidSection, "automator_hSteps", ""));
    EXPECT_EQ("12", GetRegistryString(kCoolinoidSection, "automator_dimMax", ""));
    EXPECT_EQ("0.75", GetRegistryString(kCoolinoidSection, "automator_kMin", ""));

    // Setting the box again keeps the one sweep; a panel opened later shows it running.
    ASSERT_TRUE(panel.setCheck("2D", true));
    EXPECT_EQ(c.getChildren().size(), 1u);
    CCoolinoidSettings reopened;
    ASSERT_TRUE(reopened.create(&c));
    EXPECT_TRUE(reopened.findControl(ControlKind::CheckBox, "2D")->checked);
    EXPECT_FALSE(reopened.findControl(ControlKind::CheckBox, "3D")->checked);

    ASSERT_TRUE(panel.setCheck("3D", true));
    ASSERT_EQ(c.getChildren().size(), 2u);
    EXPECT_EQ(c.getChildren()[1]->getClassName(), "UnfolderAutomator3D");

    ASSERT_TRUE(panel.setCheck("2D", false));
    ASSERT_TRUE(panel.setCheck("3D", false));
    SceneObj::ProcessDelayedOperations();
    EXPECT_TRUE(c.getChildren().empty());
    EXPECT_EQ(GetLastStatusMessage(), "Ready");
}

TEST(ShapePanels, WitchHatBinTreeAndMathFnSliders) {
    WitchHat w;
    w.rebuild(2.0, 0.0);
    CWitchHatSettings hatPanel;
    ASSERT_TRUE(hatPanel.create(&w));
    EXPECT_EQ(40, hatPanel.findControl(ControlKind::Slider, "Height")->value);
    EXPECT_EQ(25, hatPanel.findControl(ControlKind::Slider, "Belt")->value);
    hatPanel.setSlider("Belt", 50);
    EXPECT_EQ(1.0, w.getBelt());

    BinTree t;
    CBinTreeSettings treePanel;
    ASSERT_TRUE(treePanel.create(&t));
    treePanel.setSlider("Peak Valence", 19);
    treePanel.setSlider("Subdivisions", 29);
    treePanel.setCheck("Dual", true);
    EXPECT_EQ(4, t.getValence());
    EXPECT_EQ(2, t.getSubdivisions());
    EXPECT_TRUE(t.getDual());

    MathFn m;
    m.rebuild(1010, 4, 3);
    CMathFnSettings fnPanel;
    ASSERT_TRUE(fnPanel.create(&m));
    EXPECT_EQ(8, fnPanel.findControl(ControlKind::Slider, "DU")->value);
    ASSERT_TRUE(fnPanel.selectRadio("Torus"));
    fnPanel.setSlider("DV", 11);
    EXPECT_EQ(1009, m.getWhich());
    EXPECT_EQ(4, m.getDV());
    EXPECT_EQ(1009, GetProfileInt(kMathFnSection, "which", 0));
}
