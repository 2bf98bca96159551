#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/Registry.h"
#include "common/XML.h"
#include "tests/support/RecordingRenderer.h"
#include "tests/support/TestShapes.h"
#include "unfolders/engine/CUnfolderSettings.h"
#include "unfolders/engine/UnfolderColoriser.h"
#include "unfolders/engine/UnfolderStatus.h"
#include "unfolders/engine/tests/TestUnfolder.h"

using namespace testshapes;

namespace {

/// Points the settings store at a fresh folder for the test's lifetime.
class PrivateSettings : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("VORN_CONFIG_DIR");
        saved = old ? old : "";
        char pattern[] = "/tmp/vorn-unfolder-settings-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        folder = pattern;
        setenv("VORN_CONFIG_DIR", folder.c_str(), 1);
        ReloadRegistry();
    }
    void TearDown() override {
        if (saved.empty())
            unsetenv("VORN_CONFIG_DIR");
        else
            setenv("VORN_CONFIG_DIR", saved.c_str(), 1);
        ReloadRegistry();
        std::filesystem::remove_all(folder);
    }

    std::string saved;
    std::string folder;
};

/// An L-prism with two extra outline points: ten faces, and laid out from
/// the bottom exactly its two notch walls overlap.
std::unique_ptr<PolyMesh> tenFacePrism() {
    return prism({{0, 0}, {1, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}, {0, 1}}, 0.5);
}

void runToDone(TestUnfolder& u) {
    for (int tick = 0; tick < 6 && u.doneCalls == 0; ++tick)
        u.onSystemIdle();
}

} // namespace

using UnfolderPersistence = PrivateSettings;

TEST_F(UnfolderPersistence, ElementRoundTripKeepsTheSevenSwitchesAndNoNet) {
    auto mesh = prismCube();
    auto* u = new TestUnfolder;
    u->setParent(mesh.get());
    u->setDrawLines(true);
    u->setDrawBSP(true);
    u->setDrawCutGraph(false);
    u->setShowUnfoldingInScene(false);
    u->setCheckIntersections(false);
    XML xml("Unfolder");
    u->write(xml);
    EXPECT_EQ(nullptr, xml.child("AutoAnimateUnfolding"));
    ASSERT_NE(nullptr, xml.child("Faces"));
    EXPECT_EQ(size_t(0), xml.child("Faces")->getChildCount()) << "the net is not stored";
    EXPECT_EQ(size_t(1), u->getPolyCount()) << "writing keeps the net";
    EXPECT_EQ("false", xml.child("CheckIntersections")->getText());

    XML parsed;
    ASSERT_TRUE(parsed.parse(xml.toString()));
    TestUnfolder copy;
    copy.read(parsed);
    EXPECT_TRUE(copy.getDrawLines());
    EXPECT_TRUE(copy.getDrawBSP());
    EXPECT_FALSE(copy.getDrawHull());
    EXPECT_FALSE(copy.getDrawCutGraph());
    EXPECT_TRUE(copy.getDrawConflict());
    EXPECT_FALSE(copy.getShowUnfoldingInScene());
    EXPECT_FALSE(copy.getCheckIntersections());
    EXPECT_EQ(size_t(0), copy.getPolyCount());

    // Missing children keep the current values.
    XML sparse("Unfolder");
    sparse.add("DrawHull", true);
    TestUnfolder fresh;
    fresh.read(sparse);
    EXPECT_TRUE(fresh.getCheckIntersections());
    EXPECT_TRUE(fresh.getDrawHull());
    EXPECT_TRUE(fresh.getDrawCutGraph());
    EXPECT_FALSE(fresh.getAutoAnimate());
}

TEST_F(UnfolderPersistence, OnlyTheExactTextTrueSwitchesADisplayOn) {
    SetRegistryString("Settings", "ShowHullInNewUnfolders", "TRUE");
    SetRegistryString("Settings", "ShowBSPInNewUnfolders", "1");
    SetRegistryString("Settings", "ShowArcsInNewUnfolders", "true");
    SetRegistryString("Settings", "ShowCutGraphInNewUnfolders", "yes");
    SetRegistryString("Settings", "ShowTwinsInNewUnfolders", "True");
    TestUnfolder u;
    EXPECT_FALSE(u.getDrawHull());
    EXPECT_FALSE(u.getDrawBSP());
    EXPECT_TRUE(u.getDrawArcs());
    EXPECT_FALSE(u.getDrawCutGraph()) << "a stored value other than true is off";
    EXPECT_TRUE(u.getDrawConflict()) << "absent keys take their defaults";
    auto mesh = prismCube();
    auto* bound = new TestUnfolder;
    bound->setParent(mesh.get());
    EXPECT_FALSE(mesh->getRenderTwinnedInBlue());
}

