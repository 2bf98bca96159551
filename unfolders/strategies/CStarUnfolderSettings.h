#pragma once

#include <string>

#include "scene/settings/CSettingsDlg.h"

class StarUnfolder;

/// The star cuts' panel: where the source point is and how far the shortest paths have
/// come. "Place Source Marker" puts a shortest-path display at the source point (the
/// user drags it to move the source); "Recut" starts again from the display's point,
/// reusing the paths the mesh has already computed.
class CStarUnfolderSettings : public CSettingsDlg {
    VORN_DECLARE_FACTORY(CStarUnfolderSettings)

    CStarUnfolderSettings() = default;

    void refresh() override;

    /// "Source: ..." for the panel: where the point comes from and where it is.
    static std::string SourceText(const StarUnfolder& u);
    /// "Shortest paths: ..." for the panel.
    static std::string PathsText(StarUnfolder& u);

    static constexpr const char* SourceLabel = "Source";
    static constexpr const char* PathsLabel = "Paths";

protected:
    void buildControls() override;

private:
    StarUnfolder* unfolder() const;
    void placeSourceMarker();
};
