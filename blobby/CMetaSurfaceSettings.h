#pragma once

#include "common/IdleLoop.h"
#include "scene/settings/CSettingsDlg.h"

class MetaSurface;

/// The panel of a MetaSurface: level sliders with their values, the refinement progress
/// (refreshed on idle ticks), display and refinement switches, the stored smoothing
/// families, and buttons that add a line source and generate a mesh.
class CMetaSurfaceSettings : public CSettingsDlg, public SystemIdleHandler {
    VORN_DECLARE_FACTORY(CMetaSurfaceSettings)

    CMetaSurfaceSettings();
    ~CMetaSurfaceSettings() override;

    void refresh() override;
    void onSystemIdle() override { refresh(); }

protected:
    void buildControls() override;

private:
    MetaSurface* surface() const;
    void applyLevels();

    int m_max = 5;
    int m_min = 3;
};
