#include "vorn/core/shapes/ShapeSettings.h"
#include "vorn/core/shapes/WitchHat.h"

#include <cmath>

VORN_DEFINE_FACTORY(CWitchHatSettings, "CSettingsDlg")

WitchHat* CWitchHatSettings::shape() const {
    return dynamic_cast<WitchHat*>(getTarget());
}

void CWitchHatSettings::buildControls() {
    WitchHat* w = shape();
    if (!w)
        return;
    setTitle("Witch's Hat Settings");
    auto onMove = [this](int) { apply(); };
    addSlider("Height", 0, 100, int(std::floor(w->getHeight() * 20)), onMove);
    addSlider("Belt", 0, 100, int(std::floor((w->getBelt() + 1) * 25)), onMove);
}

void CWitchHatSettings::apply() {
    if (WitchHat* w = shape())
        w->rebuild(findControl(ControlKind::Slider, "Height")->value / 20.0,
                   findControl(ControlKind::Slider, "Belt")->value / 25.0 - 1);
}
