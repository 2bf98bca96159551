#include "unfolders/strategies/CEdgeTreeUnfolderSettings.h"

#include <cstdio>

#include "scene/Renderer.h"
#include "unfolders/strategies/EdgeTreeUnfolder.h"

using Sorvex::M3d;

VORN_DEFINE_FACTORY(CEdgeTreeUnfolderSettings, "CSettingsDlg")

EdgeTreeUnfolder* CEdgeTreeUnfolderSettings::unfolder() const {
    return dynamic_cast<EdgeTreeUnfolder*>(getTarget());
}

std::string CEdgeTreeUnfolderSettings::UnfoldingsText(double candidates, double progress) {
    char text[96];
    std::snprintf(text, sizeof text, "Unfoldings: %1.0f (%6.4f%%)", candidates, progress * 100);
    return text;
}

void CEdgeTreeUnfolderSettings::buildControls() {
    if (!unfolder())
        return;
    setTitle("Edge Tree Unfolder Settings");
    addCanvas("Candidate Tree", [this](Renderer& r) { drawCandidate(r); });
    addStaticText(UnfoldingsLabel);
    addStaticText(SuccessesLabel);
    addStaticText(RefusalLabel);
}

void CEdgeTreeUnfolderSettings::refresh() {
    EdgeTreeUnfolder* u = unfolder();
    if (!u)
        return;
    showText(UnfoldingsLabel, UnfoldingsText(u->getCandidateCount(), u->getProgress()));
    const int successes = u->getSuccessCount();
    showText(SuccessesLabel,
             successes == -1 ? std::string() : "Successes: " + std::to_string(successes));
    showText(RefusalLabel, u->getRefusal());
}

void CEdgeTreeUnfolderSettings::drawCandidate(Renderer& r) {
    EdgeTreeUnfolder* u = unfolder();
    FaceTreeMap* m = u ? u->getTreeMap() : nullptr;
    if (!m)
        return;
    // The candidate seen from above: each tree edge joins two face centres in (x, z).
    r.color(0.2, 0.4, 0.8);
    r.beginLines();
    for (const auto& [face, neighbours] : *m) {
        const M3d a = face->getCenter();
        for (Poly* n : neighbours) {
            if (n < face)
                continue; // each edge once
            const M3d b = n->getCenter();
            r.vertex(M3d(a.x(), a.z(), 0));
            r.vertex(M3d(b.x(), b.z(), 0));
        }
    }
    r.end();
}
