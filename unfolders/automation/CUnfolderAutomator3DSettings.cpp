#include "unfolders/automation/CUnfolderAutomator3DSettings.h"

#include "scene/settings/SaveFileChooser.h"
#include "unfolders/automation/UnfolderAutomator3D.h"

// The panel of a class is found by the class name with "Settings" appended.
VORN_DEFINE_FACTORY(CUnfolderAutomator3DSettings, "CSettingsDlg")

UnfolderAutomator3D* CUnfolderAutomator3DSettings::sweep() const {
    return dynamic_cast<UnfolderAutomator3D*>(getTarget());
}

void CUnfolderAutomator3DSettings::buildControls() {
    UnfolderAutomator3D* s = sweep();
    if (!s)
        return;
    setTitle("Unfolder Automator Settings");
    addCheckBox("Finalize", s->getFinalize(), [this](bool on) {
        if (UnfolderAutomator3D* s = sweep())
            s->setFinalize(on);
        refresh();
    });
    addEdit("Target:", s->getOutputTarget(), [this](const std::string& text) {
        if (UnfolderAutomator3D* s = sweep())
            s->setOutputTarget(text.c_str());
        refresh();
    });
    addButton("Browse...", [this] {
        UnfolderAutomator3D* s = sweep();
        if (!s)
            return;
        const std::string chosen = ChooseSaveFile(s->getOutputTarget(), "xml");
        if (!chosen.empty())
            s->setOutputTarget(chosen.c_str());
        refresh();
    });
    refresh();
}

void CUnfolderAutomator3DSettings::refresh() {
    UnfolderAutomator3D* s = sweep();
    if (!s || !findControl(ControlKind::CheckBox, "Finalize"))
        return;
    const bool open = !s->getStartedFinalizing();
    for (auto [kind, label] : {std::pair{ControlKind::CheckBox, "Finalize"},
                               std::pair{ControlKind::Edit, "Target:"},
                               std::pair{ControlKind::Button, "Browse..."}})
        enableControl(kind, label, open);
    showCheck("Finalize", s->getFinalize());
    showText("Target:", s->getOutputTarget());
}
