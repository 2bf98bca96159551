#pragma once

#include <string>

#include "scene/settings/CSettingsDlg.h"

class AlphaBetaUnfolder;

/// The alpha-beta cuts' panel: how many vertices are expanded (and whether the run
/// failed), and "Step" to expand the next one by hand.
class CAlphaBetaUnfolderSettings : public CSettingsDlg {
    VORN_DECLARE_FACTORY(CAlphaBetaUnfolderSettings)

    CAlphaBetaUnfolderSettings() = default;

    void refresh() override;
    /// "E of N vertices expanded", with " - no vertex left to expand" after a failure.
    static std::string ExpandedText(AlphaBetaUnfolder& u);
    static constexpr const char* ExpandedLabel = "Expanded";

protected:
    void buildControls() override;

private:
    AlphaBetaUnfolder* unfolder() const;
};
