#pragma once

#include <string>

#include "scene/settings/CSettingsDlg.h"

class EdgeTreeUnfolder;

/// The tree-map searches' panel: a drawing of the current candidate tree over the source
/// faces' centres, the number of candidates with the share tried, the successes when every
/// one is counted, and why a run was refused.
class CEdgeTreeUnfolderSettings : public CSettingsDlg {
    VORN_DECLARE_FACTORY(CEdgeTreeUnfolderSettings)

    CEdgeTreeUnfolderSettings() = default;
    void refresh() override;

    /// "Unfoldings: %1.0f (%6.4f%%)".
    static std::string UnfoldingsText(double candidates, double progress);
    static constexpr const char* UnfoldingsLabel = "Unfoldings";
    static constexpr const char* SuccessesLabel = "Successes";
    static constexpr const char* RefusalLabel = "Refusal";

protected:
    void buildControls() override;

private:
    EdgeTreeUnfolder* unfolder() const;
    void drawCandidate(Renderer& r);
};
