#include "vorn/core/shapes/MathFn.h"
#include "vorn/core/shapes/ShapeSettings.h"

VORN_DEFINE_FACTORY(CMathFnSettings, "CSettingsDlg")

MathFn* CMathFnSettings::shape() const {
    return dynamic_cast<MathFn*>(getTarget());
}

void CMathFnSettings::buildControls() {
    MathFn* m = shape();
    if (!m)
        return;
    setTitle("Math Function Settings");
    std::vector<std::string> labels;
    int selected = -1;
    for (const MathFnShape& s : GetMathFnShapes()) {
        if (s.number == m->getWhich())
            selected = int(labels.size());
        labels.push_back(s.label);
    }
    addRadioGroup("", labels, selected, [this](int) { apply(); });
    auto onMove = [this](int) { apply(); };
    addSlider("DU", 0, 100, m->getDU() * 4 - 8, onMove);
    addSlider("DV", 0, 100, m->getDV() * 4 - 8, onMove);
}

void CMathFnSettings::apply() {
    MathFn* m = shape();
    if (!m)
        return;
    const int chosen = findControl(ControlKind::RadioGroup, "")->selected;
    const auto& shapes = GetMathFnShapes();
    const int which =
        chosen >= 0 && chosen < int(shapes.size()) ? shapes[chosen].number : m->getWhich();
    m->rebuild(which, findControl(ControlKind::Slider, "DU")->value / 4 + 2,
               findControl(ControlKind::Slider, "DV")->value / 4 + 2);
}
