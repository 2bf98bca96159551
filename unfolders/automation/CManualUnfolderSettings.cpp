#include "unfolders/automation/CManualUnfolderSettings.h"

#include "unfolders/automation/ManualUnfolder.h"

VORN_DEFINE_FACTORY(CManualUnfolderSettings, "CSettingsDlg")

ManualUnfolder* CManualUnfolderSettings::unfolder() const {
    return dynamic_cast<ManualUnfolder*>(getTarget());
}

void CManualUnfolderSettings::buildControls() {
    ManualUnfolder* u = unfolder();
    if (!u)
        return;
    setTitle("Manual Unfolder Settings");
    addButton("Bevel", [this] {
        if (ManualUnfolder* target = unfolder())
            target->smartBevel();
    });
    addButton("Request Graph", [this] {
        if (ManualUnfolder* target = unfolder()) {
            target->getRequestedCutGraph() = target->getCutGraph();
            target->onChanged(false);
        }
    });
    addButton("Reset", [this] {
        if (ManualUnfolder* target = unfolder()) {
            target->getRequestedCutGraph().clear();
            target->onUpdated();
        }
    });
    addCheckBox("Restrict unfolding to requested cuts only", u->getOnlyKnown(), [this](bool on) {
        if (ManualUnfolder* target = unfolder())
            target->setOnlyKnown(on);
    });
    addCheckBox("Treat cut-graph as cut-path (ignore tips)", u->getCutPathMode(), [this](bool on) {
        if (ManualUnfolder* target = unfolder())
            target->setCutPathMode(on);
    });
}
