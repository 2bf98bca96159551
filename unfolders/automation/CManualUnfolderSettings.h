#pragma once

#include "scene/settings/CSettingsDlg.h"

class ManualUnfolder;

/// The manual unfolder's panel: bevel the tips of the requested cuts, take the
/// current net's cuts as the requests, clear the requests, and the two layout
/// switches (each also stored as the user's setting).
class CManualUnfolderSettings : public CSettingsDlg {
    VORN_DECLARE_FACTORY(CManualUnfolderSettings)

    CManualUnfolderSettings() = default;

protected:
    void buildControls() override;

private:
    ManualUnfolder* unfolder() const;
};
