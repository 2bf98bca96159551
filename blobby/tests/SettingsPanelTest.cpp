#include "blobby/CMetaBallSettings.h"
#include "blobby/CMetaSurfaceSettings.h"
#include "blobby/MetaLine.h"
#include "blobby/MetaSurface.h"
#include "common/Registry.h"
#include "scene/SceneRoot.h"
#include "scene/mesh/PolyMesh.h"

#include <gtest/gtest.h>

#include <memory>

using Sorvex::M3d;

namespace {

template <typename Panel> std::unique_ptr<Panel> panelFor(const char* name, SceneObj* target) {
    CSettingsDlg* dlg = Factory::GetFactory(name)->createSettingsDlg(target);
    return std::unique_ptr<Panel>(dynamic_cast<Panel*>(dlg));
}

} // namespace

TEST(MetaBallSettingsTest, SliderEditAndSpinStayInStep) {
    MetaBall ball(1.0);
    auto panel = panelFor<CMetaBallSettings>("CMetaBallSettings", &ball);
    ASSERT_NE(nullptr, panel);
    ASSERT_TRUE(panel->setSlider("Strength", 250));
    EXPECT_DOUBLE_EQ(2.5, ball.getStrength());
    EXPECT_EQ("2.500000", panel->findControl(ControlKind::Edit, "Strength")->text);
    ASSERT_TRUE(panel->setEdit("Strength", "-1.234"));
    EXPECT_DOUBLE_EQ(-1.234, ball.getStrength());
    EXPECT_EQ(-123, panel->findControl(ControlKind::Slider, "Strength")->value);
    panel->onSpin(0);
    EXPECT_NEAR(-1.134, ball.getStrength(), 1e-12);
    panel->onSpin(7);
    panel->onSpin(4);
    EXPECT_NEAR(-1.234, ball.getStrength(), 1e-12);
    panel->setEdit("Strength", "nan");
    EXPECT_NEAR(-1.234, ball.getStrength(), 1e-12) << "not a number: unchanged";
}

TEST(MetaLineSettingsTest, ConnectWaitsForTheNextSelection) {
    MetaSurface surface;
    auto* a = new MetaLine(1.0);
    auto* b = new MetaLine(1.0);
    a->setParent(&surface);
    b->setParent(&surface);
    auto panel = panelFor<CMetaLineSettings>("CMetaLineSettings", a);
    ASSERT_TRUE(panel->click("Connect"));
    b->onSelected(nullptr);
    EXPECT_EQ(a, b->getSource());
    auto other = panelFor<CMetaLineSettings>("CMetaLineSettings", b);
    ASSERT_TRUE(other->click("Disconnect"));
    EXPECT_EQ(nullptr, b->getSource());
    EXPECT_TRUE(a->getDestinations().empty());
}

TEST(MetaSurfaceSettingsTest, LevelsSwitchesAndButtons) {
    SceneRoot root;
    auto* surface = new MetaSurface;
    surface->setParent(&root);
    surface->setExtents(M3d(2, 2, 2), true);
    auto panel = panelFor<CMetaSurfaceSettings>("CMetaSurfaceSettings", surface);
    ASSERT_NE(nullptr, panel);
    ASSERT_TRUE(panel->click("Add MetaLine"));
    ASSERT_EQ(2u, surface->getChildren().size());
    EXPECT_NE(nullptr, dynamic_cast<MetaLine*>(surface->getChildren().back()));

    ASSERT_TRUE(panel->setSlider("Max Level", 4));
    EXPECT_EQ(4, surface->getMaxLevel());
    ASSERT_TRUE(panel->setSlider("Min Level", 2));
    EXPECT_EQ(2, surface->getMinLevel());
    ASSERT_TRUE(panel->setSlider("Max Level", 12));
    EXPECT_EQ(MetaSurface::MaxAllowedLevel, surface->getMaxLevel()) << "slider stops at 10";
    panel->setSlider("Max Level", 4);

    while (!surface->isDone() || !surface->getRoot())
        surface->refine(1000);
    panel->refresh();
    EXPECT_NE(nullptr, panel->findControl(ControlKind::StaticText, "TBD: 0"));
    EXPECT_EQ("TBD: 0", panel->findControl(ControlKind::StaticText, "TBD: 0")->text);
    EXPECT_EQ("Latest: 3", panel->findControl(ControlKind::StaticText, "Latest: 0")->text);

    ASSERT_TRUE(panel->setCheck("SmoothPMeshYZ", true));
    EXPECT_EQ("true", GetRegistryString("Settings\\MetaSurface", "SmoothPMeshYZ", ""));
    panel->setCheck("SmoothPMeshYZ", false);
    ASSERT_TRUE(panel->setCheck("Slow Refine", true));
    EXPECT_TRUE(surface->getSlowRefine());

    ASSERT_TRUE(panel->click("Generate PolyMesh"));
    ASSERT_EQ(2u, root.getChildren().size());
    EXPECT_NE(nullptr, dynamic_cast<PolyMesh*>(root.getChildren().back()));
    SceneObj::ProcessDelayedOperations();
}
