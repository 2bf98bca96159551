#pragma once

#include <string>
#include <string_view>
#include <vector>

/// `value` formatted with a printf format holding one double conversion,
/// e.g. "%4.2f"; a null format means "%f".
std::string ftoa(double value, const char* format);
std::string itoa(int value);
/// A short name of letters for a pointer, stable for as long as the pointer
/// is, for debug output and text keys. With `length` <= 0 the name is unique
/// per pointer value; with `length` > 0 it is cut to that many letters and
/// distinct pointers may share it.
std::string HandyName(const void* pointer, int length);

/// `text` without leading and trailing blanks, tabs and line breaks.
std::string trim(std::string_view text);
/// Equality ignoring ASCII case.
bool equalsIgnoreCase(std::string_view a, std::string_view b);
/// The pieces of `text` between occurrences of `separator` (an empty text
/// gives one empty piece).
std::vector<std::string> split(std::string_view text, char separator);
/// Whole-text number parsing (surrounding blanks allowed); false and `out`
/// unchanged when the text is not a number of that kind.
bool parseInt(std::string_view text, int& out);
bool parseDouble(std::string_view text, double& out);
/// The shortest text that reads back as exactly `value`.
std::string formatDouble(double value);
