#include "vorn/app/ViewNavigator.h"

#include <gtest/gtest.h>

namespace {

using Button = ViewNavigator::Button;
using Gesture = ViewNavigator::Gesture;
using Release = ViewNavigator::Release;

auto onSelection(bool answer) {
    return [answer] { return answer; };
}

/// Counts the drags the navigator starts and answers with `allow`.
struct DragStarter {
    bool allow = true;
    int calls = 0;
    bool lastClone = false;
    std::function<bool(bool)> fn() {
        return [this](bool clone) {
            ++calls;
            lastClone = clone;
            return allow;
        };
    }
};

TEST(ViewNavigator, LeftPressOnTheSelectionDragsItPastTheClickSlop) {
    ViewNavigator nav;
    DragStarter drag;
    ASSERT_TRUE(nav.press(Button::Left, 10, 10, onSelection(true)));
    EXPECT_EQ(Gesture::None, nav.move(13, 13, true, false, false, true, drag.fn()))
        << "3 pixels is still a click";
    EXPECT_EQ(0, drag.calls);
    EXPECT_EQ(Gesture::DragSelection, nav.move(14, 10, true, false, false, true, drag.fn()));
    EXPECT_EQ(1, drag.calls);
    EXPECT_FALSE(drag.lastClone);
    EXPECT_EQ(10, nav.getFromX()) << "the first drag step starts at the press";
    EXPECT_EQ(Gesture::DragAlongView, nav.move(14, 20, true, true, false, true, drag.fn()));
    EXPECT_EQ(14, nav.getFromX());
    EXPECT_EQ(1, drag.calls) << "a drag starts once";
    EXPECT_EQ(Release::EndDrag, nav.release(Button::Left, 14, 20));
    EXPECT_FALSE(nav.isTracking());

    // Ctrl+Shift drags a clone, in the view plane.
    ASSERT_TRUE(nav.press(Button::Left, 0, 0, onSelection(true)));
    EXPECT_EQ(Gesture::DragSelection, nav.move(0, 9, true, true, true, true, drag.fn()));
    EXPECT_TRUE(drag.lastClone);

    // A refused drag orbits for that move and is tried again on the next.
    ViewNavigator refused;
    drag.allow = false;
    ASSERT_TRUE(refused.press(Button::Left, 0, 0, onSelection(true)));
    EXPECT_EQ(Gesture::Orbit, refused.move(9, 0, true, false, false, true, drag.fn()));
    drag.allow = true;
    EXPECT_EQ(Gesture::DragSelection, refused.move(12, 0, true, false, false, true, drag.fn()));
}

TEST(ViewNavigator, OtherDragsOrbitOrPanAndAreNoClicks) {
    DragStarter drag;
    struct Case {
        Button button;
        bool onSelection;
        bool hasSelection;
        Gesture expected;
    };
    for (const Case& c : {Case{Button::Left, false, true, Gesture::Orbit},
                          Case{Button::Left, true, false, Gesture::Orbit},
                          Case{Button::Right, true, true, Gesture::Orbit},
                          Case{Button::Middle, true, true, Gesture::Pan}}) {
        ViewNavigator nav;
        ASSERT_TRUE(nav.press(c.button, 50, 50, onSelection(c.onSelection)));
        EXPECT_EQ(c.expected, nav.move(50, 40, true, false, false, c.hasSelection, drag.fn()));
        EXPECT_EQ(c.expected, nav.move(51, 51, true, false, false, c.hasSelection, drag.fn()))
            << "back inside the slop the gesture goes on";
        EXPECT_EQ(Release::None, nav.release(c.button, 50, 50)) << "a drag is no click";
    }
    EXPECT_EQ(0, drag.calls);
}

TEST(ViewNavigator, ClicksHoversAndOneButtonAtATime) {
    ViewNavigator nav;
    DragStarter drag;
    EXPECT_EQ(Gesture::Hover, nav.move(5, 5, false, false, false, false, drag.fn()));
    EXPECT_EQ(Gesture::None, nav.move(5, 5, true, false, false, false, drag.fn()))
        << "buttons held that are not followed do nothing";

    bool asked = false;
    ASSERT_TRUE(nav.press(Button::Right, 5, 5, [&] { return asked = true; }));
    EXPECT_FALSE(asked) << "only a left press asks about the selection";
    EXPECT_FALSE(nav.press(Button::Left, 5, 5, onSelection(true)))
        << "the right button is followed";
    EXPECT_EQ(Release::None, nav.release(Button::Left, 5, 5));
    EXPECT_TRUE(nav.isTracking());
    EXPECT_EQ(Release::None, nav.release(Button::Right, 5, 5)) << "a right click selects nothing";

    ASSERT_TRUE(nav.press(Button::Left, 5, 5, onSelection(true)));
    EXPECT_EQ(Release::Click, nav.release(Button::Left, 8, 2));
    ASSERT_TRUE(nav.press(Button::Left, 5, 5, onSelection(false)));
    EXPECT_EQ(Release::None, nav.release(Button::Left, 9, 5)) << "released beyond the slop";
    EXPECT_FALSE(nav.press(Button::None, 0, 0, onSelection(false)));
}

} // namespace
