#include "vorn/core/shapes/BinTree.h"
#include "vorn/core/shapes/ShapeSettings.h"

#include <cmath>

VORN_DEFINE_FACTORY(CBinTreeSettings, "CSettingsDlg")

BinTree* CBinTreeSettings::shape() const {
    return dynamic_cast<BinTree*>(getTarget());
}

void CBinTreeSettings::buildControls() {
    BinTree* t = shape();
    if (!t)
        return;
    setTitle("BinTree Settings");
    auto onMove = [this](int) { apply(); };
    auto onCheck = [this](bool) { apply(); };
    addSlider("Peak Valence", 0, 100, t->getValence() * 10 - 30, onMove);
    addSlider("Subdivisions", 0, 100, t->getSubdivisions() * 10, onMove);
    addSlider("Twist", 0, 100, int(std::floor(t->getTwist() * 100)), onMove);
    addCheckBox("Chop", t->getChop(), onCheck);
    addCheckBox("Dual", t->getDual(), onCheck);
}

void CBinTreeSettings::apply() {
    BinTree* t = shape();
    if (!t)
        return;
    auto pos = [this](const char* label) { return findControl(ControlKind::Slider, label)->value; };
    auto box = [this](const char* label) {
        return findControl(ControlKind::CheckBox, label)->checked;
    };
    t->rebuild(pos("Peak Valence") / 10 + 3, pos("Subdivisions") / 10, box("Chop"), box("Dual"),
               pos("Twist") / 100.0);
}
