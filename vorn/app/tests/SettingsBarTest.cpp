#include "vorn/app/SettingsBar.h"

#include "scene/Factory.h"
#include "scene/mesh/Poly.h"
#include "scene/mesh/PolyMesh.h"
#include "scene/SceneObj.h"
#include "scene/Viewpoint.h"
#include "scene/render/CollectingRenderer.h"
#include "scene/settings/CSettingsDlg.h"
#include "vorn/app/SceneObjPane.h"
#include "vorn/app/render/CanvasPane.h"
#include "unfolders/engine/Unfolder.h"
#include "vorn/core/UnfoldingLibrary.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <gtest/gtest.h>

#include <memory>
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

TEST(SettingsBarTest, UnfolderPanelShowsItsViewsAndCutGraph) {
    std::string error;
    ASSERT_TRUE(LoadUnfoldingLibrary(&error)) << error;
    // A tetrahedron with a plain unfolder attached.
    auto mesh = std::make_unique<PolyMesh>();
    Vertex* a = mesh->addVertexAt(Sorvex::M3d(0, 0, 0));
    Vertex* b = mesh->addVertexAt(Sorvex::M3d(1, 0, 0));
    Vertex* c = mesh->addVertexAt(Sorvex::M3d(0, 0, 1));
    Vertex* d = mesh->addVertexAt(Sorvex::M3d(0, 1, 0));
    for (Poly* f : {new Poly{a, c, b}, new Poly{a, b, d}, new Poly{b, c, d}, new Poly{c, a, d}})
        mesh->addPoly(f);
    auto* unfolder = dynamic_cast<SceneObj*>(Factory::BuildObj("Unfolder"));
    ASSERT_NE(nullptr, unfolder);
    ASSERT_TRUE(unfolder->setParent(mesh.get()));

    SettingsBar bar;
    auto hint = [&bar]() -> std::string {
        auto* label = bar.widget()->findChild<QLabel*>("settingsHint");
        return label ? label->text().toStdString() : "";
    };
    EXPECT_NE(std::string::npos, hint().find("Click an object")) << "nothing selected";
    bar.setSelection(mesh.get());
    EXPECT_NE(std::string::npos, hint().find("Click its net")) << "a mesh being unfolded";
    bar.setSelection(unfolder);
    EXPECT_EQ("", hint()) << "panels shown, no hint";
    CSettingsDlg* panel = bar.getList().findPanel("CUnfolderSettings");
    ASSERT_NE(nullptr, panel);
    const auto panes = bar.widget()->findChildren<SceneObjPane*>();
    ASSERT_EQ(2, panes.size());
    EXPECT_EQ(unfolder, panes[0]->getObject()) << "the net first";
    EXPECT_EQ(mesh.get(), panes[1]->getObject()) << "then its source";
    EXPECT_TRUE(panes[0]->getFixedViewpoint().isValid());
    EXPECT_EQ(panel->getControls()[0]->viewpoint.getEye(), panes[0]->getFixedViewpoint().getEye());
    QWidget* canvasBox = bar.findWidget(panel, "Cut Graph View");
    ASSERT_NE(nullptr, canvasBox);
    auto* canvas = canvasBox->findChild<CanvasPane*>();
    ASSERT_NE(nullptr, canvas);
    EXPECT_TRUE(canvas->hasDraw());
    EXPECT_EQ(QString("Cut Graph View"), canvasBox->findChild<QLabel*>()->text());
    bar.refresh();

    // A viewpoint the panel sets (its net grew) reaches the pane with the next refresh, even
    // one after no change of the scene; refreshes that bring no new one leave the pane's
    // camera where the user turned it.
    const Viewpoint grown(Sorvex::M3d(1, 0, 1), Sorvex::M3d(1, -9, 1), Sorvex::M3d(0, 0, 1), 6.0);
    panel->findControl(ControlKind::RendererPane, "Unfolding")->viewpoint = grown;
    bar.refresh(false);
    EXPECT_TRUE(panes[0]->getFixedViewpoint().sameAs(grown));
    EXPECT_NEAR(0.0, (panes[0]->getCamera().getEye() - grown.getEye()).length(), 1e-9);
    panes[0]->getCamera().orbit(0.7);
    const Sorvex::M3d turned = panes[0]->getCamera().getEye();
    bar.refresh(false);
    bar.refresh(true);
    EXPECT_NEAR(0.0, (panes[0]->getCamera().getEye() - turned).length(), 1e-9);

    // Deselecting drops the panel; the old panes, deleted later, no longer reach it.
    QPointer<SceneObjPane> oldPane = panes[0];
    QPointer<CanvasPane> oldCanvas = canvas;
    bar.setSelection(nullptr);
    EXPECT_TRUE(bar.widget()->findChildren<SceneObjPane*>().empty());
    ASSERT_FALSE(oldPane.isNull()) << "deleted after the current event";
    EXPECT_EQ(nullptr, oldPane->getObject());
    ASSERT_FALSE(oldCanvas.isNull());
    EXPECT_FALSE(oldCanvas->hasDraw());
}

