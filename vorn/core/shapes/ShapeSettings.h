#pragma once

#include "scene/Viewpoint.h"
#include "scene/settings/CSettingsDlg.h"

class BinTree;
class Coolinoid;
class MathFn;
class WitchHat;

/// The panels of the parametric shapes. Sliders run from 0 to 100 and rebuild the shape on
/// every move; on opening they show the shape's current values.

/// Sliders h, k, du, dv with the values beside them (du = pos + 3, dv = pos + 3,
/// h = pos / 10, k = pos × 0.125), the "Loop Eval" fields of the sweeps and the "2D" and
/// "3D" sweep boxes. Each move stores the four values in "Settings\Coolinoid".
class CCoolinoidSettings : public CSettingsDlg {
    VORN_DECLARE_FACTORY(CCoolinoidSettings)

    void refresh() override;

protected:
    void buildControls() override;

private:
    /// A box that starts and stops a parameter sweep.
    struct SweepBox {
        const char* label;
        const char* className;
        Viewpoint view;
    };
    static const SweepBox kSweepBoxes[2];

    Coolinoid* shape() const;
    /// Rebuilds from the four slider positions and stores the values.
    void apply();
    /// Set: finds or builds the sweep under the coolinoid, shows it, stores the eight fields
    /// and hands the sweep its ranges. Cleared: deletes the sweep.
    void toggleSweep(const SweepBox& box, bool on);
};

/// Sliders "Height" (pos / 20) and "Belt" (pos / 25 − 1).
class CWitchHatSettings : public CSettingsDlg {
    VORN_DECLARE_FACTORY(CWitchHatSettings)

protected:
    void buildControls() override;

private:
    WitchHat* shape() const;
    void apply();
};

/// Sliders "Peak Valence" (⌊pos / 10⌋ + 3), "Subdivisions" (⌊pos / 10⌋), "Twist"
/// (pos / 100) and the boxes "Chop" and "Dual".
class CBinTreeSettings : public CSettingsDlg {
    VORN_DECLARE_FACTORY(CBinTreeSettings)

protected:
    void buildControls() override;

private:
    BinTree* shape() const;
    void apply();
};

/// One radio button per shape and sliders "DU" and "DV" (⌊pos / 4⌋ + 2).
class CMathFnSettings : public CSettingsDlg {
    VORN_DECLARE_FACTORY(CMathFnSettings)

protected:
    void buildControls() override;

private:
    MathFn* shape() const;
    void apply();
};
