#include "vorn/app/WindowPlacement.h"

#include "common/Registry.h"

#include <gtest/gtest.h>

TEST(WindowPlacementTest, ParsesFourLeadingNumbersAndMax) {
    const WindowPlacement stored = WindowPlacement::Parse("10, 20, 810, 620, max");
    EXPECT_TRUE(stored.hasRect);
    EXPECT_EQ(10, stored.left);
    EXPECT_EQ(20, stored.top);
    EXPECT_EQ(810, stored.right);
    EXPECT_EQ(620, stored.bottom);
    EXPECT_TRUE(stored.maximized);

    const WindowPlacement normal = WindowPlacement::Parse("-4,-4,1284,1004,normal");
    EXPECT_TRUE(normal.hasRect);
    EXPECT_EQ(-4, normal.left);
    EXPECT_FALSE(normal.maximized);

    // Too few numbers: the default position stays, but "max" still counts.
    const WindowPlacement partial = WindowPlacement::Parse("10, 20, max");
    EXPECT_FALSE(partial.hasRect);
    EXPECT_EQ(-1, partial.left);
    EXPECT_TRUE(partial.maximized);

    const WindowPlacement empty = WindowPlacement::Parse("");
    EXPECT_FALSE(empty.hasRect);
    EXPECT_FALSE(empty.maximized);
}

TEST(WindowPlacementTest, StoredTextReadsBack) {
    EXPECT_EQ("1, 2, 3, 4, normal", WindowPlacement::Format(1, 2, 3, 4, false));
    WindowPlacement::Store(5, 6, 705, 506, true);
    EXPECT_EQ("5, 6, 705, 506, max", GetRegistryString("", "WindowPlacement", ""));
    const WindowPlacement back = WindowPlacement::Load();
    EXPECT_TRUE(back.hasRect);
    EXPECT_EQ(705, back.right);
    EXPECT_EQ(506, back.bottom);
    EXPECT_TRUE(back.maximized);
}
