#include "unfolders/engine/CUnfoldingAnimationSettings.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <unistd.h>
#include <utility>

#include "common/StatusLine.h"
#include "unfolders/engine/CapturePicturePath.h"
#include "common/UserPaths.h"
#include "scene/render/CairoRenderer.h"
#include "sorvex/PlanarConvexHull.h"
#include "unfolders/engine/UnfoldingAnimation.h"

using Sorvex::M3d;

VORN_DEFINE_FACTORY(CUnfoldingAnimationSettings, "CSettingsDlg")

namespace {

const char* const PolyCountText = "poly count goes here";
const char* const EfficiencyText = "efficiency goes here";
const char* const SliderLabel = "Fold";
const char* const PrinterError = "Printer error encountered.";
/// The size of movies and pictures the panel records.
constexpr int kMovieWidth = 640;
constexpr int kMovieHeight = 480;
/// The printed preview's side in pixels: about 300 per inch across a page.
constexpr int kPrintSide = 2400;

/// A mesh of the flat net: the animation's faces at fold fraction 0.
void buildFlatNet(const UnfoldingAnimation& anim, PolyMesh& out) {
    for (Poly* f : anim.getPolys()) {
        const AnimationFace* record = UnfoldingAnimation::GetRecord(f);
        if (!record)
            continue;
        std::vector<Vertex*> ring;
        for (const M3d& p : record->reference)
            ring.push_back(out.addVertexAt(p));
        out.addPoly(new Poly(ring), true);
    }
}

} // namespace

CUnfoldingAnimationSettings::CUnfoldingAnimationSettings() {
    RegisterSystemIdleHandler(this);
}

CUnfoldingAnimationSettings::~CUnfoldingAnimationSettings() {
    UnregisterSystemIdleHandler(this);
}

UnfoldingAnimation* CUnfoldingAnimationSettings::animation() const {
    return dynamic_cast<UnfoldingAnimation*>(getTarget());
}

std::string CUnfoldingAnimationSettings::MoviePath() {
    return JoinPath(GetUserDataDir(), "Capture.avi");
}

void CUnfoldingAnimationSettings::buildControls() {
    UnfoldingAnimation* anim = animation();
    if (!anim)
        return;
    setTitle(anim->getPanelTitle());

    beginGroup("Details");
    addStaticText("Poly count:");
    addStaticText(PolyCountText);
    addStaticText("Efficiency:");
    addStaticText(EfficiencyText);
    addButton("Print", [this] { print(); });
    addButton("Movie", [this] { toggleMovie(); });
    addButton("Pix", [this] { takePicture(); });
    addCanvas("Net Preview", [this](Renderer& r) { drawPreview(r); });

    beginGroup("Playback");
    const int percent = int(UnfoldingAnimation::getFoldPercent(anim->getTime()) * 100);
    addSlider(SliderLabel, 0, 100, percent, [this](int value) {
        if (UnfoldingAnimation* a = animation()) {
            a->pause();
            a->setFoldPercent(float(value) / 100.0f);
            a->flexFaces(UnfoldingAnimation::getFoldPercent(a->getTime()));
            a->onChanged(false);
        }
    });
    addButton("Stop", [this] {
        if (UnfoldingAnimation* a = animation())
            a->pause();
    });
    addButton("Play", [this] {
        if (UnfoldingAnimation* a = animation())
            a->play();
    });
}

void CUnfoldingAnimationSettings::refresh() {
    UnfoldingAnimation* anim = animation();
    if (!anim || !findControl(ControlKind::Slider, SliderLabel))
        return;
    showText(PolyCountText, std::to_string(anim->getPolyCount()));
    char text[32];
    std::snprintf(text, sizeof text, "%4.2f", getEfficiency());
    showText(EfficiencyText, text);
    showText("Movie", anim->getScreenCap() ? "Stop" : "Movie");
    showSlider(SliderLabel, int(UnfoldingAnimation::getFoldPercent(anim->getTime()) * 100));
}

double CUnfoldingAnimationSettings::getEfficiency() const {
    UnfoldingAnimation* anim = animation();
    if (!anim)
        return 0;
    PlanarConvexHull hull;
    double faceArea = 0;
    for (Poly* f : anim->getPolys()) {
        const AnimationFace* record = UnfoldingAnimation::GetRecord(f);
        if (!record)
            continue;
        // The shoelace area of the flat face in the net plane.
        const auto& ref = record->reference;
        double twice = 0;
        for (size_t i = 0; i < ref.size(); ++i) {
            const M3d& a = ref[i];
            const M3d& b = ref[(i + 1) % ref.size()];
            twice += a.x() * b.z() - b.x() * a.z();
            hull.addPoint(a, nullptr);
        }
        faceArea += std::fabs(twice) / 2;
    }
    return faceArea > 0 ? hull.getArea() / faceArea : 0;
}

