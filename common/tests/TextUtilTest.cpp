#include "common/TextUtil.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

TEST(TextUtil, NumberFormatting) {
    EXPECT_EQ("12.35", ftoa(12.345678, "%4.2f"));
    EXPECT_EQ("Fail (3.50%)", ftoa(3.5, "Fail (%4.2f%%)"));
    EXPECT_EQ(ftoa(1e300, "%.0f").size(), 301u) << "long results are not cut";
    EXPECT_EQ("0.500000", ftoa(0.5, nullptr));
    EXPECT_EQ("-2147483648", itoa(-2147483647 - 1));
    for (double v : {0.1, 1.0 / 3.0, -2.5e-310, 1e308, 123456789.0}) {
        double back = 0;
        ASSERT_TRUE(parseDouble(formatDouble(v), back));
        EXPECT_EQ(v, back) << formatDouble(v);
    }
}

TEST(TextUtil, NumberParsing) {
    int i = -1;
    EXPECT_TRUE(parseInt(" +17 ", i));
    EXPECT_EQ(17, i);
    for (const char* bad : {"", "12x", "1.5", "99999999999", "x"}) {
        int keep = 5;
        EXPECT_FALSE(parseInt(bad, keep)) << bad;
        EXPECT_EQ(5, keep);
    }
    double d = 0;
    EXPECT_TRUE(parseDouble("-1.5e3", d));
    EXPECT_EQ(-1500.0, d);
    EXPECT_FALSE(parseDouble("1.5.2", d));
    EXPECT_FALSE(parseDouble("", d));
}

TEST(TextUtil, HandyNamesAreLettersAndDistinct) {
    std::vector<char> block(20000);
    std::set<std::string> names;
    for (std::size_t i = 0; i < block.size(); ++i) {
        std::string name = HandyName(&block[i], 0);
        for (char c : name)
            ASSERT_TRUE(std::isalpha(static_cast<unsigned char>(c))) << name;
        names.insert(name);
    }
    EXPECT_EQ(block.size(), names.size()) << "full names are unique per pointer";
    EXPECT_EQ(HandyName(&block[7], 0), HandyName(&block[7], 0));
    EXPECT_EQ(4u, HandyName(&block[7], 4).size());
    EXPECT_EQ(HandyName(&block[7], 0).substr(0, 4), HandyName(&block[7], 4));
}

TEST(TextUtil, StringHelpers) {
    EXPECT_EQ("a b", trim(" \t a b\r\n"));
    EXPECT_EQ("", trim("  "));
    EXPECT_TRUE(equalsIgnoreCase("Settings\\MathFn", "SETTINGS\\mathfn"));
    EXPECT_FALSE(equalsIgnoreCase("abc", "abcd"));
    EXPECT_EQ((std::vector<std::string>{"a", "", "b", ""}), split("a,,b,", ','));
    EXPECT_EQ((std::vector<std::string>{""}), split("", ','));
}
