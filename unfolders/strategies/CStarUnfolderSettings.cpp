#include "unfolders/strategies/CStarUnfolderSettings.h"

#include <cstdio>

#include "scene/ShortestPathViz.h"
#include "unfolders/strategies/StarUnfolder.h"

VORN_DEFINE_FACTORY(CStarUnfolderSettings, "CSettingsDlg")

StarUnfolder* CStarUnfolderSettings::unfolder() const {
    return dynamic_cast<StarUnfolder*>(getTarget());
}

std::string CStarUnfolderSettings::SourceText(const StarUnfolder& u) {
    const Sorvex::M3d& p = u.getSourcePoint();
    char text[160];
    std::snprintf(text, sizeof text, "Source: %s at (%.3g, %.3g, %.3g)",
                  u.isSourceFromViz() ? "shortest-path display" : "centre of the highest face",
                  p.x(), p.y(), p.z());
    return text;
}

std::string CStarUnfolderSettings::PathsText(StarUnfolder& u) {
    PolyMesh* mesh = u.getSource();
    if (!mesh)
        return "Shortest paths: no mesh";
    if (!u.isInitialised())
        return "Shortest paths: not enough memory";
    char text[96];
    std::snprintf(text, sizeof text, "Shortest paths: %4.2f%% of %i vertices",
                  double(100.0f * u.getPathProgress()), int(mesh->getVertexCount()));
    return text;
}

void CStarUnfolderSettings::placeSourceMarker() {
    StarUnfolder* u = unfolder();
    PolyMesh* mesh = u ? u->getSource() : nullptr;
    if (!mesh)
        return;
    for (SceneObj* child : mesh->getChildren())
        if (auto* viz = dynamic_cast<ShortestPathViz*>(child)) {
            SceneObj::DelayedSelect(viz);
            return;
        }
    auto* viz = new ShortestPathViz;
    viz->translate(u->getSourcePoint());
    if (!viz->setParent(mesh)) {
        delete viz;
        return;
    }
    SceneObj::DelayedSelect(viz);
}

void CStarUnfolderSettings::buildControls() {
    if (!unfolder())
        return;
    setTitle("Star Unfolder Settings");
    addStaticText(SourceLabel);
    addStaticText(PathsLabel);
    addButton("Place Source Marker", [this] { placeSourceMarker(); });
    addButton("Recut", [this] {
        if (StarUnfolder* u = unfolder())
            if (PolyMesh* mesh = u->getSource())
                u->setParent(mesh);
    });
}

void CStarUnfolderSettings::refresh() {
    if (StarUnfolder* u = unfolder()) {
        showText(SourceLabel, SourceText(*u));
        showText(PathsLabel, PathsText(*u));
    }
}
