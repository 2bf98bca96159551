#include "unfolders/strategies/CTotalUnfolderSettings.h"

#include <cstdio>

#include "unfolders/strategies/TotalUnfolder.h"

VORN_DEFINE_FACTORY(CTotalUnfolderSettings, "CSettingsDlg")

TotalUnfolder* CTotalUnfolderSettings::unfolder() const {
    return dynamic_cast<TotalUnfolder*>(getTarget());
}

void CTotalUnfolderSettings::buildControls() {
    if (!unfolder())
        return;
    setTitle("Total Unfolder Settings");
    addStaticText(UnfoldingsLabel);
    addStaticText(SuccessesLabel);
    addStaticText(RefusalLabel);
}

void CTotalUnfolderSettings::refresh() {
    TotalUnfolder* u = unfolder();
    if (!u)
        return;
    char text[96];
    std::snprintf(text, sizeof text, "Unfoldings: %i (%i unique)", u->getNumUnfoldings(),
                  u->getNumUnique());
    showText(UnfoldingsLabel, text);
    text[0] = '\0';
    if (u->getSuccessCount() > 0)
        std::snprintf(text, sizeof text, "Successes: %i (%i unique)", u->getSuccessCount(),
                      u->getUniqueSuccessCount());
    showText(SuccessesLabel, text);
    showText(RefusalLabel, u->getRefusal());
}
