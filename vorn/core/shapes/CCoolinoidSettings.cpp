#include "vorn/core/shapes/Coolinoid.h"
#include "vorn/core/shapes/ShapeParams.h"
#include "vorn/core/shapes/ShapeSettings.h"

#include "common/Registry.h"

#include <cmath>
#include <cstdio>

VORN_DEFINE_FACTORY(CCoolinoidSettings, "CSettingsDlg")

namespace {

/// The sweep fields: label, settings key, default.
struct SweepField {
    const char* label;
    const char* key;
    const char* def;
};
constexpr SweepField kSweepFields[] = {
    {"h min", "automator_hMin", "4"},        {"h max", "automator_hMax", "16"},
    {"h steps", "automator_hSteps", "50"},   {"k min", "automator_kMin", "0.75"},
    {"k max", "automator_kMax", "10"},       {"k steps", "automator_kSteps", "50"},
    {"dim min", "automator_dimMin", "5"},    {"dim max", "automator_dimMax", "35"},
};

constexpr const char* kSweepTip = "Parameter sweeps are not available in this build";

std::string number(double value) {
    char text[512];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

} // namespace

Coolinoid* CCoolinoidSettings::shape() const {
    return dynamic_cast<Coolinoid*>(getTarget());
}

void CCoolinoidSettings::buildControls() {
    Coolinoid* c = shape();
    if (!c)
        return;
    setTitle("Coolinoid Settings");
    auto onMove = [this](int) { apply(); };
    addSlider("h", 0, 100, int(std::floor(c->getH() * 10)), onMove);
    addStaticText("h value");
    addSlider("k", 0, 100, int(std::floor(c->getK() * 8)), onMove);
    addStaticText("k value");
    addSlider("du", 0, 100, c->getDU() - 3, onMove);
    addStaticText("du value");
    addSlider("dv", 0, 100, c->getDV() - 3, onMove);
    addStaticText("dv value");
    beginGroup("Loop Eval");
    for (const SweepField& f : kSweepFields)
        addEdit(f.label, GetRegistryString(kCoolinoidSection, f.key, f.def), {});
    beginGroup("");
    // The sweeps these boxes start are not built yet: shown, but disabled.
    for (const char* box : {"2D", "3D"}) {
        SettingsControl& check = addCheckBox(box, false, {});
        check.enabled = false;
        check.tooltip = kSweepTip;
    }
}

void CCoolinoidSettings::apply() {
    Coolinoid* c = shape();
    if (!c)
        return;
    auto pos = [this](const char* label) { return findControl(ControlKind::Slider, label)->value; };
    c->rebuild(pos("du") + 3, pos("dv") + 3, pos("h") / 10.0, pos("k") * 0.125);
    StoreSettingInt(kCoolinoidSection, "du", c->getDU());
    StoreSettingInt(kCoolinoidSection, "dv", c->getDV());
    StoreSettingDouble(kCoolinoidSection, "h", c->getH());
    StoreSettingDouble(kCoolinoidSection, "k", c->getK());
    refresh();
}

void CCoolinoidSettings::refresh() {
    Coolinoid* c = shape();
    if (!c || !findControl(ControlKind::StaticText, "h value"))
        return;
    showText("h value", number(c->getH()));
    showText("k value", number(c->getK()));
    showText("du value", number(c->getDU()));
    showText("dv value", number(c->getDV()));
}
