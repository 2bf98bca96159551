#include "unfolders/strategies/CAlphaBetaUnfolderSettings.h"

#include <cstdio>

#include "unfolders/strategies/AlphaBetaUnfolder.h"

VORN_DEFINE_FACTORY(CAlphaBetaUnfolderSettings, "CSettingsDlg")

AlphaBetaUnfolder* CAlphaBetaUnfolderSettings::unfolder() const {
    return dynamic_cast<AlphaBetaUnfolder*>(getTarget());
}

std::string CAlphaBetaUnfolderSettings::ExpandedText(AlphaBetaUnfolder& u) {
    const int vertices = u.getSource() ? int(u.getSource()->getVertexCount()) : 0;
    char text[128];
    std::snprintf(text, sizeof text, "%i of %i vertices expanded%s", u.numExpanded(), vertices,
                  u.hasFailed() ? " - no vertex left to expand" : "");
    return text;
}

void CAlphaBetaUnfolderSettings::buildControls() {
    if (!unfolder())
        return;
    setTitle("Alpha Beta Unfolder Settings");
    addStaticText(ExpandedLabel);
    addButton("Step", [this] {
        if (AlphaBetaUnfolder* u = unfolder(); u && !u->isDone()) {
            u->unfold();
            if (u->isDone())
                u->onDone();
        }
    });
}

void CAlphaBetaUnfolderSettings::refresh() {
    if (AlphaBetaUnfolder* u = unfolder())
        showText(ExpandedLabel, ExpandedText(*u));
}
