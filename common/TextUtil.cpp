#include "common/TextUtil.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

std::string ftoa(double value, const char* format) {
    if (!format)
        format = "%f";
    char buffer[64];
    // The format comes from the caller's code, not from user input.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    int n = std::snprintf(buffer, sizeof buffer, format, value);
    if (n < 0)
        return std::string();
    if (static_cast<std::size_t>(n) < sizeof buffer)
        return std::string(buffer, n);
    std::string big(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), format, value);
#pragma GCC diagnostic pop
    big.resize(static_cast<std::size_t>(n));
    return big;
}

std::string itoa(int value) {
    return std::to_string(value);
}

std::string HandyName(const void* pointer, int length) {
    // A bijective mix of the address, so that neighbouring objects get
    // unlike names while distinct pointers still give distinct full names.
    std::uint64_t x = reinterpret_cast<std::uintptr_t>(pointer);
    x ^= x >> 31;
    x *= 0x9E3779B97F4A7C15ull;
    x ^= x >> 29;
    std::string name;
    do {
        name.push_back(static_cast<char>('a' + x % 26));
        x /= 26;
    } while (x != 0);
    if (!name.empty())
        name[0] = static_cast<char>(name[0] - 'a' + 'A');
    if (length > 0 && static_cast<std::size_t>(length) < name.size())
        name.resize(static_cast<std::size_t>(length));
    return name;
}

static bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string trim(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

static char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

std::vector<std::string> split(std::string_view text, char separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (;;) {
        std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            pieces.emplace_back(text.substr(start));
            return pieces;
        }
        pieces.emplace_back(text.substr(start, at - start));
        start = at + 1;
    }
}

static std::string_view trimmedView(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool parseInt(std::string_view text, int& out) {
    text = trimmedView(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return false;
    out = value;
    return true;
}

bool parseDouble(std::string_view text, double& out) {
    text = trimmedView(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return false;
    out = value;
    return true;
}

std::string formatDouble(double value) {
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec != std::errc())
        return ftoa(value, "%.17g");
    return std::string(buffer, end);
}
