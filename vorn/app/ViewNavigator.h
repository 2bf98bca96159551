#pragma once

#include <functional>

/// The mouse rules of the 3D view without the toolkit: which gesture a press, a move and
/// a release make. The view carries the gestures out (picking, camera moves, dragging).
///
/// A left press on the selection followed by a move beyond the click slop drags it (Ctrl:
/// along the view direction; Ctrl+Shift: a clone). A left drag that starts anywhere else
/// orbits, so a large model filling the view can still be turned without moving it by
/// accident. A right drag orbits as well, a middle drag pans. A left press and release
/// within the slop, with no gesture between, is a click. Only one button is followed at a
/// time; presses of others meanwhile are ignored.
class ViewNavigator {
public:
    enum class Button { None, Left, Right, Middle };
    /// What one mouse move does.
    enum class Gesture { None, Hover, DragSelection, DragAlongView, Pan, Orbit };
    /// What a release does.
    enum class Release { None, EndDrag, Click };

    /// A press of `button` at pixel (x, y). `isOnSelection` is asked for a left press
    /// only. False when the press is ignored (another button is followed, or `None`).
    bool press(Button button, int x, int y, const std::function<bool()>& isOnSelection);
    /// A move to (x, y). `buttonsHeld`: whether any button is down (a move with buttons
    /// down that are not followed does nothing). When a drag of the selection should
    /// start, `beginDrag(cloneFirst)` is called and answers whether it did; a refused drag
    /// orbits for this move and is tried again on the next. `getFrom` gives the pixel
    /// the gesture moves from.
    Gesture move(int x, int y, bool buttonsHeld, bool ctrl, bool shift, bool hasSelection,
                 const std::function<bool(bool cloneFirst)>& beginDrag);
    /// A release of `button` at (x, y).
    Release release(Button button, int x, int y);

    /// True while a button's press is being followed.
    bool isTracking() const { return m_button != Button::None; }
    int getFromX() const { return m_fromX; }
    int getFromY() const { return m_fromY; }

private:
    enum class Mode { Undecided, Dragging, Orbiting, Panning };

    Button m_button = Button::None;
    Mode m_mode = Mode::Undecided;
    bool m_pressOnSelection = false;
    int m_pressX = 0, m_pressY = 0;
    int m_lastX = 0, m_lastY = 0;
    int m_fromX = 0, m_fromY = 0;
};
