#include "unfolders/strategies/CRandomCutUnfolderSettings.h"

#include <cstdio>

#include "unfolders/strategies/RandomCutUnfolder.h"

VORN_DEFINE_FACTORY(CRandomCutUnfolderSettings, "CSettingsDlg")

RandomCutUnfolder* CRandomCutUnfolderSettings::unfolder() const {
    return dynamic_cast<RandomCutUnfolder*>(getTarget());
}

std::string CRandomCutUnfolderSettings::Statistics(int successes, int nets) {
    // The share is shown in single precision, as the panel always has.
    const float percent = nets > 0 ? float(100.0 * successes / nets) : 0.0f;
    char text[96];
    std::snprintf(text, sizeof text, "%i successes in %i nets (%4.2f%%)", successes, nets,
                  double(percent));
    return text;
}

void CRandomCutUnfolderSettings::buildControls() {
    RandomCutUnfolder* u = unfolder();
    if (!u)
        return;
    setTitle("Random Unfolder Settings");
    addButton("Next", [this] {
        if (RandomCutUnfolder* target = unfolder())
            target->unfold();
    });
    addCheckBox("Repeat", u->isRepeating(), [this](bool on) {
        if (RandomCutUnfolder* target = unfolder())
            target->setRepeating(on);
    });
    addButton("View Last Success", [this] {
        if (RandomCutUnfolder* target = unfolder())
            target->lastSuccess();
    });
    addStaticText(StatisticsLabel);
}

void CRandomCutUnfolderSettings::refresh() {
    if (RandomCutUnfolder* u = unfolder())
        showText(StatisticsLabel, Statistics(u->getSuccessCount(), u->getNumUnfoldings()));
}
