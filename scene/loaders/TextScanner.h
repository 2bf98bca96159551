#pragma once

#include <charconv>
#include <string>
#include <string_view>

/// Walks a text line by line and splits each line into blank-separated
/// tokens. A '#' starts a comment that runs to the end of the line; '\r' is
/// treated as a blank so files with DOS line ends read the same.
class TextScanner {
public:
    /// A UTF-8 byte-order mark at the start (some editors write one) is skipped.
    explicit TextScanner(std::string_view text) : m_text(withoutByteOrderMark(text)) {}

    /// Advances to the next line that holds at least one token; false at the end.
    bool nextContentLine();
    /// 1-based number of the current line.
    int lineNumber() const { return m_line; }
    /// Next token of the current line; empty when the line is used up.
    std::string_view nextToken();
    bool atLineEnd();

private:
    static std::string_view withoutByteOrderMark(std::string_view text) {
        constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
        return text.substr(0, kByteOrderMark.size()) == kByteOrderMark
                   ? text.substr(kByteOrderMark.size())
                   : text;
    }

    std::string_view m_text;
    size_t m_pos = 0;
    std::string_view m_lineRest;
    int m_line = 0;
};

/// The token in single quotes for a message: at most 32 characters, control and non-ASCII
/// bytes shown as '?', so a binary file's bytes cannot garble the line.
std::string QuotedToken(std::string_view token);

/// Parses a whole token as a number; false on trailing junk or overflow.
template <typename T> bool ParseNumber(std::string_view token, T& value) {
    const char* end = token.data() + token.size();
    if (!token.empty() && token.front() == '+')
        token.remove_prefix(1);
    auto [ptr, ec] = std::from_chars(token.data(), end, value);
    return ec == std::errc() && ptr == end && !token.empty();
}
