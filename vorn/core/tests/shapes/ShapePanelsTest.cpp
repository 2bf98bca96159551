#include "vorn/core/shapes/BinTree.h"
#include "vorn/core/shapes/Coolinoid.h"
#include "vorn/core/shapes/MathFn.h"
#include "vorn/core/shapes/ShapeSettings.h"
#include "vorn/core/shapes/WitchHat.h"

#include "common/Registry.h"

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

    // The sweep boxes are there but cannot start anything yet.
    for (const char* box : {"2D", "3D"}) {
        const SettingsControl* check = panel.findControl(ControlKind::CheckBox, box);
        ASSERT_TRUE(check);
        EXPECT_FALSE(check->enabled);
        EXPECT_FALSE(check->tooltip.empty());
        EXPECT_FALSE(panel.setCheck(box, true));
    }
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
