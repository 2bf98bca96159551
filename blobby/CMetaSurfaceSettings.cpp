#include "blobby/CMetaSurfaceSettings.h"

#include "blobby/MetaLine.h"
#include "blobby/MetaSurface.h"
#include "common/Registry.h"
#include "scene/mesh/PolyMesh.h"

#include <string>

VORN_DEFINE_FACTORY(CMetaSurfaceSettings, "CSettingsDlg")

namespace {

constexpr const char* Section = "Settings\\MetaSurface";
constexpr const char* MaxLabel = "Max Level";
constexpr const char* MinLabel = "Min Level";
constexpr const char* MaxText = "Max Level Value";
constexpr const char* MinText = "Min Level Value";
constexpr const char* LatestText = "Latest: 0";
constexpr const char* QueuedText = "TBD: 0";

} // namespace

CMetaSurfaceSettings::CMetaSurfaceSettings() {
    RegisterSystemIdleHandler(this);
}

CMetaSurfaceSettings::~CMetaSurfaceSettings() {
    UnregisterSystemIdleHandler(this);
}

MetaSurface* CMetaSurfaceSettings::surface() const {
    return dynamic_cast<MetaSurface*>(getTarget());
}

void CMetaSurfaceSettings::applyLevels() {
    if (MetaSurface* s = surface()) {
        s->setMinLevel(m_min);
        s->setMaxLevel(m_max);
    }
    refresh();
}

void CMetaSurfaceSettings::buildControls() {
    MetaSurface* s = surface();
    if (!s)
        return;
    setTitle("MetaSurface");
    m_max = s->getMaxLevel();
    m_min = s->getMinLevel();
    // Levels above the surface's limit cannot be chosen; the slider stops there.
    addSlider(MaxLabel, 1, MetaSurface::MaxAllowedLevel, m_max, [this](int v) {
        m_max = v;
        applyLevels();
    });
    addStaticText(MaxText);
    addSlider(MinLabel, 1, MetaSurface::MaxAllowedLevel, m_min, [this](int v) {
        m_min = v;
        applyLevels();
    });
    addStaticText(MinText);
    addStaticText(LatestText);
    addStaticText(QueuedText);

    addCheckBox("Draw Octree Cubes", s->getRenderOctreeCubes(), [this](bool on) {
        if (MetaSurface* t = surface())
            t->setRenderOctreeCubes(on);
    });
    addCheckBox("Slow Refine", s->getSlowRefine(), [this](bool on) {
        if (MetaSurface* t = surface())
            on ? t->setSlowRefine() : t->setFastRefine();
    });
    addCheckBox("Draw Face Edges", s->getRenderFaceEdges(), [this](bool on) {
        if (MetaSurface* t = surface())
            t->setRenderFaceEdges(on);
    });
    addCheckBox("Paused", s->getPaused(), [this](bool on) {
        if (MetaSurface* t = surface())
            t->setPaused(on);
    });
    for (const char* key : {"SmoothPMeshXY", "SmoothPMeshYZ", "SmoothPMeshXZ"})
        addCheckBox(key, GetRegistryString(Section, key, "") == "true",
                    [key](bool on) { SetRegistryString(Section, key, on ? "true" : "false"); });

    addButton("Add MetaLine", [this] {
        if (MetaSurface* t = surface())
            (new MetaLine(1.0))->setParent(t);
    });
    addButton("Generate PolyMesh", [this] {
        if (MetaSurface* t = surface())
            if (PolyMesh* mesh = t->generatePolyMesh())
                SceneObj::DelayedSelect(mesh);
    });
}

void CMetaSurfaceSettings::refresh() {
    MetaSurface* s = surface();
    if (!s)
        return;
    showSlider(MaxLabel, s->getMaxLevel());
    showSlider(MinLabel, s->getMinLevel());
    showText(MaxText, std::to_string(s->getMaxLevel()));
    showText(MinText, std::to_string(s->getMinLevel()));
    showText(LatestText, "Latest: " + std::to_string(s->getLatestLevel()));
    showText(QueuedText, "TBD: " + std::to_string(s->getOctreesInProgress().size()));
    showCheck("Paused", s->getPaused());
}
