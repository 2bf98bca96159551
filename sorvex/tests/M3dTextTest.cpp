#include "sorvex/M3d.h"
#include "sorvex/VectorIO.h"

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <set>

using namespace Sorvex;

namespace {

bool sameBits(const M3d& a, const M3d& b) {
    return std::memcmp(static_cast<const double*>(a), static_cast<const double*>(b), sizeof(M3d)) ==
           0;
}

M3d fromBits(std::uint64_t x, std::uint64_t y, std::uint64_t z) {
    return {std::bit_cast<double>(x), std::bit_cast<double>(y), std::bit_cast<double>(z)};
}

/// The text as the printf family writes it, to check the hand-made formatter against.
std::string printfText(const M3d& v) {
    char hex[49];
    for (int i = 0; i < 3; ++i) {
        const auto bits = std::bit_cast<std::uint64_t>(v[i]);
        for (int byte = 0; byte < 8; ++byte) {
            std::snprintf(hex + 16 * i + 2 * byte, 3, "%02X",
                          static_cast<unsigned>(bits >> (8 * byte)) & 0xFFu);
        }
    }
    char text[M3d::TextCapacity];
    std::snprintf(text, sizeof text, "[bin]%s[/bin]%7.4f %7.4f %7.4f", hex, v.x(), v.y(), v.z());
    return text;
}

bool printfLess(const M3d& a, const M3d& b) {
    char sa[1024];
    char sb[1024];
    std::snprintf(sa, sizeof sa, "%20.10f %20.10f %20.10f", a.x(), a.y(), a.z());
    std::snprintf(sb, sizeof sb, "%20.10f %20.10f %20.10f", b.x(), b.y(), b.z());
    return std::strcmp(sa, sb) < 0;
}

/// Heap copy of exactly the characters of text, so a sanitizer flags any read past it.
std::unique_ptr<char[]> exactCopy(const std::string& text) {
    auto copy = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    return copy;
}

} // namespace

TEST(M3dText, WritesTheDocumentedForm) {
    EXPECT_EQ("[bin]000000000000F03F00000000000000400000000000000840[/bin] 1.0000  2.0000  3.0000",
              M3d(1, 2, 3).toString());
    EXPECT_EQ(M3d(1, 2, 3).toString(), std::string(M3d(1, 2, 3)));
    char buf[M3d::TextCapacity];
    const std::size_t length = M3d(-0.5, 1234.56789, -0.0).toText(buf);
    EXPECT_EQ(std::strlen(buf), length);
    EXPECT_STREQ(printfText(M3d(-0.5, 1234.56789, -0.0)).c_str(), buf);
}

TEST(M3dText, MatchesPrintfForAwkwardValues) {
    const double awkward[] = {0.0,   -0.0,     0.00005,     -0.00005,  0.00015,  1e-310,
                              1e300, -1.7e308, 12345678,    0.1 + 0.2, INFINITY, -INFINITY,
                              NAN,   -NAN,     99999.99995, 2.5e-5,    1.00005,  123.45675};
    for (double x : awkward) {
        const M3d v(x, -x, x * 0.5);
        EXPECT_EQ(printfText(v), v.toString()) << "value " << x;
    }
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> wide(-1e6, 1e6);
    for (int i = 0; i < 2000; ++i) {
        const M3d v(wide(rng), wide(rng) * 1e-6, wide(rng) * 1e6);
        ASSERT_EQ(printfText(v), v.toString());
    }
}

TEST(M3dText, BinaryRoundTripIsBitExact) {
    const M3d samples[] = {
        M3d(1, 2, 3),
        M3d(-0.0, 0.0, -0.0),
        fromBits(1, 0x000FFFFFFFFFFFFFull, 0x8000000000000001ull), // denormals
        M3d(1.7976931348623157e308, -1.7976931348623157e308, 2.2250738585072014e-308),
        fromBits(0x7FF8000000000001ull, 0xFFF0000000000001ull, 0x7FF4DEADBEEF0000ull), // NaNs
        M3d(INFINITY, -INFINITY, 0.1),
    };
    for (const M3d& v : samples) {
        EXPECT_TRUE(sameBits(v, M3d(v.toString().c_str()))) << v.toString();
    }
    std::mt19937_64 rng(11);
    for (int i = 0; i < 5000; ++i) {
        const M3d v = fromBits(rng(), rng(), rng());
        ASSERT_TRUE(sameBits(v, M3d(v.toString().c_str()))) << v.toString();
    }
}

TEST(M3dText, ReadsTagAndDigitsInEitherCase) {
    EXPECT_TRUE(
        sameBits(M3d(1, 2, 3), M3d("[BIN]000000000000f03f00000000000000400000000000000840")));
    EXPECT_TRUE(sameBits(M3d(1, 2, 3),
                         M3d("[Bin]000000000000F03F00000000000000400000000000000840[/bin] junk")))
        << "the decimal part after the payload is ignored";
    EXPECT_TRUE(
        sameBits(M3d(1, 2, 3), M3d("[bin]000000000000F03F00000000000000400000000000000840[/bin]"
                                   " 9.0000  9.0000  9.0000")))
        << "the binary payload wins over the readable values";
    M3d v(7, 7, 7);
    EXPECT_FALSE(v.fromText("[bin]000000000000F03F00000000000000400000000000000840A[/bin]"));
    EXPECT_FALSE(v.fromText("[bin]000000000000F03F0000000000000040000000000000084[/bin]"));
    EXPECT_TRUE(sameBits(M3d(7, 7, 7), v)) << "a payload of the wrong length changes nothing";
}

