#include "scene/loaders/TextScanner.h"

namespace {
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}
} // namespace

bool TextScanner::nextContentLine() {
    while (m_pos < m_text.size()) {
        size_t end = m_text.find('\n', m_pos);
        if (end == std::string_view::npos)
            end = m_text.size();
        std::string_view line = m_text.substr(m_pos, end - m_pos);
        m_pos = end + 1;
        ++m_line;
        size_t hash = line.find('#');
        if (hash != std::string_view::npos)
            line = line.substr(0, hash);
        m_lineRest = line;
        if (!atLineEnd())
            return true;
    }
    m_lineRest = {};
    return false;
}

bool TextScanner::atLineEnd() {
    size_t i = 0;
    while (i < m_lineRest.size() && isBlank(m_lineRest[i]))
        ++i;
    m_lineRest.remove_prefix(i);
    return m_lineRest.empty();
}

std::string_view TextScanner::nextToken() {
    if (atLineEnd())
        return {};
    size_t i = 0;
    while (i < m_lineRest.size() && !isBlank(m_lineRest[i]))
        ++i;
    std::string_view token = m_lineRest.substr(0, i);
    m_lineRest.remove_prefix(i);
    return token;
}

std::string QuotedToken(std::string_view token) {
    constexpr size_t kMaxShown = 32;
    std::string shown(token.substr(0, kMaxShown));
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126)
            c = '?';
    return "'" + shown + (token.size() > kMaxShown ? "...'" : "'");
}