void CUnfoldingAnimationSettings::drawPreview(Renderer& r) const {
    UnfoldingAnimation* anim = animation();
    if (!anim)
        return;
    for (Poly* f : anim->getPolys()) {
        const AnimationFace* record = UnfoldingAnimation::GetRecord(f);
        if (!record)
            continue;
        r.beginPolygon();
        r.color(0.8, 0.8, 0.8);
        for (const M3d& p : record->reference)
            r.vertex(M3d(p.x(), p.z(), 0));
        r.end();
        r.color(0.1, 0.1, 0.1);
        r.beginLineLoop();
        for (const M3d& p : record->reference)
            r.vertex(M3d(p.x(), p.z(), 0));
        r.end();
    }
}

bool CUnfoldingAnimationSettings::writePreview(const std::string& path, int width, int height,
                                               std::string& error) const {
    UnfoldingAnimation* anim = animation();
    if (!anim || anim->getPolyCount() == 0) {
        error = "the animation has no net to show";
        return false;
    }
    PolyMesh net;
    buildFlatNet(*anim, net);
    net.setRenderFaceEdges(true);
    net.setRenderBackFaces(true);
    CairoRenderer renderer;
    if (!renderer.initialise(width, height)) {
        error = renderer.getLastError();
        return false;
    }
    // Straight from below, the side the net's faces face; framed on every picture.
    const M3d centre = net.getCenter();
    renderer.getCamera().setLookAt(centre - M3d(0, 10, 0), centre, M3d(0, 0, 1));
    renderer.getCamera().setOrthographic(true);
    renderer.setBackground({1, 1, 1, 1});
    std::string ext = path.size() >= 4 ? path.substr(path.size() - 4) : std::string();
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    bool ok = false;
    if (ext == ".pdf")
        ok = renderer.render_pdf(net, path);
    else if (ext == ".eps")
        ok = renderer.render_eps(net, path, nullptr);
    else if (ext == ".svg")
        ok = renderer.render_svg(net, path);
    else
        ok = renderer.render_png(net, path);
    if (!ok)
        error = renderer.getLastError();
    return ok;
}

bool CUnfoldingAnimationSettings::print() {
    // The picture passes through a private file: printers take pictures, not canvases.
    std::string folder = (std::filesystem::temp_directory_path() / "vorn-print-XXXXXX").string();
    std::string error;
    bool printed = false;
    if (mkdtemp(folder.data())) {
        const std::string picture = JoinPath(folder, "net.png");
        PauseIdleLoop();
        printed = writePreview(picture, kPrintSide, kPrintSide, error) &&
                  CSettingsDlg::PrintPicture(picture, error);
        ResumeIdleLoop();
        std::remove(picture.c_str());
        rmdir(folder.c_str());
    } else {
        error = "no temporary folder for the picture";
    }
    if (!printed)
        StatusMessage("%s", PrinterError);
    return printed;
}

void CUnfoldingAnimationSettings::toggleMovie() {
    UnfoldingAnimation* anim = animation();
    if (!anim)
        return;
    if (anim->getScreenCap()) {
        anim->pause();
    } else {
        // One single run from the flat net: a movie of 91 frames.
        anim->pause();
        anim->setFoldPercent(0);
        anim->flexFaces(0);
        anim->setScreenCap(MoviePath(), kMovieWidth, kMovieHeight, false);
        anim->playOnce();
    }
    refresh();
}

std::string CUnfoldingAnimationSettings::takePicture() {
    UnfoldingAnimation* anim = animation();
    if (!anim)
        return {};
    const std::string path = NextCapturePicturePath("Capture");
    if (path.empty())
        return {};
    CairoRenderer renderer;
    renderer.initialise(kMovieWidth, kMovieHeight);
    renderer.setBackground({1, 1, 1, 1});
    if (!renderer.render_png(*anim, path)) {
        StatusMessage("CaptureScreen error : '%s'", renderer.getLastError().c_str());
        return {};
    }
    StatusMessage("Picture written to %s", path.c_str());
    return path;
}
