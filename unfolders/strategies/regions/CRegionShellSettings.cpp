#include "unfolders/strategies/regions/CRegionShellSettings.h"

#include "unfolders/strategies/BorderAvoiderUnfolder.h"
#include "unfolders/strategies/regions/Region.h"
#include "unfolders/strategies/regions/RegionShell.h"

VORN_DEFINE_FACTORY(CRegionShellSettings, "CSettingsDlg")

RegionShell* CRegionShellSettings::shell() const {
    return dynamic_cast<RegionShell*>(getTarget());
}

void CRegionShellSettings::buildControls() {
    setTitle("Region Shell Settings");
    SettingsControl& select = addButton("Select Unfolding", [this] {
        RegionShell* s = shell();
        Region* region = s ? s->getRegion() : nullptr;
        if (BorderAvoiderUnfolder* net = region ? region->getUnfolder() : nullptr)
            SceneObj::DelayedSelect(net);
    });
    // A negative region has no net of its own to select.
    RegionShell* s = shell();
    if (!s || !s->getRegion() || !s->getRegion()->getUnfolder())
        enableControl(ControlKind::Button, select.label, false);
}
