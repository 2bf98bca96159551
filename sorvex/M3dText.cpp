// Text form and text ordering of M3d.
#include "sorvex/M3d.h"

#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <strings.h>

namespace Sorvex {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
// Widest fixed-point double: 309 integer digits, sign, point and up to 10 decimals.
constexpr std::size_t kFixedMax = 330;

/// 16 upper-case hex digits of the little-endian bytes of d, whatever the host order.
char* writeHexDouble(char* out, double d) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(d);
    for (int byte = 0; byte < 8; ++byte) {
        const unsigned value = static_cast<unsigned>(bits >> (8 * byte)) & 0xFFu;
        *out++ = kHexDigits[value >> 4];
        *out++ = kHexDigits[value & 0xFu];
    }
    return out;
}

/// Value of each byte as a hex digit, or -1; the terminator maps to -1 as well.
constexpr auto kHexValues = [] {
    std::array<signed char, 256> values{};
    for (int c = 0; c < 256; ++c) {
        values[c] = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                           : -1;
    }
    return values;
}();

int hexValue(char c) {
    return kHexValues[static_cast<unsigned char>(c)];
}

/// Reads 16 hex digits as a little-endian double. Stops at the first non-hex character,
/// so a terminator ends the scan before anything past the string is touched.
bool readHexDouble(const char* in, double& d) {
    std::uint64_t bits = 0;
    for (int byte = 0; byte < 8; ++byte) {
        const int high = hexValue(in[2 * byte]);
        if (high < 0) {
            return false;
        }
        const int low = hexValue(in[2 * byte + 1]);
        if (low < 0) {
            return false;
        }
        bits |= static_cast<std::uint64_t>(high << 4 | low) << (8 * byte);
    }
    d = std::bit_cast<double>(bits);
    return true;
}

/// Same characters as printf("%<width>.<precision>f"), without locale or format parsing.
char* writeFixed(char* out, double d, int width, int precision) {
    char digits[kFixedMax];
    const auto result =
        std::to_chars(digits, digits + sizeof digits, d, std::chars_format::fixed, precision);
    const int length = static_cast<int>(result.ptr - digits);
    for (int pad = length; pad < width; ++pad) {
        *out++ = ' ';
    }
    std::memcpy(out, digits, static_cast<std::size_t>(length));
    return out + length;
}

/// The "%20.10f %20.10f %20.10f" key of the text ordering.
void writeOrderKey(char* out, const M3d& v) {
    out = writeFixed(out, v.x(), 20, 10);
    *out++ = ' ';
    out = writeFixed(out, v.y(), 20, 10);
    *out++ = ' ';
    out = writeFixed(out, v.z(), 20, 10);
    *out = '\0';
}

/// Decimal numbers are always read with a '.' point, whatever locale the process chose.
locale_t classicLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return locale;
}

} // namespace

std::size_t M3d::toText(char* buf) const {
    char* out = buf;
    std::memcpy(out, "[bin]", 5);
    out += 5;
    for (double d : m_v) {
        out = writeHexDouble(out, d);
    }
    std::memcpy(out, "[/bin]", 6);
    out += 6;
    out = writeFixed(out, m_v[0], 7, 4);
    *out++ = ' ';
    out = writeFixed(out, m_v[1], 7, 4);
    *out++ = ' ';
    out = writeFixed(out, m_v[2], 7, 4);
    *out = '\0';
    return static_cast<std::size_t>(out - buf);
}

std::string M3d::toString() const {
    char buf[TextCapacity];
    const std::size_t length = toText(buf);
    return std::string(buf, length);
}

bool M3d::fromText(const char* text) {
    if (text == nullptr) {
        return false;
    }
    if (strncasecmp(text, "[bin]", 5) == 0) {
        double parsed[3];
        for (int i = 0; i < 3; ++i) {
            if (!readHexDouble(text + 5 + 16 * i, parsed[i])) {
                return false;
            }
        }
        // A payload of the wrong length is damage, not a vector: refuse a 49th digit too.
        if (hexValue(text[5 + 48]) >= 0) {
            return false;
        }
        set(parsed[0], parsed[1], parsed[2]);
        return true;
    }
    // Like sscanf("%f %f %f") into floats that start at 0: stop at the first unreadable one.
    float parsed[3] = {0, 0, 0};
    const char* cursor = text;
    int count = 0;
    for (; count < 3; ++count) {
        char* end = nullptr;
        const float value = strtof_l(cursor, &end, classicLocale());
        if (end == cursor) {
            break;
        }
        parsed[count] = value;
        cursor = end;
    }
    if (count == 0) {
        return false;
    }
    set(parsed[0], parsed[1], parsed[2]);
    return true;
}

bool M3d::operator<(const M3d& v) const {
    char mine[TextCapacity];
    char theirs[TextCapacity];
    writeOrderKey(mine, *this);
    writeOrderKey(theirs, v);
    // strcmp compares as unsigned char, which is the order the keys are defined with.
    return std::strcmp(mine, theirs) < 0;
}

} // namespace Sorvex
