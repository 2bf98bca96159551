#include "scene/settings/CTextLabelSettings.h"

#include "scene/TextLabel.h"

VORN_DEFINE_FACTORY(CTextLabelSettings, "CSettingsDlg")

TextLabel* CTextLabelSettings::label() const {
    return dynamic_cast<TextLabel*>(getTarget());
}

void CTextLabelSettings::buildControls() {
    TextLabel* shown = label();
    if (!shown)
        return;
    setTitle("Text Settings");
    addEdit("Text", shown->getText(), [this](const std::string& text) {
        if (TextLabel* edited = label())
            edited->setText(text);
    });
}
