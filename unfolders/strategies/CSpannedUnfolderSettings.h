#pragma once

#include <string>

#include "scene/settings/CSettingsDlg.h"

class SpannedUnfolder;

/// The spanned search's panel: a slider over the trees that lays the chosen one out, the
/// position among the trees with the successes, a button to the next success (enabled once
/// there is one), and why a run was refused.
class CSpannedUnfolderSettings : public CSettingsDlg {
    VORN_DECLARE_FACTORY(CSpannedUnfolderSettings)

    CSpannedUnfolderSettings() = default;
    void refresh() override;

    /// "Unfolding %i of %i (%i successful)".
    static std::string PositionText(long long shown, int trees, int successes);
    static constexpr const char* SliderLabel = "Unfolding";
    static constexpr const char* PositionLabel = "Position";
    static constexpr const char* NextSuccessLabel = "Next Success";
    static constexpr const char* RefusalLabel = "Refusal";

protected:
    void buildControls() override;

private:
    SpannedUnfolder* unfolder() const;
};
