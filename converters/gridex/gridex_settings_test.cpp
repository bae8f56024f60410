#include "converters/gridex/gridex_settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>

namespace lumora::gridex {
namespace {

TEST(GridexSettings, ValuesWithCommentsAndCommas) {
    const auto s = parse_settings(
        "0,8,64,32 ; map area\r\n"
        "\t64 ,0 ; attributes\r\n"
        "128,0,32,16 ; parts\r\n"
        "-5\r\n");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->map.x, 0);
    EXPECT_EQ(s->map.y, 8);
    EXPECT_EQ(s->map.width, 64);
    EXPECT_EQ(s->map.height, 32);
    EXPECT_EQ(s->attr_x, 64);
    EXPECT_EQ(s->attr_y, 0);
    EXPECT_EQ(s->parts.x, 128);
    EXPECT_EQ(s->parts.y, 0);
    EXPECT_EQ(s->parts.width, 32);
    EXPECT_EQ(s->parts.height, 16);
    EXPECT_EQ(s->base, -5);
}

TEST(GridexSettings, ValueDirectlyBeforeTheLineEndRunsIntoTheNextLine) {
    // "32\r\n64" is one value (32), and the skip after it swallows the rest
    // of the second line, so the attribute values come from the third line.
    const auto s = parse_settings(
        "0,0,64,32\r\n"
        "64,0\r\n"
        "128,16 x\r\n"
        "7,8,9,10 x\n"
        "300\n");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->map.height, 32);
    EXPECT_EQ(s->attr_x, 128);
    EXPECT_EQ(s->attr_y, 16);
    EXPECT_EQ(s->parts.x, 7);
    EXPECT_EQ(s->parts.height, 10);
    EXPECT_EQ(s->base, 300);

    // With a blank behind each line's last value everything lands in place.
    const auto t = parse_settings("0,0,64,32 \r\n64,0 \r\n128,16,8,8 \r\n300");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->attr_x, 64);
    EXPECT_EQ(t->parts.x, 128);
    EXPECT_EQ(t->base, 300);
}

TEST(GridexSettings, TooFewValuesIsNotAccepted) {
    EXPECT_FALSE(parse_settings(""));
    EXPECT_FALSE(parse_settings(" , \t\r\n"));
    EXPECT_FALSE(parse_settings("0,0,64,32 \n64,0 \n128,0,32,16 \n"));
    // The run-on of the first line eats the second, leaving one value short.
    EXPECT_FALSE(parse_settings("0,0,64,32\n64,0\n128,0,32,16 \n9"));
}

TEST(GridexSettings, NumbersAreReadLikeAtoi) {
    EXPECT_EQ(parse_int_prefix("42"), 42);
    EXPECT_EQ(parse_int_prefix("-12abc"), -12);
    EXPECT_EQ(parse_int_prefix("+7"), 7);
    EXPECT_EQ(parse_int_prefix("\r\n19"), 19);
    EXPECT_EQ(parse_int_prefix("x5"), 0);
    EXPECT_EQ(parse_int_prefix("-"), 0);
    EXPECT_EQ(parse_int_prefix("99999999999999999999"), INT_MAX);
    EXPECT_EQ(parse_int_prefix("-99999999999999999999"), INT_MIN);
}

TEST(GridexSettings, MutatedTextNeverCrashes) {
    const std::string seed = "0,0,64,32 ; map\r\n64,0 ; attr\r\n128,0,32,16 ; parts\r\n256\r\n";
    std::mt19937 rng(99);
    const char alphabet[] = " \t,\r\n-+0123456789;x";
    for (size_t n = 0; n <= seed.size(); ++n) {
        const std::string cut = seed.substr(0, n);
        const auto s = parse_settings(cut);
        if (n < seed.find("256")) {
            EXPECT_FALSE(s) << n;
        }
    }
    for (int round = 0; round < 5000; ++round) {
        std::string m = seed;
        for (int i = 0; i < 4; ++i) m[rng() % m.size()] = alphabet[rng() % (sizeof alphabet - 1)];
        m.resize(rng() % (m.size() + 1));
        (void)parse_settings(m);
    }
}

}  // namespace
}  // namespace lumora::gridex
