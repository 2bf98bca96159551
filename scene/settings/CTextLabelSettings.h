#pragma once

#include "scene/settings/CSettingsDlg.h"

class TextLabel;

/// The panel of text labels and annotations: one edit field "Text" whose every change is
/// the label's new text.
class CTextLabelSettings : public CSettingsDlg {
    VORN_DECLARE_FACTORY(CTextLabelSettings)

protected:
    void buildControls() override;

private:
    TextLabel* label() const;
};