TEST(M3dText, DecimalFallbackReadsFloatsStartingAtZero) {
    EXPECT_TRUE(sameBits(M3d(1.5, 2, 0), M3d("1.5 2")));
    EXPECT_TRUE(sameBits(M3d(double(0.1f), double(-0.2f), double(3e5f)), M3d("0.1 -0.2 3e5")))
        << "values pass through single precision";
    EXPECT_TRUE(sameBits(M3d(1, 2, 3), M3d("  1\t2\n3 4")));
    EXPECT_TRUE(sameBits(M3d(1.5, 0, 0), M3d("1.5, 2"))) << "stops at the first unreadable value";
    EXPECT_TRUE(sameBits(M3d(0, 0, 0), M3d("abc")));
    EXPECT_TRUE(sameBits(M3d(0, 0, 0), M3d("")));
    EXPECT_TRUE(sameBits(M3d(0, 0, 0), M3d(nullptr)));
    EXPECT_TRUE(sameBits(M3d(0, 0, 0), M3d("[bi] 1 2 3"))) << "a broken tag is decimal text";

    // A process locale with a decimal comma must not change how files read.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr) {
        EXPECT_TRUE(sameBits(M3d(1.5, 2.25, 0), M3d("1.5 2.25")));
        std::setlocale(LC_NUMERIC, saved.c_str());
    }
}

TEST(M3dText, MalformedBinaryPayloadReadsAsZeroWithoutOverrun) {
    const std::string full = M3d(1, 2, 3).toString().substr(0, 5 + 48);
    for (std::size_t cut = 5; cut < full.size(); cut += 3) {
        const auto text = exactCopy(full.substr(0, cut));
        EXPECT_TRUE(sameBits(M3d(0, 0, 0), M3d(text.get()))) << "cut at " << cut;
    }
    std::string bad = full;
    bad[40] = 'G';
    EXPECT_TRUE(sameBits(M3d(0, 0, 0), M3d(bad.c_str())));
    bad = full;
    bad[52] = ' ';
    EXPECT_TRUE(sameBits(M3d(0, 0, 0), M3d(bad.c_str()))) << "the last digit counts too";

    M3d kept(4, 5, 6);
    EXPECT_FALSE(kept.fromText(full.substr(0, 20).c_str()));
    EXPECT_FALSE(kept.fromText("no numbers"));
    EXPECT_FALSE(kept.fromText(nullptr));
    EXPECT_TRUE(sameBits(M3d(4, 5, 6), kept)) << "a failed read leaves the vector unchanged";
    EXPECT_TRUE(kept.fromText(full.c_str()));
    EXPECT_TRUE(sameBits(M3d(1, 2, 3), kept));
}

TEST(M3dOrder, ComparesTenDecimalTextNotNumbers) {
    const M3d a(1, 2, 3);
    const M3d b(1, 2, 3.00000000001);
    EXPECT_FALSE(a < b);
    EXPECT_FALSE(b < a) << "equal to 10 decimals: equivalent keys";
    EXPECT_TRUE(M3d(5, 0, 0) < M3d(-5, 0, 0)) << "a blank sorts before a minus sign";
    EXPECT_FALSE(M3d(-5, 0, 0) < M3d(5, 0, 0));
    EXPECT_TRUE(M3d(9, 0, 0) < M3d(10, 0, 0)) << "right-aligned fields sort by width first";
    EXPECT_FALSE(a < a);

    std::set<M3d> keys{a, b, M3d(1, 2, 3.0000000001), M3d(5, 0, 0), M3d(-5, 0, 0)};
    EXPECT_EQ(4u, keys.size());
    EXPECT_EQ(1u, keys.count(M3d(1, 2, 3 + 4e-12)));
}

TEST(M3dOrder, AgreesWithPrintfKeys) {
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> coord(-100, 100);
    std::uniform_int_distribution<int> pick(0, 2);
    for (int i = 0; i < 3000; ++i) {
        // Share components often so the later fields decide.
        const M3d a(coord(rng), coord(rng), coord(rng));
        M3d b(coord(rng), coord(rng), coord(rng));
        for (int k = 0; k < pick(rng); ++k) {
            b[k] = a[k];
        }
        ASSERT_EQ(printfLess(a, b), a < b) << a.toString() << " vs " << b.toString();
        ASSERT_EQ(printfLess(b, a), b < a);
    }
    const M3d huge(1e300, -1e300, 0);
    EXPECT_EQ(printfLess(huge, M3d(1, 1, 1)), huge < M3d(1, 1, 1));
}
