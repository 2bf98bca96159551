#include "unfolders/strategies/CEvolvingUnfolderSettings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "scene/Renderer.h"
#include "unfolders/strategies/EvolvingUnfolder.h"

using Sorvex::M2d;
using Sorvex::M3d;

VORN_DEFINE_FACTORY(CEvolvingUnfolderSettings, "CSettingsDlg")

EvolvingUnfolder* CEvolvingUnfolderSettings::unfolder() const {
    return dynamic_cast<EvolvingUnfolder*>(getTarget());
}

void CEvolvingUnfolderSettings::buildControls() {
    if (!unfolder())
        return;
    setTitle("Evolving Unfolder Settings");
    SettingsControl& canvas = addCanvas(CanvasLabel, [this](Renderer& r) { paint(r); });
    canvas.onPointer = [this](double x, double y, bool released) { onPointer(x, y, released); };
    canvas.onResize = [this](int width, int /*height*/) { setCanvasWidth(width); };
    addStaticText(StatusLabel);
}

void CEvolvingUnfolderSettings::refresh() {
    EvolvingUnfolder* u = unfolder();
    if (!u)
        return;
    std::string status = u->getRefusal();
    if (status.empty()) {
        char text[96];
        std::snprintf(text, sizeof text, "%zu generations, %zu faces to go",
                      u->getUnfoldings().size(), u->getRemaining().size());
        status = text;
    }
    showText(StatusLabel, status);
}

void CEvolvingUnfolderSettings::paint(Renderer& r) {
    positions.clear();
    EvolvingUnfolder* u = unfolder();
    if (!u)
        return;
    int row = 0;
    for (const EvolvingUnfolder::Generation& generation : u->getUnfoldings()) {
        const double spacing = (canvasWidth - 16.0) / double(generation.size() + 1);
        int i = 0;
        for (const Tree<Poly*>& tree : generation) {
            const double x = 8 + spacing * ++i;
            const double y = -(RowSpacing / 2 + RowSpacing * row);
            positions[const_cast<Tree<Poly*>*>(&tree)] = M2d(x, y);
        }
        ++row;
    }
    // The frame makes the drawing as large as the canvas, so that it is shown 1:1.
    const double height = RowSpacing * std::max(row, 1);
    r.color(1, 1, 1);
    r.beginLineLoop();
    r.vertex(M3d(0, 0, -1));
    r.vertex(M3d(canvasWidth, 0, -1));
    r.vertex(M3d(canvasWidth, -height, -1));
    r.vertex(M3d(0, -height, -1));
    r.end();
    r.color(0.5, 0.5, 0.6);
    r.beginLines();
    for (const auto& [tree, linked] : u->getInheritance()) {
        auto from = positions.find(tree);
        for (Tree<Poly*>* other : linked) {
            auto to = positions.find(other);
            if (from == positions.end() || to == positions.end() || other < tree)
                continue;
            r.vertex(M3d(from->second.x(), from->second.y(), 0));
            r.vertex(M3d(to->second.x(), to->second.y(), 0));
        }
    }
    r.end();
    r.color(0.1, 0.2, 0.7);
    for (const auto& [tree, at] : positions) {
        // A small square per tree.
        r.beginPolygon();
        r.vertex(M3d(at.x() - 1.5, at.y() - 1.5, 0));
        r.vertex(M3d(at.x() + 1.5, at.y() - 1.5, 0));
        r.vertex(M3d(at.x() + 1.5, at.y() + 1.5, 0));
        r.vertex(M3d(at.x() - 1.5, at.y() + 1.5, 0));
        r.end();
    }
}

Tree<Poly*>* CEvolvingUnfolderSettings::treeAt(double x, double y) const {
    // Trees of a crowded row lie closer than the pick distance: the nearest one wins.
    Tree<Poly*>* nearest = nullptr;
    double nearestDistance = 0;
    for (const auto& [tree, at] : positions) {
        const double d = std::max(std::fabs(at.x() - x), std::fabs(at.y() - y));
        if (d <= PickDistance && (!nearest || d < nearestDistance)) {
            nearest = tree;
            nearestDistance = d;
        }
    }
    return nearest;
}

void CEvolvingUnfolderSettings::onPointer(double x, double y, bool released) {
    EvolvingUnfolder* u = unfolder();
    if (!u)
        return;
    Tree<Poly*>* tree = treeAt(x, y);
    if (tree && tree != shown) {
        u->showUnfolding(tree);
        shown = tree;
    } else if (!tree && released) {
        u->showUnfolding(nullptr);
        shown = nullptr;
    }
}
