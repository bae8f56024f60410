#include "common/sjis.h"

#include <gtest/gtest.h>

namespace lumora::sjis {
namespace {

// "あ" is 82 A0, "漢" is 8A BF, "ｱ" (half-width) is B1.
const std::string kMixed = "a\x82\xA0\xB1\x8A\xBF";

TEST(Sjis, WalksCharactersOfMixedText) {
    EXPECT_EQ(char_length(kMixed, 0), 1u);
    EXPECT_EQ(char_length(kMixed, 1), 2u);
    EXPECT_EQ(char_length(kMixed, 3), 1u);  // half-width katakana is one byte
    EXPECT_EQ(char_length(kMixed, 4), 2u);
    EXPECT_EQ(char_length(kMixed, 6), 0u);
    EXPECT_TRUE(is_trail_position(kMixed, 2));
    EXPECT_FALSE(is_trail_position(kMixed, 3));
    EXPECT_TRUE(is_trail_position(kMixed, 5));
    EXPECT_EQ(char_start(kMixed, 5), 4u);
    EXPECT_EQ(previous_char(kMixed, 4), 3u);
    EXPECT_EQ(previous_char(kMixed, 3), 1u);
    EXPECT_EQ(previous_char(kMixed, 0), 0u);
}

TEST(Sjis, LeadByteWithoutTrailIsSingle) {
    // 0x81 followed by a control byte, and 0x81 at the very end.
    const std::string broken = "\x81\x0A\x81";
    EXPECT_EQ(char_length(broken, 0), 1u);
    EXPECT_EQ(char_length(broken, 2), 1u);
    EXPECT_FALSE(is_trail_position(broken, 1));
    // A trail-range byte that looks like a lead must not be paired across a real pair.
    const std::string pairs = "\x82\x82\x82\xA0";  // "ｂ"-like pair 82 82, then 82 A0
    EXPECT_FALSE(is_trail_position(pairs, 2));
    EXPECT_TRUE(is_trail_position(pairs, 3));
}

TEST(Sjis, DisplayColumnsWithTabsAndDoubleBytes) {
    const std::string line = "\tab\x82\xA0\tc";
    EXPECT_EQ(column_of(line, 1, 4), 4u);
    EXPECT_EQ(column_of(line, 3, 4), 6u);
    EXPECT_EQ(column_of(line, 5, 4), 8u);
    EXPECT_EQ(column_of(line, 6, 4), 12u);  // 8 is a tab stop: the tab moves to 12
    EXPECT_EQ(display_width(line, 4), 13u);
    EXPECT_EQ(display_width(line, 8), 17u);
    // Columns inside a tab or a double-byte character map to its start.
    EXPECT_EQ(byte_at_column(line, 0, 4), 0u);
    EXPECT_EQ(byte_at_column(line, 3, 4), 0u);
    EXPECT_EQ(byte_at_column(line, 6, 4), 3u);
    EXPECT_EQ(byte_at_column(line, 7, 4), 3u);
    EXPECT_EQ(byte_at_column(line, 12, 4), 6u);
    EXPECT_EQ(byte_at_column(line, 99, 4), line.size());
}

TEST(Sjis, JisConversionsRoundTripOverTheWholeTable) {
    // Every JIS X 0208 position maps to a valid Shift-JIS pair and back, and
    // EUC-JP is the same position with the high bits set.
    for (int j1 = 0x21; j1 <= 0x7E; ++j1) {
        for (int j2 = 0x21; j2 <= 0x7E; ++j2) {
            DoubleByte s = jis_to_sjis(static_cast<uint8_t>(j1), static_cast<uint8_t>(j2));
            ASSERT_TRUE(is_lead(s.first)) << j1 << "," << j2;
            ASSERT_TRUE(is_trail(s.second)) << j1 << "," << j2;
            DoubleByte back = sjis_to_jis(s.first, s.second);
            ASSERT_EQ(back.first, j1);
            ASSERT_EQ(back.second, j2);
            DoubleByte e = jis_to_euc(static_cast<uint8_t>(j1), static_cast<uint8_t>(j2));
            DoubleByte j = euc_to_jis(e.first, e.second);
            ASSERT_EQ(j.first, j1);
            ASSERT_EQ(j.second, j2);
        }
    }
    // Known points: JIS 24 22 is "あ" (82 A0); 30 21 is "亜" (88 9F).
    EXPECT_EQ(jis_to_sjis(0x24, 0x22).first, 0x82);
    EXPECT_EQ(jis_to_sjis(0x24, 0x22).second, 0xA0);
    EXPECT_EQ(jis_to_sjis(0x30, 0x21).first, 0x88);
    EXPECT_EQ(jis_to_sjis(0x30, 0x21).second, 0x9F);
}

}  // namespace
}  // namespace lumora::sjis
