#pragma once

#include <string>

#include "scene/settings/CSettingsDlg.h"

class TotalUnfolder;

/// The total search's panel: the complete orders with the distinct trees among them, the
/// successes likewise once there is one, and why a run was refused.
class CTotalUnfolderSettings : public CSettingsDlg {
    VORN_DECLARE_FACTORY(CTotalUnfolderSettings)

    CTotalUnfolderSettings() = default;
    void refresh() override;

    static constexpr const char* UnfoldingsLabel = "Unfoldings";
    static constexpr const char* SuccessesLabel = "Successes";
    static constexpr const char* RefusalLabel = "Refusal";

protected:
    void buildControls() override;

private:
    TotalUnfolder* unfolder() const;
};
