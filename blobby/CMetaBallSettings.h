#pragma once

#include "scene/settings/CSettingsDlg.h"

class MetaBall;
class MetaLine;

/// The strength panel of a field source: a slider of strength·100 (-400 to 400) and an edit
/// field, kept in step; every change is applied with `setStrength`.
class CMetaBallSettings : public CSettingsDlg {
    VORN_DECLARE_FACTORY(CMetaBallSettings)

    /// A spin notification: codes 0, 2, 6 add 0.1, codes 1, 3, 7 subtract 0.1, others 0.
    void onSpin(int code);
    void refresh() override;

protected:
    void buildControls() override;

private:
    MetaBall* ball() const;
    void apply(double strength);
};

/// The connection panel of a line, shown below the strength panel its class inherits:
/// "Connect" makes the line wait for the next line selected, "Disconnect" takes it out of
/// its tree.
class CMetaLineSettings : public CSettingsDlg {
    VORN_DECLARE_FACTORY(CMetaLineSettings)

protected:
    void buildControls() override;

private:
    MetaLine* line() const;
};
