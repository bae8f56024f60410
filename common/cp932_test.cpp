#include "common/cp932.h"

#include <gtest/gtest.h>

namespace lumora::cp932 {
namespace {

TEST(Cp932, ConvertsToAndFromUtf8) {
    const std::string sjis = "ABC\x82\xA0\xB1\x8A\xBF";  // "ABCあｱ漢"
    bool exact = false;
    EXPECT_EQ(to_utf8(sjis, &exact), "ABC\xE3\x81\x82\xEF\xBD\xB1\xE6\xBC\xA2");
    EXPECT_TRUE(exact);
    EXPECT_EQ(from_utf8(to_utf8(sjis), &exact), sjis);
    EXPECT_TRUE(exact);
    // The Japanese texts the tools print convert exactly.
    EXPECT_EQ(to_utf8(from_utf8("ﾋﾞﾙﾄﾞを中止しました。")), "ﾋﾞﾙﾄﾞを中止しました。");
}

TEST(Cp932, BrokenInputIsReplacedNotDropped) {
    bool exact = true;
    // A lone lead byte at the end and a byte CP932 does not define (0xA0).
    EXPECT_EQ(to_utf8("a\xA0" "b\x82", &exact), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
    EXPECT_FALSE(exact);
    EXPECT_EQ(from_utf8("x\xE2\x82y\xF0\x9F\x98\x80", &exact), "x?y?");  // cut sequence, emoji
    EXPECT_FALSE(exact);
}

TEST(Cp932, RecognisesWellFormedUtf8) {
    EXPECT_TRUE(is_valid_utf8("plain"));
    EXPECT_TRUE(is_valid_utf8("\xE3\x81\x82"));
    EXPECT_FALSE(is_valid_utf8("\x82\xA0"));          // Shift-JIS "あ"
    EXPECT_FALSE(is_valid_utf8("\xC0\xAF"));          // overlong "/"
    EXPECT_FALSE(is_valid_utf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(is_valid_utf8("\xE3\x81"));          // cut short
    EXPECT_TRUE(has_non_ascii("a\x82"));
    EXPECT_FALSE(has_non_ascii("abc"));
}

TEST(Cp932, CaseMappingCoversAsciiAndDoubleByteLetters) {
    // "aＡａαДё" and a Kanji whose trail byte is a lower-case ASCII letter (8A 61).
    const std::string mixed = "a\x82\x60\x82\x81\x83\xBF\x84\x44\x84\x76\x8A\x61z";
    const std::string upper = to_upper(mixed);
    const std::string lower = to_lower(mixed);
    ASSERT_EQ(upper.size(), mixed.size());
    ASSERT_EQ(lower.size(), mixed.size());
    EXPECT_EQ(to_utf8(upper), to_utf8("A\x82\x60\x82\x60\x83\x9F\x84\x44\x84\x46\x8A\x61Z"));
    EXPECT_EQ(to_utf8(lower), "aａａαдё" + to_utf8("\x8A\x61") + "z");
    EXPECT_EQ(upper.substr(11, 2), "\x8A\x61");  // the Kanji's trail byte is not touched
}

TEST(Cp932, CaseMappingAgreesWithUnicodeForEveryLetter) {
    // Every double-byte letter pair maps both ways and lands on the code
    // whose Unicode character is the same letter in the other case.
    int pairs = 0;
    for (int lead = 0x81; lead <= 0x84; ++lead) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            std::string c{static_cast<char>(lead), static_cast<char>(trail)};
            std::string up = to_upper(c);
            if (up == c) continue;
            ++pairs;
            EXPECT_EQ(to_lower(up), c) << std::hex << lead << " " << trail;
            EXPECT_NE(to_utf8(up), to_utf8(c));
        }
    }
    EXPECT_EQ(pairs, 26 + 24 + 33);
}

}  // namespace
}  // namespace lumora::cp932
