#include "unfolders/strategies/CSpannedUnfolderSettings.h"

#include <algorithm>
#include <cstdio>

#include "unfolders/strategies/SpannedUnfolder.h"

VORN_DEFINE_FACTORY(CSpannedUnfolderSettings, "CSettingsDlg")

SpannedUnfolder* CSpannedUnfolderSettings::unfolder() const {
    return dynamic_cast<SpannedUnfolder*>(getTarget());
}

std::string CSpannedUnfolderSettings::PositionText(long long shown, int trees, int successes) {
    char text[96];
    std::snprintf(text, sizeof text, "Unfolding %lli of %i (%i successful)", shown, trees,
                  successes);
    return text;
}

void CSpannedUnfolderSettings::buildControls() {
    SpannedUnfolder* u = unfolder();
    if (!u)
        return;
    setTitle("Spanned Unfolder Settings");
    addSlider(SliderLabel, 0, std::max(u->getNumUnfoldings() - 1, 0), 0, [this](int i) {
        if (SpannedUnfolder* target = unfolder()) {
            // Choosing a tree shows it.
            target->selectUnfolding(i);
            target->unfold();
        }
    });
    addStaticText(PositionLabel);
    addButton(NextSuccessLabel, [this] {
        if (SpannedUnfolder* target = unfolder())
            target->nextSuccess();
    });
    addStaticText(RefusalLabel);
}

void CSpannedUnfolderSettings::refresh() {
    SpannedUnfolder* u = unfolder();
    if (!u)
        return;
    // The tree the net shows; before the first, the one that comes next.
    const long long shown = u->getShownUnfolding() >= 0 ? u->getShownUnfolding()
                                                        : u->getSelectedUnfolding();
    showText(PositionLabel, PositionText(shown + 1, u->getNumUnfoldings(), u->getSuccessCount()));
    showSlider(SliderLabel, int(shown));
    enableControl(ControlKind::Button, NextSuccessLabel, u->getSuccessCount() > 0);
    showText(RefusalLabel, u->getRefusal());
}