TEST_F(UnfolderPersistence, PanelReportsFailureShareAndFaceCounts) {
    auto mesh = tenFacePrism();
    ASSERT_EQ(size_t(10), mesh->getPolyCount());
    auto* u = new TestUnfolder;
    u->stepsUntilDone = 1;
    u->setParent(mesh.get());
    std::unique_ptr<CSettingsDlg> panel(
        CUnfolderSettings::g_CUnfolderSettingsBuilder.createSettingsDlg(u));
    ASSERT_NE(nullptr, panel);
    EXPECT_EQ(" Unfolder Settings", panel->getTitle());
    auto text = [&](const char* label) {
        return panel->findControl(ControlKind::StaticText, label)->text;
    };
    EXPECT_EQ("10.00%", text("progress goes here"));
    EXPECT_EQ("1 / 10 (10.00%)", text("Message here"));

    runToDone(*u);
    panel->refresh();
    EXPECT_EQ(size_t(2), u->getConflicts().getVertexCount());
    EXPECT_EQ("Fail (80.00%)", text("progress goes here"));
    EXPECT_EQ("10 / 10 (100.00%)", text("Message here"));

    // The check boxes set the unfolder and the default for new ones.
    EXPECT_TRUE(panel->setCheck("Hull", true));
    EXPECT_TRUE(u->getDrawHull());
    EXPECT_EQ("true", GetRegistryString("Settings", "ShowHullInNewUnfolders", ""));
    EXPECT_TRUE(panel->setCheck("Twins", false));
    EXPECT_FALSE(mesh->getRenderTwinnedInBlue());
    EXPECT_TRUE(panel->selectRadio("Summed Curvature --> Height"));
    EXPECT_EQ("2", GetRegistryString("Settings", "GraphColorMode", ""));
    EXPECT_TRUE(panel->selectRadio("Cut Graph"));
    EXPECT_EQ(1, GetProfileInt("Settings", "UnfoldingDisplayMode", 0));

    // "Screenshot" writes the net's view as numbered pictures, never overwriting one.
    auto* unfolderPanel = dynamic_cast<CUnfolderSettings*>(panel.get());
    ASSERT_NE(nullptr, unfolderPanel);
    const std::string first = unfolderPanel->captureUnfoldingView();
    const std::string second = unfolderPanel->captureUnfoldingView();
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second);
    for (const std::string& path : {first, second}) {
        std::ifstream png(path, std::ios::binary);
        char magic[4] = {};
        png.read(magic, 4);
        EXPECT_EQ(std::string("\x89PNG", 4), std::string(magic, 4)) << path;
        if (!std::getenv("KEEP_CAPTURES"))
            std::remove(path.c_str());
    }
    EXPECT_TRUE(panel->findControl(ControlKind::Button, "Screenshot")->enabled);
}

TEST_F(UnfolderPersistence, PanelShowsSuccessForACleanNet) {
    auto mesh = cornerTetrahedron();
    auto* u = new TestUnfolder;
    u->stepsUntilDone = 1;
    u->setParent(mesh.get());
    runToDone(*u);
    EXPECT_EQ("Success", GetUnfolderResultText(*u));
    EXPECT_EQ("4 / 4 (100.00%)", GetUnfolderCountText(*u));
    TestUnfolder unbound;
    EXPECT_EQ("0 / 0 (0.00%)", GetUnfolderCountText(unbound));
}

TEST_F(UnfolderPersistence, DrawingFollowsTheSwitchOrderAndPaintsConflicts) {
    auto mesh = lPrism();
    auto* u = new TestUnfolder;
    u->stepsUntilDone = 1;
    u->setParent(mesh.get());
    runToDone(*u);
    u->setDrawCutGraph(true);
    u->setDrawHull(true);
    u->setDrawBSP(false);

    RecordingRenderer r;
    u->renderSelf(&r);
    const std::string calls = r.getCallNames();
    const size_t hull = calls.find("setLineWidth");
    const size_t tube = calls.find("renderTube");
    const size_t faces = calls.find("beginPolygon");
    ASSERT_NE(std::string::npos, hull);
    ASSERT_NE(std::string::npos, tube);
    ASSERT_NE(std::string::npos, faces);
    EXPECT_LT(hull, tube) << "the hull before the cut graph";
    EXPECT_LT(tube, faces) << "the cut graph before the net";

    RGBAColor colour;
    Poly* wall = mesh->getPoly(2)->getTwin();
    ASSERT_TRUE(UnfolderColoriser::Shared().getFaceColor(&r, *u, *wall, colour));
    EXPECT_DOUBLE_EQ(0.45, colour.r);
    EXPECT_DOUBLE_EQ(0.25, colour.g);
    EXPECT_DOUBLE_EQ(0.25, colour.b);
    ASSERT_TRUE(UnfolderColoriser::Shared().getFaceColor(&r, *u, *u->getUnfoldingRoot(), colour));
    EXPECT_DOUBLE_EQ(u->getColor().r, colour.r);
    u->setDrawConflict(false);
    ASSERT_TRUE(UnfolderColoriser::Shared().getFaceColor(&r, *u, *wall, colour));
    EXPECT_DOUBLE_EQ(u->getColor().g, colour.g);

    // Overlap colours are keyed by the overlap graph: a view keeps the faces' colours
    // while the graph stands still and recolours them once it was found again.
    UnfolderColoriser& coloriser = UnfolderColoriser::Shared();
    std::uint64_t plain = 0, first = 0, again = 0, refound = 0;
    ASSERT_TRUE(coloriser.getColourKey(&r, *u, plain));
    u->setDrawConflict(true);
    ASSERT_TRUE(coloriser.getColourKey(&r, *u, first));
    ASSERT_TRUE(coloriser.getColourKey(&r, *u, again));
    EXPECT_EQ(first, again);
    EXPECT_NE(plain, first);
    u->findConflicts();
    ASSERT_TRUE(coloriser.getColourKey(&r, *u, refound));
    EXPECT_NE(first, refound);
}

