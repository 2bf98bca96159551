#pragma once

#include <map>
#include <string>

#include "scene/settings/CSettingsDlg.h"
#include "sorvex/M2d.h"
#include "unfolders/engine/Tree.h"

class EvolvingUnfolder;
class Poly;

/// The evolving unfolder's panel: one row per generation, its trees as points spread over
/// the canvas width, lines between trees linked across generations. Pointing at a tree
/// (within 4 pixels in x and y) lays it out as a net; releasing the button where there is
/// no tree shows the faces in place again. The drawing is laid out in pixel units: x to
/// the right from the left edge, y upwards from the top edge (rows go down).
class CEvolvingUnfolderSettings : public CSettingsDlg {
    VORN_DECLARE_FACTORY(CEvolvingUnfolderSettings)

    CEvolvingUnfolderSettings() = default;
    void refresh() override;

    /// Lays the rows out for a canvas `width` pixels wide and draws them.
    void paint(Renderer& r);
    /// The pointer at (x, y) in drawing units; see the class comment.
    void onPointer(double x, double y, bool released);
    /// The tree drawn within the pick distance of (x, y), or null.
    Tree<Poly*>* treeAt(double x, double y) const;
    /// Where each tree was drawn in the last paint.
    const std::map<Tree<Poly*>*, Sorvex::M2d>& getPositions() const { return positions; }
    void setCanvasWidth(int w) { canvasWidth = w; }

    static constexpr const char* CanvasLabel = "Generations";
    static constexpr const char* StatusLabel = "Status";
    /// How far (in pixels, along x and along y) the pointer may be from a tree.
    static constexpr double PickDistance = 4;
    static constexpr double RowSpacing = 20;

protected:
    void buildControls() override;

private:
    EvolvingUnfolder* unfolder() const;

    int canvasWidth = 300;
    std::map<Tree<Poly*>*, Sorvex::M2d> positions;
    /// The tree laid out last, so that moving over it does not lay it out again.
    Tree<Poly*>* shown = nullptr;
};
