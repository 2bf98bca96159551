#include "unfolders/engine/CUnfolderSettings.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "common/Registry.h"
#include "common/StatusLine.h"
#include "unfolders/engine/CapturePicturePath.h"
#include "common/UserPaths.h"
#include "scene/mesh/CurvatureArmature.h"
#include "scene/render/CairoRenderer.h"
#include "scene/render/Camera.h"
#include "unfolders/automation/ManualUnfolder.h"
#include "unfolders/engine/Unfolder.h"
#include "unfolders/engine/UnfolderStatus.h"

using Sorvex::M3d;

VORN_DEFINE_FACTORY(CUnfolderSettings, "CSettingsDlg")

namespace {

const char* const Section = "Settings";
const char* const ResultText = "progress goes here";
const char* const CountText = "Message here";
// Size of the "Screenshot" picture of the panel's view.
constexpr int kCaptureWidth = 800;
constexpr int kCaptureHeight = 600;

/// A view from `direction` onto the box of `mesh`.
Viewpoint viewOf(PolyMesh& mesh, const M3d& direction, const M3d& up) {
    double low = 0, high = 0;
    mesh.getHeightRange(low, high);
    const M3d target = mesh.getCenter();
    double diameter = 0;
    for (Vertex* v : mesh.getVertices())
        diameter = std::max(diameter, 2 * (*v - target).length());
    if (diameter == 0)
        diameter = 1;
    return Viewpoint(target, target + direction * (2 * diameter), up, diameter);
}

/// A blank before every capital letter, as the panel titles show class names.
std::string spacedName(std::string_view name) {
    std::string spaced;
    for (char c : name) {
        if (c >= 'A' && c <= 'Z')
            spaced += ' ';
        spaced += c;
    }
    return spaced;
}

} // namespace

CUnfolderSettings::CUnfolderSettings() {
    RegisterSystemIdleHandler(this);
}

CUnfolderSettings::~CUnfolderSettings() {
    UnregisterSystemIdleHandler(this);
}

Unfolder* CUnfolderSettings::unfolder() const {
    return dynamic_cast<Unfolder*>(getTarget());
}

void CUnfolderSettings::addSwitch(const char* label, const char* key, bool on,
                                  void (Unfolder::*set)(bool)) {
    addCheckBox(label, on, [this, key, set](bool checked) {
        SetRegistryFlag(Section, key, checked);
        if (Unfolder* u = unfolder()) {
            (u->*set)(checked);
            u->onChanged(false);
        }
    });
}

void CUnfolderSettings::buildControls() {
    Unfolder* u = unfolder();
    if (!u)
        return;
    setTitle(spacedName(u->getClassName()) + " Settings");
    addRendererPane("Unfolding", u, viewOf(*u, M3d(0, -1, 0), M3d(0, 0, 1)));
    framedFaces = seenFaces = std::size_t(u->getPolyCount());
    seenChange = std::chrono::steady_clock::now();
    if (PolyMesh* source = u->getSource())
        addRendererPane("Source", source, viewOf(*source, M3d(1, 1, 1).normalized(), M3d(0, 1, 0)));

    beginGroup("Details");
    addSwitch("Twins", "ShowTwinsInNewUnfolders", u->getDrawTwins(), &Unfolder::setDrawTwins);
    addSwitch("Unfolding", "ShowUnfoldingInSceneInNewUnfolders", u->getShowUnfoldingInScene(),
              &Unfolder::setShowUnfoldingInScene);
    addSwitch("BSP", "ShowBSPInNewUnfolders", u->getDrawBSP(), &Unfolder::setDrawBSP);
    addSwitch("Arcs", "ShowArcsInNewUnfolders", u->getDrawArcs(), &Unfolder::setDrawArcs);
    addSwitch("Lines", "ShowLinesInNewUnfolders", u->getDrawLines(), &Unfolder::setDrawLines);
    addSwitch("Conflict", "ShowConflictInNewUnfolders", u->getDrawConflict(),
              &Unfolder::setDrawConflict);
    addSwitch("Hull", "ShowHullInNewUnfolders", u->getDrawHull(), &Unfolder::setDrawHull);
    addSwitch("Cut Graph", "ShowCutGraphInNewUnfolders", u->getDrawCutGraph(),
              &Unfolder::setDrawCutGraph);
    addSwitch("Convex CG", "ShowLocalConvexityInNewUnfolders", u->getDrawLocalConvexity(),
              &Unfolder::setDrawLocalConvexity);
    addSwitch("Heights", "ShowHeightBandsInNewUnfolders", u->getDrawHeightBands(),
              &Unfolder::setDrawHeightBands);

    addButton("Animate", [this] {
        if (Unfolder* target = unfolder())
            target->convertToAnimation(deleteSourceOnAnimate || isControlKeyHeld());
    });
    addButton("Screenshot", [this] { captureUnfoldingView(); });
    addButton("Edit", [this] {
        if (Unfolder* target = unfolder())
            ManualUnfolder::ReplaceUnfolder(*target);
    });

    displayMode = std::clamp(GetProfileInt(Section, "UnfoldingDisplayMode", 0), 0, 1);
    addRadioGroup("", {"Unfolding", "Cut Graph"}, displayMode, [this](int mode) {
        displayMode = mode;
        WriteProfileInt(Section, "UnfoldingDisplayMode", mode);
    });
    const int colorMode =
        std::clamp(std::atoi(GetRegistryString(Section, "GraphColorMode", "0").c_str()), 0, 2);
    addRadioGroup(
        "", {"No coloring", "Curvature --> Height", "Summed Curvature --> Height"}, colorMode,
        [](int mode) { SetRegistryString(Section, "GraphColorMode", std::to_string(mode)); });
    addCanvas("Cut Graph View", [this](Renderer& r) {
        if (displayMode == 0)
            drawNet(r);
        else
            drawCutGraph(r);
    });
    addStaticText(ResultText);
    addStaticText(CountText);
}

