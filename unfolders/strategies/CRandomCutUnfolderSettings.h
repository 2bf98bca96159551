#pragma once

#include <string>

#include "scene/settings/CSettingsDlg.h"

class RandomCutUnfolder;

/// The random cut strategies' panel: "Next" draws one tree, "Repeat" keeps
/// drawing on idle ticks, "View Last Success" shows the last successful net,
/// and the statistics line counts successes among the distinct trees drawn.
class CRandomCutUnfolderSettings : public CSettingsDlg {
    VORN_DECLARE_FACTORY(CRandomCutUnfolderSettings)

    CRandomCutUnfolderSettings() = default;

    /// Refreshes the statistics line.
    void refresh() override;

    /// "S successes in N nets (P%)", P with two decimals and 0 before any net.
    static std::string Statistics(int successes, int nets);
    /// The name of the statistics line among the controls.
    static constexpr const char* StatisticsLabel = "Statistics";

protected:
    void buildControls() override;

private:
    RandomCutUnfolder* unfolder() const;
};
