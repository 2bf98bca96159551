#pragma once

#include <string>

/// The main window's remembered placement, stored as the setting "WindowPlacement"
/// (empty section) in the text form "left, top, right, bottom, max|normal".
struct WindowPlacement {
    int left = -1;
    int top = -1;
    int right = -1;
    int bottom = -1;
    /// True when the text held four leading integers.
    bool hasRect = false;
    bool maximized = false;

    /// Reads the four integers with "%i,%i,%i,%i," semantics (blanks before each number
    /// are skipped) and "max" anywhere in the text. Text without four leading numbers
    /// keeps the rectangle unset.
    static WindowPlacement Parse(const std::string& text);
    /// "%i, %i, %i, %i, %s" with "max" or "normal".
    static std::string Format(int left, int top, int right, int bottom, bool maximized);

    static WindowPlacement Load();
    static void Store(int left, int top, int right, int bottom, bool maximized);
};
