#include "vorn/app/SettingsBar.h"

#include "scene/SceneObj.h"
#include "scene/settings/CSettingsDlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <gtest/gtest.h>

#include <string>

/// A scene object with a few values for the bar to show.
class BarTestThing : public SceneObj {
    VORN_DECLARE_FACTORY(BarTestThing)

    bool flag = false;
    int presses = 0;
    int level = 3;
    int mode = 0;
};

/// Its panel: one control of each kind the bar hosts.
class CBarTestThingSettings : public CSettingsDlg {
    VORN_DECLARE_FACTORY(CBarTestThingSettings)

    void refresh() override {
        if (auto* t = thing())
            showText("status", "Presses: " + std::to_string(t->presses));
    }

protected:
    void buildControls() override {
        setTitle("Bar Test Thing");
        addCheckBox("Flag", false, [this](bool on) { thing()->flag = on; });
        addButton("Press", [this] { ++thing()->presses; });
        addSlider("Level", 0, 10, 3, [this](int v) { thing()->level = v; });
        addRadioGroup("Mode", {"Fast", "Slow"}, 0, [this](int i) { thing()->mode = i; });
        addStaticText("status");
    }

private:
    BarTestThing* thing() const { return dynamic_cast<BarTestThing*>(getTarget()); }
};

VORN_DEFINE_FACTORY(BarTestThing, "SceneObj")
VORN_DEFINE_FACTORY(CBarTestThingSettings, "CSettingsDlg")

namespace {

TEST(SettingsBarTest, WidgetsDriveThePanelModel) {
    SettingsBar bar;
    BarTestThing thing;
    bar.setSelection(&thing);
    CSettingsDlg* panel = bar.getList().findPanel("CBarTestThingSettings");
    ASSERT_NE(nullptr, panel);

    auto* flag = qobject_cast<QCheckBox*>(bar.findWidget(panel, "Flag"));
    ASSERT_NE(nullptr, flag);
    EXPECT_EQ(QString("Flag"), flag->text());
    flag->click();
    EXPECT_TRUE(thing.flag);
    flag->click();
    EXPECT_FALSE(thing.flag);

    auto* press = qobject_cast<QPushButton*>(bar.findWidget(panel, "Press"));
    ASSERT_NE(nullptr, press);
    press->click();
    press->click();
    EXPECT_EQ(2, thing.presses);

    QWidget* level = bar.findWidget(panel, "Level");
    ASSERT_NE(nullptr, level);
    level->findChild<QSlider*>()->setValue(7);
    EXPECT_EQ(7, thing.level);

    QWidget* mode = bar.findWidget(panel, "Mode");
    ASSERT_NE(nullptr, mode);
    const auto radios = mode->findChildren<QRadioButton*>();
    ASSERT_EQ(2, radios.size());
    EXPECT_TRUE(radios[0]->isChecked()) << "the model's initial choice is shown";
    radios[1]->click();
    EXPECT_EQ(1, thing.mode);
}

TEST(SettingsBarTest, RefreshShowsModelValues) {
    SettingsBar bar;
    BarTestThing thing;
    bar.setSelection(&thing);
    CSettingsDlg* panel = bar.getList().findPanel("CBarTestThingSettings");
    ASSERT_NE(nullptr, panel);
    thing.presses = 5;
    bar.refresh();
    auto* status = qobject_cast<QLabel*>(bar.findWidget(panel, "status"));
    ASSERT_NE(nullptr, status);
    EXPECT_EQ(QString("Presses: 5"), status->text());

    // A value set by the model (not the user) reaches the widget without running its code.
    panel->findControl(ControlKind::CheckBox, "Flag")->checked = true;
    bar.refresh();
    EXPECT_TRUE(qobject_cast<QCheckBox*>(bar.findWidget(panel, "Flag"))->isChecked());
    EXPECT_FALSE(thing.flag);
}

TEST(SettingsBarTest, SelectionChangesAndDestructionDropPanels) {
    SettingsBar bar;
    {
        BarTestThing thing;
        bar.setSelection(&thing);
        EXPECT_EQ(1u, bar.getList().getPanels().size());
    }
    EXPECT_TRUE(bar.getList().getPanels().empty()) << "a destroyed object takes its panels";
    bar.refresh();
    bar.setSelection(nullptr);
    EXPECT_TRUE(bar.getList().getPanels().empty());
}

} // namespace