std::string CUnfolderSettings::captureUnfoldingView() {
    Unfolder* u = unfolder();
    if (!u)
        return {};
    const std::string path = NextCapturePicturePath(std::string(u->getClassName()));
    if (path.empty())
        return {};
    CairoRenderer renderer;
    if (!renderer.initialise(kCaptureWidth, kCaptureHeight)) {
        StatusMessage("CaptureScreen error : '%s'", renderer.getLastError().c_str());
        return {};
    }
    Camera camera;
    camera.setViewport(kCaptureWidth, kCaptureHeight);
    camera.setViewpoint(viewOf(*u, M3d(0, -1, 0), M3d(0, 0, 1)));
    renderer.setCamera(camera);
    renderer.setBackground({1, 1, 1, 1});
    if (!renderer.render_png(*u, path)) {
        StatusMessage("CaptureScreen error : '%s'", renderer.getLastError().c_str());
        return {};
    }
    StatusMessage("Unfolding picture written to %s", path.c_str());
    return path;
}

void CUnfolderSettings::refresh() {
    Unfolder* u = unfolder();
    if (!u || !findControl(ControlKind::StaticText, ResultText))
        return;
    showText(ResultText, GetUnfolderResultText(*u));
    showText(CountText, GetUnfolderCountText(*u));
    frameGrowingNet(*u);
}

void CUnfolderSettings::frameGrowingNet(Unfolder& u) {
    const std::size_t faces = std::size_t(u.getPolyCount());
    const auto now = std::chrono::steady_clock::now();
    if (faces != seenFaces) {
        seenFaces = faces;
        seenChange = now;
    }
    const bool grown = faces * 4 >= framedFaces * 5 + 4;
    const bool settled = now - seenChange >= SettledAfter;
    // Framing reads every net vertex: refreshes come on every idle tick, so it is done a
    // few times per net rather than on each.
    if (faces == framedFaces || faces == 0 || !(grown || settled))
        return;
    framedFaces = faces;
    showViewpoint("Unfolding", viewOf(u, M3d(0, -1, 0), M3d(0, 0, 1)));
}

void CUnfolderSettings::drawNet(Renderer& r) {
    Unfolder* u = unfolder();
    if (!u)
        return;
    // The canvas looks at its drawing from the front, so the net plane's
    // (x, z) become the picture's (x, y): the net as the panel's view from
    // below shows it, overlapping faces in the conflict colour.
    for (Poly* f : u->getPolys()) {
        r.beginPolygon();
        if (u->getDrawConflict() && u->getConflicted(f))
            r.color(0.45, 0.25, 0.25);
        else
            r.color(0.8, 0.8, 0.8);
        for (const Vertex* v : f->getVertices())
            r.vertex(M3d(v->x(), v->z(), 0));
        r.end();
    }
}

void CUnfolderSettings::drawCutGraph(Renderer& r) {
    Unfolder* u = unfolder();
    if (!u || !u->getSource())
        return;
    const int mode = std::atoi(GetRegistryString(Section, "GraphColorMode", "0").c_str());
    std::map<Vertex*, double> values;
    if (mode == 2) {
        u->sumCutGraph(values, false);
    } else if (mode == 1) {
        CurvatureArmature& armature = u->getSource()->getCurvature(false);
        for (const auto& [v, around] : u->getCutGraph())
            values[v] = armature.getCurvature(v);
    }
    // Each cut edge rises by its end vertices' values (negative ones count
    // as 0), coloured from blue (0) to red (1 and more).
    auto height = [&](Vertex* v) {
        auto it = values.find(v);
        return it == values.end() ? 0.0 : std::max(0.0, it->second);
    };
    auto tint = [&](double h) { r.color(std::min(h, 1.0), 0.2, 1 - std::min(h, 1.0)); };
    constexpr double Scale = 0.1;
    for (const auto& [v, around] : u->getCutGraph()) {
        for (Vertex* w : around) {
            if (!(v < w))
                continue;
            r.beginPolygon();
            tint(height(v));
            r.vertex(*v);
            tint(height(w));
            r.vertex(*w);
            r.vertex(*w + M3d(0, height(w) * Scale, 0));
            tint(height(v));
            r.vertex(*v + M3d(0, height(v) * Scale, 0));
            r.end();
        }
    }
}