TEST(SettingsBarTest, EvolvingPanelCanvasFollowsThePointer) {
    std::string error;
    ASSERT_TRUE(LoadUnfoldingLibrary(&error)) << error;
    auto mesh = std::make_unique<PolyMesh>();
    Vertex* a = mesh->addVertexAt(Sorvex::M3d(0, 0, 0));
    Vertex* b = mesh->addVertexAt(Sorvex::M3d(1, 0, 0));
    Vertex* c = mesh->addVertexAt(Sorvex::M3d(0, 0, 1));
    Vertex* d = mesh->addVertexAt(Sorvex::M3d(0, 1, 0));
    for (Poly* f : {new Poly{a, c, b}, new Poly{a, b, d}, new Poly{b, c, d}, new Poly{c, a, d}})
        mesh->addPoly(f);
    // The library is loaded by name: the strategy is reached through the base's virtuals.
    auto* built = dynamic_cast<SceneObj*>(Factory::BuildObj("EvolvingUnfolder"));
    ASSERT_NE(nullptr, built);
    auto* unfolder = static_cast<Unfolder*>(built);
    ASSERT_TRUE(unfolder->setParent(mesh.get()));
    for (int tick = 0; tick < 20 && !unfolder->isDone(); ++tick)
        unfolder->onSystemIdle();
    ASSERT_TRUE(unfolder->isDone());

    SettingsBar bar;
    bar.setSelection(unfolder);
    CSettingsDlg* panel = bar.getList().findPanel("CEvolvingUnfolderSettings");
    ASSERT_NE(nullptr, panel);
    QWidget* canvasBox = bar.findWidget(panel, "Generations");
    ASSERT_NE(nullptr, canvasBox);
    auto* canvas = canvasBox->findChild<CanvasPane*>();
    ASSERT_NE(nullptr, canvas);
    EXPECT_TRUE(canvas->hasPointer());
    EXPECT_TRUE(canvas->hasMouseTracking());
    bar.QDockWidget::show();
    canvas->resize(300, 120);
    canvas->grabFramebuffer(); // paints where a GL context exists, framing the drawing
    // The model lays its rows out for the size it was told, when it draws.
    const SettingsControl* control = panel->findControl(ControlKind::Canvas, "Generations");
    ASSERT_TRUE(control && control->onResize && control->draw);
    control->onResize(300, 120);
    CollectingRenderer drawn;
    control->draw(drawn);

    // A tree chosen on the panel lays out; a release of the button on the canvas away from
    // every tree (the middle lies between the second and third of the four rows) shows the
    // faces in place again.
    ASSERT_TRUE(panel->pointAt("Generations", 150, -10, false));
    EXPECT_EQ(size_t(1), unfolder->getPolyCount());
    const QPointF middle(canvas->width() / 2.0, canvas->height() / 2.0);
    QMouseEvent release(QEvent::MouseButtonRelease, middle, canvas->mapToGlobal(middle),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &release);
    EXPECT_EQ(size_t(4), unfolder->getPolyCount());

    bar.setSelection(nullptr);
    EXPECT_FALSE(canvas->hasPointer()) << "the old canvas no longer reaches the panel";
}

} // namespace
