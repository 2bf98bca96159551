#pragma once

#include "scene/Viewpoint.h"

#include <functional>
#include <string>
#include <vector>

class Renderer;
class SceneObj;

/// The kinds of control a settings panel can declare.
enum class ControlKind {
    CheckBox,
    Button,
    RadioGroup,
    Slider,
    Edit,
    StaticText,
    RendererPane, ///< a small view of a scene object
    Canvas,       ///< an area the panel draws itself
};

/// One control of a settings panel model: what the host shows and the code that runs when
/// the user changes it. Only the fields of its kind are used.
struct SettingsControl {
    ControlKind kind = ControlKind::StaticText;
    /// The label exactly as shown (a radio group's caption may be empty). Panels and tests
    /// find controls by kind and label.
    std::string label;
    /// The caption of the group box the control sits in, empty for none.
    std::string group;
    bool enabled = true;
    /// Shown when the pointer rests on the control (why a disabled control is disabled).
    std::string tooltip;

    bool checked = false;             ///< CheckBox
    std::vector<std::string> options; ///< RadioGroup: the button labels in order
    int selected = -1;                ///< RadioGroup: the chosen option, -1 for none
    int value = 0;                    ///< Slider
    int minValue = 0;                 ///< Slider
    int maxValue = 100;               ///< Slider
    std::string
        text; ///< Edit, StaticText: the current text; Button: a caption other than the label
    SceneObj* shown = nullptr;           ///< RendererPane: the object it shows (not owned)
    Viewpoint viewpoint;                 ///< RendererPane: its camera
    std::function<void(Renderer&)> draw; ///< Canvas: draws its content
    /// Canvas, optional: where the pointer is over the canvas, in the drawing's own units
    /// (the host maps its pixels through the view it draws with), and whether the left
    /// button was just released there.
    std::function<void(double x, double y, bool released)> onPointer;
    /// Canvas, optional: the canvas's size in pixels, told whenever it changes, so that a
    /// drawing laid out in pixel units is shown one unit to a pixel.
    std::function<void(int width, int height)> onResize;

    /// Runs after the user changed the value (or clicked a button).
    std::function<void(SettingsControl&)> onAction;
};
