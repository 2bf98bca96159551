#include "blobby/CMetaBallSettings.h"

#include "blobby/MetaLine.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

VORN_DEFINE_FACTORY(CMetaBallSettings, "CSettingsDlg")
VORN_DEFINE_FACTORY(CMetaLineSettings, "CSettingsDlg")

namespace {

constexpr const char* StrengthLabel = "Strength";

std::string strengthText(double s) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%f", s);
    return buf;
}

} // namespace

MetaBall* CMetaBallSettings::ball() const {
    return dynamic_cast<MetaBall*>(getTarget());
}

void CMetaBallSettings::buildControls() {
    MetaBall* b = ball();
    if (!b)
        return;
    setTitle("MetaBall");
    addSlider(StrengthLabel, -400, 400, int(b->getStrength() * 100),
              [this](int value) { apply(value / 100.0); });
    addEdit(StrengthLabel, strengthText(b->getStrength()), [this](const std::string& text) {
        char* end = nullptr;
        const double s = std::strtod(text.c_str(), &end);
        // Text that is not a finite number leaves the strength as it was.
        if (end == text.c_str() || !std::isfinite(s)) {
            refresh();
            return;
        }
        apply(s);
    });
}

void CMetaBallSettings::apply(double strength) {
    if (MetaBall* b = ball())
        b->setStrength(strength);
    refresh();
}

void CMetaBallSettings::onSpin(int code) {
    MetaBall* b = ball();
    if (!b)
        return;
    double step = 0;
    if (code == 0 || code == 2 || code == 6)
        step = 0.1;
    else if (code == 1 || code == 3 || code == 7)
        step = -0.1;
    apply(b->getStrength() + step);
}

void CMetaBallSettings::refresh() {
    if (MetaBall* b = ball()) {
        showSlider(StrengthLabel, int(b->getStrength() * 100));
        showText(StrengthLabel, strengthText(b->getStrength()));
    }
}

MetaLine* CMetaLineSettings::line() const {
    return dynamic_cast<MetaLine*>(getTarget());
}

void CMetaLineSettings::buildControls() {
    if (!line())
        return;
    setTitle("MetaLine");
    addButton("Connect", [this] {
        if (MetaLine* l = line())
            MetaLine::SetConnectionAwaiter(l);
    });
    addButton("Disconnect", [this] {
        if (MetaLine* l = line())
            l->disconnect();
    });
}
