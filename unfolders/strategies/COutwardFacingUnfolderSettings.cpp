#include "unfolders/strategies/COutwardFacingUnfolderSettings.h"

#include <cstdio>

#include "unfolders/strategies/OutwardFacingUnfolder.h"

VORN_DEFINE_FACTORY(COutwardFacingUnfolderSettings, "CSettingsDlg")

OutwardFacingUnfolder* COutwardFacingUnfolderSettings::unfolder() const {
    return dynamic_cast<OutwardFacingUnfolder*>(getTarget());
}

std::string COutwardFacingUnfolderSettings::CutsText(OutwardFacingUnfolder& u) {
    const int vertices = u.getSource() ? int(u.getSource()->getVertexCount()) : 0;
    char text[96];
    std::snprintf(text, sizeof text, "%i cuts from %i of %i vertices",
                  int(u.getCutGraph().getEdgeCount()), u.getVisitedCount(), vertices);
    return text;
}

void COutwardFacingUnfolderSettings::buildControls() {
    if (!unfolder())
        return;
    setTitle("Outward Facing Unfolder Settings");
    addStaticText(CutsLabel);
    addButton("Step", [this] {
        if (OutwardFacingUnfolder* u = unfolder(); u && !u->isDone()) {
            u->unfold();
            if (u->isDone())
                u->onDone();
        }
    });
}

void COutwardFacingUnfolderSettings::refresh() {
    if (OutwardFacingUnfolder* u = unfolder())
        showText(CutsLabel, CutsText(*u));
}
