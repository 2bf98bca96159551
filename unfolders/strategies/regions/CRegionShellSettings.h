#pragma once

#include "scene/settings/CSettingsDlg.h"

class RegionShell;

/// The panel of a region's shell: "Select Unfolding" selects the region's own net (the
/// border-avoiding unfolder of a region of non-negative curvature).
class CRegionShellSettings : public CSettingsDlg {
    VORN_DECLARE_FACTORY(CRegionShellSettings)

    CRegionShellSettings() = default;

protected:
    void buildControls() override;

private:
    RegionShell* shell() const;
};
