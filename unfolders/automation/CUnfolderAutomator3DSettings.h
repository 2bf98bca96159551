#pragma once

#include "scene/settings/CSettingsDlg.h"

class UnfolderAutomator3D;

/// "Unfolder Automator Settings": whether the 3D sweep streams its surface to a file
/// ("Finalize") and which ("Target:", "Browse..."). Once streaming has started the
/// controls are disabled.
class CUnfolderAutomator3DSettings : public CSettingsDlg {
    VORN_DECLARE_FACTORY(CUnfolderAutomator3DSettings)

    void refresh() override;

protected:
    void buildControls() override;

private:
    UnfolderAutomator3D* sweep() const;
};
