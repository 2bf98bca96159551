#pragma once

#include "scene/SceneObj.h"

class ManualUnfolder;
class Vertex;

/// One edge of a manual unfolder's source, drawn as a tube along the edge. A
/// click toggles the edge in the unfolder's requested cut graph; hovering
/// highlights it. A child of the manual unfolder, never saved, copied or deleted
/// on its own.
class ClickableLine : public SceneObj {
    VORN_DECLARE_FACTORY(ClickableLine)

    ClickableLine() = default;
    ClickableLine(Vertex* a, Vertex* b) : a(a), b(b) {}
    ~ClickableLine() override;

    Vertex* getA() const { return a; }
    Vertex* getB() const { return b; }
    /// The manual unfolder this line belongs to, or null.
    ManualUnfolder* getUnfolder();

    /// Toggles the edge and hands the selection to the unfolder.
    void onLButtonUp(const Sorvex::M3d& hitPoint) override;
    void onMouseOver(const Sorvex::M3d& hitPoint) override;
    void onMouseLeave() override;
    void renderSelf(Renderer* r) override;
    /// A line's drawing is kept until its look or its ends change.
    bool reusesDrawing() override { return true; }
    void refreshDrawingStamp() override;
    bool canSave() override { return false; }
    bool canCopy() override { return false; }
    bool canDelete() override { return false; }

    /// Tube radii in model units: the line, and the line under the mouse.
    static constexpr double Radius = 0.015;
    static constexpr double HoverRadius = 0.025;

private:
    /// How the line looks now: not drawn, hovered, requested cut, cut or fold edge.
    enum class Look { Hidden, Hovered, Requested, Cut, Fold };
    Look currentLook();

    Vertex* a = nullptr;
    Vertex* b = nullptr;
    /// What the drawing stamp was last refreshed for.
    Look drawnLook = Look::Hidden;
    Sorvex::M3d drawnA, drawnB;
};
