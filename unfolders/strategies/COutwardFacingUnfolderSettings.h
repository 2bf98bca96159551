#pragma once

#include <string>

#include "scene/settings/CSettingsDlg.h"

class OutwardFacingUnfolder;

/// The outward-facing cuts' panel: how many cuts are made, and "Step" to make the next
/// one by hand (the idle loop makes them too).
class COutwardFacingUnfolderSettings : public CSettingsDlg {
    VORN_DECLARE_FACTORY(COutwardFacingUnfolderSettings)

    COutwardFacingUnfolderSettings() = default;

    void refresh() override;
    /// "C cuts from V of N vertices".
    static std::string CutsText(OutwardFacingUnfolder& u);
    static constexpr const char* CutsLabel = "Cuts";

protected:
    void buildControls() override;

private:
    OutwardFacingUnfolder* unfolder() const;
};
