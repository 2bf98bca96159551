#include "vorn/app/ViewNavigator.h"

#include "vorn/app/ViewGeometry.h"

bool ViewNavigator::press(Button button, int x, int y, const std::function<bool()>& isOnSelection) {
    if (m_button != Button::None || button == Button::None)
        return false;
    m_button = button;
    m_mode = Mode::Undecided;
    m_pressX = m_lastX = x;
    m_pressY = m_lastY = y;
    m_pressOnSelection = button == Button::Left && isOnSelection();
    return true;
}

ViewNavigator::Gesture ViewNavigator::move(int x, int y, bool buttonsHeld, bool ctrl, bool shift,
                                           bool hasSelection,
                                           const std::function<bool(bool)>& beginDrag) {
    if (m_button == Button::None)
        return buttonsHeld ? Gesture::None : Gesture::Hover;
    if (m_mode == Mode::Undecided) {
        if (!ViewGeometry::movedBeyondClick(m_pressX, m_pressY, x, y))
            return Gesture::None;
        if (m_button == Button::Middle)
            m_mode = Mode::Panning;
        else if (m_button == Button::Left && m_pressOnSelection && hasSelection) {
            if (beginDrag(ctrl && shift))
                m_mode = Mode::Dragging;
        } else
            m_mode = Mode::Orbiting;
    }
    m_fromX = m_lastX;
    m_fromY = m_lastY;
    m_lastX = x;
    m_lastY = y;
    switch (m_mode) {
    case Mode::Dragging:
        return ctrl && !shift ? Gesture::DragAlongView : Gesture::DragSelection;
    case Mode::Panning:
        return Gesture::Pan;
    default:
        return Gesture::Orbit;
    }
}

ViewNavigator::Release ViewNavigator::release(Button button, int x, int y) {
    if (button != m_button || button == Button::None)
        return Release::None;
    const Mode mode = m_mode;
    m_button = Button::None;
    m_mode = Mode::Undecided;
    if (mode == Mode::Dragging)
        return Release::EndDrag;
    if (button != Button::Left || mode != Mode::Undecided ||
        ViewGeometry::movedBeyondClick(m_pressX, m_pressY, x, y))
        return Release::None;
    return Release::Click;
}