TEST_F(UnfolderPersistence, PanelViewShowsTheNetOrTheCutGraphAsChosen) {
    auto mesh = meshOf(tetrahedron());
    auto* u = new TestUnfolder;
    u->stepsUntilDone = 1;
    u->setParent(mesh.get());
    runToDone(*u);
    ASSERT_EQ(size_t(4), u->getPolyCount());
    const size_t cutEdges = u->getCutGraph().getEdgeCount();
    ASSERT_GT(cutEdges, size_t(0));
    std::unique_ptr<CSettingsDlg> panel(
        CUnfolderSettings::g_CUnfolderSettingsBuilder.createSettingsDlg(u));
    auto draw = [&] {
        RecordingRenderer r;
        panel->findControl(ControlKind::Canvas, "Cut Graph View")->draw(r);
        return r;
    };

    // "Unfolding" (the default): one polygon per net face, the net plane's
    // (x, z) turned to face the canvas.
    RecordingRenderer net = draw();
    EXPECT_EQ(size_t(4), net.count("beginPolygon"));
    Poly* first = u->getPoly(0);
    bool found = false;
    for (const RecordedCall& c : net.getCalls())
        found =
            found || c.world == Sorvex::M3d(first->getVertex(0)->x(), first->getVertex(0)->z(), 0);
    EXPECT_TRUE(found) << "a net corner appears as (x, z, 0)";

    // "Cut Graph": one quad per cut edge; the choice is stored and read back.
    EXPECT_TRUE(panel->selectRadio("Cut Graph"));
    EXPECT_EQ(cutEdges, draw().count("beginPolygon"));
    std::unique_ptr<CSettingsDlg> second(
        CUnfolderSettings::g_CUnfolderSettingsBuilder.createSettingsDlg(u));
    EXPECT_EQ(1, second->findControl(ControlKind::RadioGroup, "Cut Graph")->selected);
    EXPECT_EQ(cutEdges, [&] {
        RecordingRenderer r;
        second->findControl(ControlKind::Canvas, "Cut Graph View")->draw(r);
        return r.count("beginPolygon");
    }());
}

TEST_F(UnfolderPersistence, PanelUnfoldingViewFramesTheNetAsItGrows) {
    auto mesh = meshOf(icosahedron());
    auto* u = new TestUnfolder;
    u->stepsUntilDone = 1;
    u->setParent(mesh.get());
    // Made while the net is still empty, as when a strategy is attached and selected.
    std::unique_ptr<CSettingsDlg> panel(
        CUnfolderSettings::g_CUnfolderSettingsBuilder.createSettingsDlg(u));
    const SettingsControl* view = panel->findControl(ControlKind::RendererPane, "Unfolding");
    ASSERT_NE(nullptr, view);
    std::vector<const SettingsControl*> told;
    panel->setViewListener([&told](const SettingsControl& c) { told.push_back(&c); });

    runToDone(*u);
    ASSERT_EQ(size_t(20), u->getPolyCount());
    panel->refresh();
    ASSERT_TRUE(view->viewpoint.isValid());
    EXPECT_NE(told.end(), std::find(told.begin(), told.end(), view)) << "the view is told";
    const double radius = view->viewpoint.getDiameter() / 2;
    for (Vertex* v : u->getVertices())
        EXPECT_LE((*v - view->viewpoint.getTarget()).length(), radius * (1 + 1e-9))
            << "every net corner lies within the framed diameter";

    // Unchanged net, unchanged view: a refresh on every idle tick tells nothing new.
    told.clear();
    panel->refresh();
    panel->refresh();
    EXPECT_TRUE(told.empty() || std::find(told.begin(), told.end(), view) == told.end());
}
