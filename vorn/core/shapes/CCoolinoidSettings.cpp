#include "vorn/core/shapes/Coolinoid.h"
#include "vorn/core/shapes/ShapeParams.h"
#include "vorn/core/shapes/ShapeSettings.h"

#include "common/Registry.h"
#include "common/StatusLine.h"
#include "common/TextUtil.h"
#include "common/XML.h"
#include "scene/Factory.h"

#include <memory>

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

/// The child of `c` of class `className`, or null.
SceneObj* findSweep(Coolinoid& c, const char* className) {
    for (SceneObj* child : c.getChildren())
        if (child->getClassName() == className)
            return child;
    return nullptr;
}

} // namespace

/// The sweep boxes: the class each starts and where the camera looks at it from.
const CCoolinoidSettings::SweepBox CCoolinoidSettings::kSweepBoxes[2] = {
    {"2D", "UnfolderAutomator",
     Viewpoint(Sorvex::M3d(0, 0, 0), Sorvex::M3d(0, 20, 0), Sorvex::M3d(1, 0, 0), 0)},
    {"3D", "UnfolderAutomator3D",
     Viewpoint(Sorvex::M3d(0, 0, 0), Sorvex::M3d(-20, 0, 0), Sorvex::M3d(0, 1, 0), 0)},
};

namespace {

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
    for (const SweepBox& box : kSweepBoxes) {
        const bool available = Factory::GetFactory(box.className) != nullptr;
        SettingsControl& check = addCheckBox(box.label, findSweep(*c, box.className) != nullptr,
                                             [this, &box](bool on) { toggleSweep(box, on); });
        // Without the unfolding library the sweeps cannot be built: say so on the box.
        check.enabled = available;
        if (!available)
            check.tooltip = kSweepTip;
    }
}

void CCoolinoidSettings::toggleSweep(const SweepBox& box, bool on) {
    Coolinoid* c = shape();
    if (!c)
        return;
    SceneObj* sweep = findSweep(*c, box.className);
    if (!on) {
        if (sweep)
            SceneObj::DelayedDelete(sweep);
        StatusMessage("Ready");
        return;
    }
    if (!sweep) {
        std::unique_ptr<Factorable> built(Factory::BuildObj(box.className));
        sweep = dynamic_cast<SceneObj*>(built.get());
        if (!sweep) {
            StatusMessage("%s is not in this build", box.className);
            return;
        }
        built.release();
        sweep->setParent(c);
        sweep->translate(Sorvex::M3d(0, 0, 20));
    }
    SceneObj::DelayedSelect(sweep);
    sweep->onFocusRequest(sweep, box.view);

    std::vector<std::pair<std::string, std::string>> stored;
    for (const SweepField& f : kSweepFields)
        stored.emplace_back(f.key, findControl(ControlKind::Edit, f.label)->text);
    SetRegistryStrings(kCoolinoidSection, stored);
    auto field = [this](const char* label) {
        double value = 0;
        parseDouble(findControl(ControlKind::Edit, label)->text, value);
        return value;
    };
    XML ranges(box.className);
    for (const char* axis : {"h", "k"}) {
        XML* node = ranges.add(axis);
        node->add("min", field((std::string(axis) + " min").c_str()));
        node->add("max", field((std::string(axis) + " max").c_str()));
        node->add("steps", field((std::string(axis) + " steps").c_str()));
    }
    XML* dim = ranges.add("dim", double(c->getDU()));
    dim->add("min", field("dim min"));
    dim->add("max", field("dim max"));
    try {
        sweep->read(ranges);
    } catch (const SceneReadError& e) {
        StatusMessage("%s: %s", box.className, e.what());
    }
}

void CCoolinoidSettings::apply() {
    Coolinoid* c = shape();
    if (!c)
        return;
    auto pos = [this](const char* label) { return findControl(ControlKind::Slider, label)->value; };
    c->rebuild(pos("du") + 3, pos("dv") + 3, pos("h") / 10.0, pos("k") * 0.125);
    StoreSettings(kCoolinoidSection, {IntSetting("du", c->getDU()), IntSetting("dv", c->getDV()),
                                      DoubleSetting("h", c->getH()), DoubleSetting("k", c->getK())});
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
